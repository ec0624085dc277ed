#include "store/numbers.h"
#include "store/schema.h"
#include "support/testenv.h"

#include <QTest>
#include <QtEndian>

Q_DECLARE_METATYPE(FieldValue)

namespace {

QStringList column(const PalmDatabase &db, FieldCode code) {
    return db.listValues(code, QStringLiteral("-"));
}

} // namespace

class TestComponent : public QObject {
    Q_OBJECT
private slots:
    // Records count from one; a missing field reads as empty until a write adds it to the
    // record and the field list, and adding it again keeps the first kind.
    void recordsAndFields() {
        PalmDatabase db;
        for (const char *name : {"a", "b", "c"})
            db.write(db.records().add(), "gnam", QString::fromLatin1(name));
        QCOMPARE(db.records().item(1).text("gnam"), QStringLiteral("a"));
        db.records().remove(2);
        QCOMPARE(column(db, "gnam"), QStringList({"a", "c"}));
        QVERIFY_THROWS_EXCEPTION(StoreError, db.records().item(0));
        QVERIFY_THROWS_EXCEPTION(StoreError, db.records().item(3));
        QVERIFY_THROWS_EXCEPTION(StoreError, db.records().remove(0));

        Record &r = db.records().item(1);
        QCOMPARE(r.text("gtag"), QString());
        db.write(r, "gtag", QStringLiteral("T1"));
        QVERIFY(db.fieldList().exists("gtag"));
        QCOMPARE(r.text("gtag"), QStringLiteral("T1"));
        r.fields().add("gtag", FieldKind::Date);
        QCOMPARE(r.fields().item("gtag").kind(), FieldKind::Text);
        QVERIFY(r.fields().remove("gtag"));
        QVERIFY(!r.fields().remove("gtag"));
        QVERIFY_THROWS_EXCEPTION(StoreError, r.fields().item("gtag"));
        QVERIFY_THROWS_EXCEPTION(StoreError, FieldCode(QStringLiteral("toolong")));
        QVERIFY_THROWS_EXCEPTION(StoreError, FieldCode(QStringLiteral("ab c")));
        db.records().removeAll();
        QVERIFY_THROWS_EXCEPTION(StoreError, db.records().item(1));
    }

    // Long field lists are looked up through an index that must follow every change, and a
    // field keeps its kind beside its value: values moved between fields of other kinds,
    // growth, removal and copies leave every kind where it was.
    void longRecordsKeepValuesAndKinds() {
        Record r;
        const FieldKind kinds[] = {FieldKind::Text, FieldKind::Boolean, FieldKind::Date,
                                   FieldKind::Time};
        QList<FieldCode> codes;
        for (int i = 0; i < 100; ++i) {
            codes << FieldCode(QStringLiteral("f%1").arg(i, 3, 10, QChar(u'0')));
            r.fields().add(codes.last(), kinds[i % 4]).setValue(codes.last().toString());
        }
        r.fields().item(codes[2]).setValue(FieldValue(false)); // a Boolean in a date field
        r.fields().item(codes[3]).setValue(FieldValue(QDate(2027, 6, 12), QTime(9, 30)));
        QVERIFY(r.fields().remove(codes[50]));
        Record copy = r;
        copy.fields().add(FieldCode(u"zzzz"_qs));
        for (int i = 4; i < 100; ++i) {
            QCOMPARE(r.text(codes[i]), i == 50 ? QString() : codes[i].toString());
            QCOMPARE(copy.text(codes[i]), r.text(codes[i]));
            if (i != 50) {
                QCOMPARE(r.fields().item(codes[i]).kind(), kinds[i % 4]);
                QCOMPARE(copy.fields().item(codes[i]).kind(), kinds[i % 4]);
            }
        }
        QVERIFY(copy.has(FieldCode(u"zzzz"_qs)) && !r.has(FieldCode(u"zzzz"_qs)));
        QCOMPARE(r.fields().item(codes[2]).kind(), FieldKind::Date);
        QCOMPARE(r.value(codes[2]), FieldValue(false));
        QCOMPARE(copy.value(codes[3]).toTime(), QTime(9, 30));

        // A long record read from a file may not hold a code twice either.
        PalmDatabase db;
        db.records().raw().push_back(std::make_unique<Record>(r));
        QByteArray bytes = db.toBytes();
        const int fieldsAt = int(qFromBigEndian<quint32>(bytes.constData() + 78)) + 2;
        QVERIFY(PalmDatabase::fromBytes(bytes, QStringLiteral("ok.pdb")));
        bytes.replace(fieldsAt + 98 * 14, 4, bytes.mid(fieldsAt, 4)); // 14 bytes a field
        QVERIFY_THROWS_EXCEPTION(StoreError, PalmDatabase::fromBytes(bytes, QStringLiteral("x")));
    }

