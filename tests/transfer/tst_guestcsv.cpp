#include "rules/replies.h"
#include "store/planedit.h"
#include "store/storeerror.h"
#include "support/testenv.h"
#include "transfer/guestcsv.h"

#include <QSettings>
#include <QTest>

using GuestCsv::Column;

namespace {

// A plan to import into, through an edit as the program imports.
struct ImportTarget {
    PlanSet set = emptyPlanSet();
    PalmDatabase &guests = set.db(Schema::DbId::Guest);
    PalmDatabase &relations = set.db(Schema::DbId::RelTypes);
    int apply(const GuestCsv::Plan &plan, const GuestCsv::Choices &choices) {
        PlanEdit edit(set);
        return GuestCsv::apply(plan, choices, edit);
    }
};

QString titles(const GuestCsv::Mapping &mapping) {
    QStringList t;
    for (Column c : mapping)
        t.append(GuestCsv::title(c));
    return t.join(u'|');
}

Csv::Table table(const char *text) {
    return Csv::parse(QByteArray(text), QStringLiteral("guests.csv"));
}

// The file of the duplicate and skip cases: rows 2 to 7.
const char *const kMixedFile = "Name,Relation,E-Mail,RSVP\n"
                               "ZOE ADAMS, family ,,2\n" // the guest Zoë Adams, by name
                               ",Friends,x@y,1\n"        // no name
                               "Carl,Work,BOB@X ,\n"     // the guest Bob, by e-mail
                               "Dana,Friends,,two\n"     // an RSVP as text, kept
                               "Eve,Neighbours,,2.0\n"   // fine
                               "\"eve \",Friends,,\n";   // row 6 again

} // namespace

class TestGuestCsv : public QObject {
    Q_OBJECT
private slots:
    void init() { QSettings().remove(QStringLiteral("Import")); }

    void guessesColumns_data() {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("fields");
        QTest::newRow("own export") << "Name,Relation,Address,City,State,ZIP,Country,Phone,E-Mail,"
                                       "RSVP,Confirmed,Gift,Notes"
                                    << "Name|Relation|Address|City|State|ZIP|Country|Phone|E-Mail|"
                                       "RSVP|Confirmed|Gift|Notes";
        QTest::newRow("other titles") << "Full Name,Relationship,Street,Town,Province,Postal Code,"
                                         "Telephone,Email Address,Party Size,Attending,Comments"
                                      << "Name|Relation|Address|City|State|ZIP|Phone|E-Mail|RSVP|"
                                         "Confirmed|Notes";
        QTest::newRow("first and last name") << "First Name,Last Name,Address 1,Address 2"
                                             << "Name|Name|Address|Address";
        QTest::newRow("a field once") << "Phone,Mobile,email,E-MAIL "
                                      << "Phone|(not imported)|E-Mail|(not imported)";
        QTest::newRow("unknown and accented") << "Favourite colour,  NÁME ,Ville"
                                              << "(not imported)|Name|(not imported)";
    }
    void guessesColumns() {
        QFETCH(QString, header);
        QFETCH(QString, fields);
        QCOMPARE(titles(GuestCsv::guessMapping(header.split(u','))), fields);
    }

    void remembersTheLastMapping() {
        const QStringList header{"Wer", "Name", "Notes"};
        GuestCsv::rememberMapping(header, {Column::Name, Column::Ignore, Column::Gift});
        // Another file: the remembered choices win over the usual titles, by header name.
        const QStringList next{"NOTES", "wer", "City"};
        QCOMPARE(titles(GuestCsv::guessMapping(next, GuestCsv::rememberedMapping())),
                 QStringLiteral("Gift|Name|City"));

        // Choices stored by an earlier version, as numbers of its shorter field list, keep
        // their meaning: 13 was "not imported" there.
        QSettings().setValue(QStringLiteral("Import/GuestColumns"),
                             QStringList{"city=12", "notes=11", "seat=13", "wer=0"});
        QCOMPARE(titles(GuestCsv::guessMapping({"Wer", "Notes", "Seat", "City", "Table"},
                                               GuestCsv::rememberedMapping())),
                 QStringLiteral("Name|Gift|(not imported)|Notes|Table"));
    }