    void valuesReadAsText_data() {
        QTest::addColumn<FieldValue>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("number");
        QTest::addColumn<bool>("truth");
        QTest::newRow("text True") << FieldValue("True") << "True" << 0.0 << true;
        QTest::newRow("text true") << FieldValue("true") << "true" << 0.0 << true;
        QTest::newRow("text yes") << FieldValue("yes") << "yes" << 0.0 << false;
        QTest::newRow("double") << FieldValue(2.50) << "2.5" << 2.5 << false;
        QTest::newRow("money text")
            << FieldValue("125.5 dollars") << "125.5 dollars" << 125.5 << false;
    }
    void valuesReadAsText() {
        QFETCH(FieldValue, value);
        QFETCH(QString, text);
        QFETCH(double, number);
        QFETCH(bool, truth);
        QCOMPARE(value.toText(), text);
        QCOMPARE(value.toNumber(), number);
        QCOMPARE(value.toBool(), truth);
    }

    void sortComparesLikeValues() {
        PalmDatabase db;
        auto add = [&](const char *tag, FieldValue ordr, FieldValue alrm) {
            Record &r = db.records().add();
            db.write(r, "evnt", QString::fromLatin1(tag));
            if (!ordr.isNone())
                db.write(r, "ordr", ordr);
            if (!alrm.isNone())
                db.write(r, "alrm", alrm, FieldKind::Date);
        };
        const FieldValue early(QDate(2027, 1, 1), QTime(8, 0)),
            late(QDate(2027, 1, 1), QTime(9, 0));
        add("ten", qint16(10), late);
        add("nine-late", qint16(9), late);
        add("none", FieldValue(), FieldValue());
        add("nine-early", qint16(9), early);
        add("two", qint16(2), FieldValue());
        add("nine-nodate", qint16(9), FieldValue());
        db.sort("ordr", true, QStringLiteral("alrm"), true);
        QCOMPARE(column(db, "evnt"),
                 QStringList({"none", "two", "nine-nodate", "nine-early", "nine-late", "ten"}));
    }

    // Text sorts without regard to case, keeping ties in order; accented names sort among
    // their letters, not after "Z".
    void sortTextIgnoresCaseAndKeepsTies() {
        PalmDatabase db;
        int n = 0;
        for (const char *name : {"bob", "Carol", "alice", "Bob", "", "ALICE"})
            addRecord(db, {{"gnam", QString::fromLatin1(name)}, {"gnot", QString::number(++n)}});
        db.records().add(); // lacks the name: sorts first
        db.write(db.records().add(), "gnot", QStringLiteral("8"));
        db.sort("gnam", true, QString(), true);
        QCOMPARE(column(db, "gnam"),
                 QStringList({"-", "-", "", "alice", "ALICE", "bob", "Bob", "Carol"}));
        QCOMPARE(column(db, "gnot"), QStringList({"-", "8", "5", "3", "6", "1", "4", "2"}));
        db.sort("gnam", false);
        QCOMPARE(column(db, "gnam").first(), QStringLiteral("Carol"));

        db.records().removeAll();
        for (const char *name : {"Zoe", "Ölaf", "Émile", "Adam", "Oscar", "Eddie", "Fran"})
            db.write(db.records().add(), "gnam", QString::fromUtf8(name));
        db.sort("gnam", true, QString(), true);
        QCOMPARE(column(db, "gnam"),
                 QStringList({"Adam", "Eddie", "Émile", "Fran", "Ölaf", "Oscar", "Zoe"}));
    }

    // Texts read from a file share one block of string data per record, and repeated short
    // texts share across records; texts far into a long record are kept on their own. Every
    // copy must stay whole and independent: after edits to other copies, and after the
    // database is gone.
    void readTextsStayIndependent() {
        PalmDatabase db;
        const QString wide = QStringLiteral("Zoë 王 ✓"); // stored as UTF-8, decodes shorter
        for (int i = 0; i < 3; ++i) {
            addRecord(db, {{"gtyp", QStringLiteral("Bride's Family")},
                           {"gnam", i == 1 ? wide : QStringLiteral("Guest %1").arg(i)},
                           {"gcit", QStringLiteral("Toledo")},
                           {"gmai", QString()}});
        }
        const QString huge(17 * 1024 * 1024, u'a');
        addRecord(db, {{"note", huge}, {"gnam", QStringLiteral("after the long one")}});
        auto back = PalmDatabase::fromBytes(db.toBytes(), QStringLiteral("g.pdb"));
        QStringList texts;
        for (int n = 1; n <= 3; ++n) {
            for (FieldCode code : {FieldCode("gtyp"), FieldCode("gnam"), FieldCode("gcit")})
                texts << back->records().item(n).text(code);
        }
        const QStringList expected = texts;
        QCOMPARE(expected.mid(3, 3), QStringList({"Bride's Family", wide, "Toledo"}));
        QVERIFY(back->records().item(2).text("gmai").isEmpty());
        QCOMPARE(back->records().item(4).value("note"), FieldValue(huge));
        QCOMPARE(back->records().item(4).text("gnam"), QStringLiteral("after the long one"));

        // Growing or changing one copy leaves every other text as it was.
        QString grown = back->records().item(2).text("gnam");
        grown += QStringLiteral(" and a much longer tail than the block had room for");
        QString changed = back->records().item(1).text("gtyp");
        changed[0] = u'X';
        const Record kept = back->records().item(2);
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(back->records().item(n).text("gtyp"), QStringLiteral("Bride's Family"));
        QCOMPARE(back->records().item(2).text("gnam"), wide);

        // The database goes; its texts, a copied record and values live on.
        const FieldValue value = back->records().item(3).value("gcit");
        back.reset();
        QCOMPARE(texts, expected);
        QCOMPARE(kept.text("gnam"), wide);
        QCOMPARE(value, FieldValue(QStringLiteral("Toledo")));
        texts[4].append(QStringLiteral("!"));
        texts[5].prepend(QStringLiteral("North "));
        QCOMPARE(texts.mid(3, 3), QStringList({"Bride's Family", wide + u'!', "North Toledo"}));
        QCOMPARE(kept.text("gcit"), QStringLiteral("Toledo"));
    }

    void valuesCompareByTypeAndContent() {
        const QDate day(2027, 6, 12);
        QVERIFY(FieldValue("True") != FieldValue(true));
        QVERIFY(FieldValue(qint16(2)) != FieldValue(2.0));
        QVERIFY(FieldValue(QString()) == FieldValue(QStringLiteral("")));
        QVERIFY(FieldValue(QString()) != FieldValue());
        QVERIFY(FieldValue(day, QTime(9, 0)) != FieldValue(day, QTime(9, 0, 1)));
        QCOMPARE(FieldValue(day, QTime()), FieldValue(QDateTime(day, QTime(0, 0))));
        // Dates keep the second, not the millisecond; an invalid one is no value.
        QCOMPARE(FieldValue(QDateTime(day, QTime(9, 8, 7, 654))).toDateTime(),
                 QDateTime(day, QTime(9, 8, 7)));
        QVERIFY(FieldValue(QDateTime()).isNone());
        QVERIFY(!FieldValue(QStringLiteral("")).toText().isNull());
        QVERIFY(FieldValue(QString()).toText().isNull());
        QVERIFY(FieldValue(2.5).textView().isEmpty());
        // A literal is kept where it is; it equals the same text held in string data.
        const FieldValue literal(QStringLiteral("Bride's Family"));
        const FieldValue held(QString::fromLatin1("Bride's Family"));
        QCOMPARE(literal, held);
        QCOMPARE(FieldValue(literal).toText(), held.toText());
        QCOMPARE(literal.textView(), held.textView());
        QCOMPARE(FieldValue("Ann").textView(), u"Ann");
        FieldValue v(QStringLiteral("kept"));
        const FieldValue &same = v;
        v = same; // assigning a value to itself keeps it
        QCOMPARE(v.toText(), QStringLiteral("kept"));
    }