    // The rows of a file that are skipped and those that look like a guest already in the
    // plan, or like an earlier row; what is added is what the user chose.
    void addsWhatWasChosen_data() {
        QTest::addColumn<QList<bool>>("addDuplicate");
        QTest::addColumn<bool>("addRelations");
        QTest::addColumn<QStringList>("guests");
        QTest::addColumn<QStringList>("relations");
        QTest::newRow("duplicates skipped")
            << QList<bool>{} << true << QStringList{"Bob", "Dana", "Eve", "Zoë Adams"}
            << QStringList{"Family", "Friends", "Neighbours"};
        QTest::newRow("one added, no new relations")
            << QList<bool>{false, true, false} << false
            << QStringList{"Bob", "Carl", "Dana", "Eve", "Zoë Adams"} << QStringList{"Family"};
        QTest::newRow("all added")
            << QList<bool>{true, true, true} << true
            << QStringList{"Bob", "Carl", "Dana", "Eve", "eve ", "ZOE ADAMS", "Zoë Adams"}
            << QStringList{"Family", "Work", "Friends", "Neighbours"};
    }
    void addsWhatWasChosen() {
        QFETCH(QList<bool>, addDuplicate);
        QFETCH(bool, addRelations);
        QFETCH(QStringList, guests);
        QFETCH(QStringList, relations);
        ImportTarget target;
        PalmDatabase &db = target.guests, &rel = target.relations;
        addRecord(db, {{"gnam", QStringLiteral("Zoë Adams")}, {"gcos", "zoe@example.org"}});
        addRecord(db, {{"gnam", "Bob"}, {"gcos", "bob@x"}});
        addRecord(rel, {{"type", "Family"}});
        const Csv::Table t = table(kMixedFile);
        const auto plan =
            GuestCsv::analyse(t, GuestCsv::guessMapping(t.header), db, rel.listValues("type"));
        QStringList skipped, duplicates;
        for (const auto &s : plan.skipped)
            skipped.append(GuestCsv::describe(s));
        for (const auto &d : plan.duplicates)
            duplicates.append(GuestCsv::describe(d, plan.guests[std::size_t(d.guest)]));
        QCOMPARE(skipped, QStringList({"Row 3: no name"}));
        QCOMPARE(duplicates,
                 QStringList({"Row 2: ZOE ADAMS looks like the guest Zoë Adams (same name)",
                              "Row 4: Carl looks like the guest Bob (same e-mail)",
                              "Row 7: eve  looks like Eve in row 6 (same name)"}));
        QCOMPARE(plan.guests.size(), std::size_t(5));
        QCOMPARE(plan.guests[0].values[std::size_t(Column::Relation)], QStringLiteral("Family"));
        // An RSVP is taken as written, as the record editor takes it.
        QCOMPARE(plan.guests[2].values[std::size_t(Column::Rsvp)], QStringLiteral("two"));
        QCOMPARE(plan.guests[3].values[std::size_t(Column::Rsvp)], QStringLiteral("2.0"));
        QCOMPARE(plan.newRelations, QStringList({"Work", "Friends", "Neighbours"}));

        GuestCsv::Choices choices;
        choices.addDuplicate.assign(addDuplicate.begin(), addDuplicate.end());
        choices.addRelations = addRelations;
        QCOMPARE(target.apply(plan, choices), guests.size() - 2);
        db.sort("gnam");
        QCOMPARE(db.listValues("gnam"), guests);
        QCOMPARE(rel.listValues("type"), relations);
    }

    void neverPassesTheRecordLimit() {
        ImportTarget target;
        PalmDatabase &db = target.guests;
        for (int i = 0; i < GuestCsv::kMaxGuests - 1; ++i)
            db.records().add();
        const Csv::Table t = table("Name\nAnn\nBen\n");
        const auto plan = GuestCsv::analyse(t, GuestCsv::guessMapping(t.header), db, {});
        QVERIFY_THROWS_EXCEPTION(StoreError, target.apply(plan, {}));
        QCOMPARE(db.records().count(), GuestCsv::kMaxGuests - 1);
    }