    // Every form a value takes, lean or portable, stays whole through copies, moves and
    // assignments over every other form, and a text read from a file outlives its database.
    void valuesSurviveCopiesAndMoves() {
        PalmDatabase db;
        db.write(db.records().add(), "gcit", QStringLiteral("Toledo"));
        auto back = PalmDatabase::fromBytes(db.toBytes(), QStringLiteral("g.pdb"));
        const QList<FieldValue> values = {FieldValue(),
                                          FieldValue(QString()),
                                          FieldValue(QStringLiteral("")),
                                          FieldValue(QStringLiteral("a literal")),
                                          FieldValue(QString::number(12345)),
                                          back->records().item(1).value("gcit"),
                                          FieldValue(true),
                                          FieldValue(QDate(2027, 6, 12), QTime(9, 30)),
                                          FieldValue(qint16(-7)),
                                          FieldValue(2.5)};
        back.reset();
        QCOMPARE(values[5].textView(), u"Toledo");
        for (const FieldValue &a : values) {
            for (const FieldValue &b : values) {
                FieldValue copy = a;
                copy = b;
                QCOMPARE(copy, b);
                FieldValue moved = std::move(copy);
                QVERIFY(copy.isNone()); // NOLINT: a moved-from value is none
                copy = a;
                moved = std::move(copy);
                QCOMPARE(moved, a);
                QCOMPARE(moved.toText(), a.toText());
                QCOMPARE(moved.toText().isNull(), a.toText().isNull());
            }
        }
    }

    void numericValue_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("word") << "abc" << 0.0;
        QTest::newRow("plain") << "42" << 42.0;
        QTest::newRow("trailing text") << "12.50abc" << 12.5;
        QTest::newRow("leading blanks") << "   7" << 7.0;
        QTest::newRow("blanks inside") << "1 2 3" << 123.0;
        QTest::newRow("negative") << "-3.25" << -3.25;
        QTest::newRow("sign then blank") << "- 5" << -5.0;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
        QTest::newRow("comma is not a point") << "1,5" << 1.0;
        QTest::newRow("currency sign") << "$100" << 0.0;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("dangling exponent") << "2e" << 2.0;
        QTest::newRow("huge") << "1e999" << 0.0;
    }
    void numericValue() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(Numbers::numericValue(text), value);
    }

    void clampedInteger() {
        QCOMPARE(Numbers::clampedInteger(1e9), qint16(32767));
        QCOMPARE(Numbers::clampedInteger(-1e9), qint16(-32768));
        QCOMPARE(Numbers::clampedInteger(0.5), qint16(0)); // halves to even
        QCOMPARE(Numbers::clampedInteger(3.5), qint16(4));
    }

    void numberText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 1500.0 << "1500";
        QTest::newRow("no trailing zeros") << 12.5 << "12.5";
        QTest::newRow("negative") << -3.75 << "-3.75";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("no grouping") << 1234567.0 << "1234567";
        QTest::newRow("cents") << 0.1 + 0.2 << "0.3";
    }
    void numberText() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(Numbers::numberText(value), text);
    }
};

VOWLINE_TEST(TestComponent)
#include "tst_component.moc"