    // A plan of guests holding every kind of value the program keeps, each kind in every
    // field: what the export writes, the import gives back field for field (an absent text
    // reads as empty, an absent Boolean as False, as the record editor shows them), and every
    // value a spreadsheet would run or change is written as spreadsheet text, however long.
    void everyGuestComesBackFieldForField() {
        const QString longFormula = u'=' + QString(16000, u'"') + QString(16766, u'x');
        const QString longestText = QString(Csv::kMaxFieldChars, u'"').replace(0, 1, u'@');
        QStringList kinds = {QString(), "0",     "2",        "2 adults",  "1000",
                             "-1",      "1.5",   "02134",    "=1+2",      "+1 617 555 0100",
                             "-",       "@home", "\tTabbed", "\rReturned"};
        kinds += {"line\nbreak",  "cr\ronly",        "crlf\r\nnote", "say \"hi\"",
                  "Lee, Ann; Bo", "Zoë Ørsted ★ 王", "=\"quoted\""};
        kinds << QStringLiteral("ctl\u0001\u001F") + QChar(0) + u'x' << longFormula
              << QString(200000, u'n');
        const std::array<FieldCode, 15> texts = {"gnam", "gtyp", "gadr", "gcit", "gsta",
                                                 "gzip", "gctr", "gpho", "gcos", "rsvp",
                                                 "gift", "gnot", "gtag", "gmea", "gdie"};
        PalmDatabase original;
        const int count = int(kinds.size());
        for (int g = 0; g < count; ++g) {
            Record &r = original.records().add();
            for (std::size_t f = 0; f < texts.size(); ++f) {
                QString value = kinds[(g + int(f)) % kinds.size()];
                // A row needs a name; any other field is now and then absent altogether.
                if (f == 0 && value.trimmed().isEmpty())
                    value = QStringLiteral("Guest %1").arg(g);
                if (f == 0 || (g + int(f)) % 7 != 3)
                    original.write(r, texts[f], value);
            }
            if (g == 1)
                original.write(r, "gnot", longestText); // the longest the import reads
            for (const FieldCode flag : {FieldCode("gcon"), FieldCode("tnku")}) {
                if (const int which = (g + (flag == FieldCode("gcon") ? 0 : 1)) % 3; which > 0)
                    original.write(r, flag, which == 2, FieldKind::Boolean);
            }
            if (g % 4 == 1) // declined, or (with gcon true) confirmed on the handheld since
                original.write(r, "gdec", true, FieldKind::Boolean);
        }

        const QByteArray file = GuestCsv::exportGuests(original, GuestCsv::Form::AllFields);
        QVERIFY(file.startsWith("\xEF\xBB\xBF"));
        const Csv::Table t = Csv::parse(file, QStringLiteral("export.csv"));
        QCOMPARE(t.header.size(), 17);
        for (const QStringList &row : t.rows) {
            for (qsizetype c = 0; c < row.size(); ++c) {
                const QString value = Csv::fromSpreadsheetText(row[c]);
                const bool formula =
                    !value.isEmpty() && QStringLiteral("=+-@\t\r").contains(value.front());
                const bool zip = t.header[c] == QLatin1String("ZIP") && value == "02134";
                if (formula || zip)
                    QVERIFY2(row[c].startsWith(QLatin1String("=\"")), qPrintable(value.left(20)));
            }
        }

        ImportTarget target;
        PalmDatabase &back = target.guests;
        const auto plan = GuestCsv::analyse(t, GuestCsv::guessMapping(t.header), back, {});
        QVERIFY(plan.skipped.empty());
        GuestCsv::Choices all;
        all.addDuplicate.assign(plan.duplicates.size(), true);
        QCOMPARE(target.apply(plan, all), count);
        auto text = [](const Record &r, FieldCode code) {
            return r.has(code) ? r.value(code).toText() : QString();
        };
        for (int i = 1; i <= count; ++i) {
            const Record &was = original.records().item(i);
            const Record &is = back.records().item(i);
            for (const FieldCode code : texts)
                QCOMPARE(text(is, code), text(was, code));
            for (const FieldCode flag : {FieldCode("gcon"), FieldCode("tnku")})
                QCOMPARE(is.value(flag).toBool(), was.has(flag) && was.value(flag).toBool());
            QCOMPARE(Replies::replyOf(is), Replies::replyOf(was));
        }
    }

    // A reply column reads yes-like answers as confirmed, no-like ones as declined and
    // anything else as no reply yet; a meal takes the meal list's spelling. Declined guests
    // carry gcon false, which the handheld reads, beside gdec; empty meals and notes add no
    // field.
    void repliesAndMeals_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("meal");
        QTest::addColumn<int>("expected");   // Replies::Reply
        QTest::addColumn<QString>("stored"); // the meal, "-" for no field
        const int yes = int(Replies::Reply::Confirmed), no = int(Replies::Reply::Declined),
                  none = int(Replies::Reply::Awaiting);
        const struct {
            const char *name, *reply, *meal;
            int expected;
            const char *stored;
        } rows[] = {
            {"Yes", "Yes", "fish", yes, "Fish"},
            {"No", " No ", "VEGAN ", no, "Vegan"},
            {"blank", "", "", none, "-"},
            {"Declined", "declined", "Kosher", no, "Kosher"},
            {"Regrets", "Regrets", "  ", no, "  "},
            {"German no", "Nein", "Fisch", no, "Fisch"},
            {"French no", "non", "", no, "-"},
            {"an export's False: no reply yet", "False", "", none, "-"},
            {"maybe", "maybe", "", none, "-"},
            {"x", "x", "", yes, "-"},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.reply << r.meal << r.expected << r.stored;
    }
    void repliesAndMeals() {
        QFETCH(QString, reply);
        QFETCH(QString, meal);
        QFETCH(int, expected);
        QFETCH(QString, stored);
        const QByteArray file = "Guest,Reply,Meal choice,Dietary needs\nAnn,\"" + reply.toUtf8() +
                                "\",\"" + meal.toUtf8() + "\",\n";
        const Csv::Table t = Csv::parse(file, QStringLiteral("replies.csv"));
        QCOMPARE(titles(GuestCsv::guessMapping(t.header)),
                 QStringLiteral("Name|Confirmed|Meal|Dietary Note"));
        ImportTarget target;
        const auto plan = GuestCsv::analyse(t, GuestCsv::guessMapping(t.header), target.guests, {},
                                            {"Meat", "Fish", "Vegan"});
        QCOMPARE(target.apply(plan, {}), 1);
        const Record &ann = target.guests.records().item(1);
        QCOMPARE(int(Replies::replyOf(ann)), expected);
        QVERIFY(ann.has("gcon"));
        QCOMPARE(ann.has("gdec"), expected == int(Replies::Reply::Declined));
        QCOMPARE(ann.has("gmea") ? ann.text("gmea") : QStringLiteral("-"), stored);
        QVERIFY(!ann.has("gdie"));
    }

    // A value longer than the import reads stops the export, naming the guest.
    void exportRefusesWhatTheImportCannotRead() {
        PalmDatabase db;
        addRecord(db, {{"gnam", "Ann"}, {"gnot", QString(Csv::kMaxFieldChars + 1, u'n')}});
        try {
            GuestCsv::exportGuests(db, GuestCsv::Form::AllFields);
            QFAIL("the export was written");
        } catch (const StoreError &e) {
            QCOMPARE(e.description(),
                     QStringLiteral("The guest Ann has more than 1,048,576 characters in "
                                    "Notes, which the import cannot read back.  Shorten the "
                                    "value, then export again."));
        }
    }

    void envelopesForTheStationer() {
        PalmDatabase db;
        for (const QStringList &g : {QStringList{"Ann", "Boston", "MA", "02134"},
                                     {"Ben", "Paris", "", "75001"},
                                     {"Cy", "Rome", "", ""},
                                     {"Di", "", "", ""}})
            addRecord(db, {{"gnam", g[0]},
                           {"gadr", "1 Elm St"},
                           {"gcit", g[1]},
                           {"gsta", g[2]},
                           {"gzip", g[3]},
                           {"gcon", g[0] != u"Cy"}});
        int rows = 0;
        const QByteArray file = GuestCsv::exportGuests(db, GuestCsv::Form::Envelopes, &rows);
        QCOMPARE(rows, 3);
        QCOMPARE(QString::fromUtf8(file.mid(3)),
                 QStringLiteral("Name,Street,\"City, State ZIP\",Country\r\n"
                                "Ann,1 Elm St,\"Boston, MA 02134\",\r\n"
                                "Ben,1 Elm St,\"Paris, 75001\",\r\n"
                                "Di,1 Elm St,,\r\n"));
    }
};

VOWLINE_TEST(TestGuestCsv)
#include "tst_guestcsv.moc"
