#include "store/pdbcontainer.h"
#include "store/tb4server.h"
#include "support/testenv.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cmath>
#include <functional>
#include <set>

namespace {

quint32 be32(const QByteArray &b, int at) {
    return qFromBigEndian<quint32>(b.constData() + at);
}
quint16 be16(const QByteArray &b, int at) {
    return qFromBigEndian<quint16>(b.constData() + at);
}

std::unique_ptr<PalmDatabase> saveAndReopen(const PalmDatabase &db, const QString &path) {
    db.save(path);
    return TB4Server(HotSyncLocations{}).OpenDatabase(path);
}

// A small valid database: two records, the second lacking a field.
QByteArray validFile() {
    PalmDatabase db;
    db.setName(QStringLiteral("VowlGuestDB"));
    db.setType(QStringLiteral("gues"));
    db.setCreator(QStringLiteral("Vowl"));
    addRecord(db, {{"gnam", "Ann"}, {"gcon", true}});
    addRecord(db, {{"gnam", "Bob"}});
    return db.toBytes();
}

void put32(QByteArray &b, int at, quint32 v) {
    qToBigEndian<quint32>(v, b.data() + at);
}
void put16(QByteArray &b, int at, quint16 v) {
    qToBigEndian<quint16>(v, b.data() + at);
}
int appInfoAt(const QByteArray &b) {
    return int(be32(b, 52));
}
int record1At(const QByteArray &b) {
    return int(be32(b, 78));
}
int record2At(const QByteArray &b) {
    return int(be32(b, 86));
}

struct Damage {
    const char *name;
    std::function<void(QByteArray &)> apply;
    const char *says; // a phrase the description must hold
};

const std::vector<Damage> &damages() {
    static const std::vector<Damage> list = {
        {"empty file", [](QByteArray &b) { b.clear(); }, "shorter than a database header"},
        {"truncated header", [](QByteArray &b) { b.truncate(40); },
         "shorter than a database header"},
        {"name without NUL", [](QByteArray &b) { b.replace(0, 32, QByteArray(32, 'N')); },
         "name without an end"},
        {"record count larger than the file", [](QByteArray &b) { put16(b, 76, 5000); },
         "claims 5000 records"},
        {"record offset past the end", [](QByteArray &b) { put32(b, 86, quint32(b.size() + 10)); },
         "outside the file"},
        {"record offsets going backwards",
         [](QByteArray &b) { put32(b, 86, quint32(record1At(b) - 1)); }, "go backwards"},
        {"record inside the record table", [](QByteArray &b) { put32(b, 78, 80); },
         "outside the file"},
        {"application block past the end",
         [](QByteArray &b) { put32(b, 52, quint32(b.size() + 1)); }, "outside the file"},
        {"record before the application block",
         [](QByteArray &b) { put32(b, 52, quint32(record1At(b) + 1)); },
         "before its application block"},
        {"foreign application block", [](QByteArray &b) { b.replace(appInfoAt(b), 4, "ABCD"); },
         "not one of Vowline's"},
        {"unknown encoding version", [](QByteArray &b) { put16(b, appInfoAt(b) + 4, 99); },
         "format 99"},
        {"field list cut short", [](QByteArray &b) { put16(b, appInfoAt(b) + 6, 200); },
         "claims 200 fields"},
        {"record claiming more fields than it holds",
         [](QByteArray &b) { put16(b, record2At(b), 65535); }, "claims 65535 fields"},
        {"field data cut short", [](QByteArray &b) { b.chop(2); }, "Record 2 of"},
        {"text longer than its record",
         [](QByteArray &b) { put32(b, record2At(b) + 2 + 6, 0x7FFFFFFF); }, "is cut short"},
        {"unknown value type", [](QByteArray &b) { b[record2At(b) + 2 + 5] = char(42); },
         "unknown type 42"},
        {"unknown field kind", [](QByteArray &b) { b[record2At(b) + 2 + 4] = char(9); },
         "unknown kind 9"},
        {"malformed field name", [](QByteArray &b) { b[record2At(b) + 2] = char(1); },
         "malformed field name"},
        {"field held twice",
         [](QByteArray &b) {
             // Record 1 holds gnam then gcon; rename gcon to gnam.
             const int second = record1At(b) + 2 + 4 + 1 + 1 + 4 + 3;
             b.replace(second, 4, "gnam");
         },
         "twice"},
        {"Boolean neither true nor false", [](QByteArray &b) { b[record2At(b) - 1] = char(7); },
         "neither true nor false"},
        {"stray bytes after a record", [](QByteArray &b) { b.append("xyz"); }, "stray bytes"},
        {"records without a field list", [](QByteArray &b) { put32(b, 52, 0); },
         "without a field list"},
        {"only the header",
         [](QByteArray &b) {
             b.truncate(78);
             put16(b, 76, 1);
         },
         "claims 1 records"},
    };
    return list;
}

} // namespace

class TestPdbFormat : public QObject {
    Q_OBJECT
private slots:
    void everyValueKindRoundTrips() {
        QTemporaryDir dir;
        PalmDatabase db;
        db.setName(QStringLiteral("VowlGuestDB"));
        db.setType(QStringLiteral("gues"));
        db.setCreator(QStringLiteral("Vowl"));
        struct Entry {
            FieldCode code;
            FieldValue value;
            FieldKind kind = FieldKind::Text;
        };
        const QString bom = QChar(0xFEFF) + QStringLiteral("Ann") + QChar(0xFEFF);
        const std::vector<Entry> records[] = {
            {{"gnam", QStringLiteral("Zoë 王 ✓")},
             {"gcon", true, FieldKind::Boolean},
             {"dued", QDateTime(QDate(2027, 6, 12), QTime(15, 30, 45)), FieldKind::Date},
             {"star", QStringLiteral("12:00:00 PM"), FieldKind::Time},
             {"ordr", qint16(-32768)},
             {"vcos", 1234.5678},
             {"gift", QStringLiteral("café € – “quoted”")},
             {"rsvp", QString()}},
            {}, // a record with no fields at all
            {{"gcon", false, FieldKind::Boolean},
             {"ordr", qint16(10)},
             {"vcos", -0.1},
             {"note", QString::fromUtf8("line one\nline two\0with nul", 26)},
             {"gnot", bom}}, // every character comes back, a leading U+FEFF too
        };
        for (const auto &entries : records) {
            Record &r = db.records().add();
            for (const Entry &e : entries)
                db.write(r, e.code, e.value, e.kind);
        }
        db.records().item(1).fields().add("gtag"); // present without a value

        // Plain Western text must stay readable by handheld tools: stored as Windows-1252.
        const QByteArray bytes = db.toBytes();
        QVERIFY(bytes.contains("caf\xE9 \x80 \x96 \x93quoted\x94"));
        QVERIFY(!bytes.contains(QStringLiteral("café").toUtf8()));

        const auto back = saveAndReopen(db, dir.filePath(QStringLiteral("g.pdb")));
        QCOMPARE(back->name(), QStringLiteral("VowlGuestDB"));
        QCOMPARE(back->type(), QStringLiteral("gues"));
        QCOMPARE(back->creator(), QStringLiteral("Vowl"));
        // The field list keeps its order and kinds; a field only a record holds is not in it.
        QStringList codes;
        for (const Field &f : back->fieldList())
            codes << f.code().toString() + u'/' + QString::number(int(f.kind()));
        QCOMPARE(codes, QStringList({"gnam/0", "gcon/1", "dued/2", "star/3", "ordr/0", "vcos/0",
                                     "gift/0", "rsvp/0", "note/0", "gnot/0"}));
        QCOMPARE(back->records().count(), 3);
        for (int n = 1; n <= 3; ++n) {
            const Record &r = back->records().item(n);
            QCOMPARE(r.fields().count(), int(records[n - 1].size()) + (n == 1 ? 1 : 0));
            for (const Entry &e : records[n - 1]) {
                QCOMPARE(r.value(e.code), e.value); // type and content
                QCOMPARE(r.fields().item(e.code).kind(), e.kind);
            }
        }
        QVERIFY(back->records().item(1).value("gtag").isNone());
        QVERIFY(back->records().item(1).has("gtag"));
    }

    // Dates are the day and time the user chose, also where the zone skips or repeats that
    // local time; each row runs under its own time zone.
    void datesAreWallClock_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::newRow("Sao Paulo, midnight skipped")
            << QByteArray("America/Sao_Paulo") << QDate(2018, 11, 4) << QTime(0, 0);
        QTest::newRow("Sao Paulo, within the gap")
            << QByteArray("America/Sao_Paulo") << QDate(2018, 11, 4) << QTime(0, 30, 15);
        QTest::newRow("Berlin, hour skipped")
            << QByteArray("Europe/Berlin") << QDate(2027, 3, 28) << QTime(2, 30);
        QTest::newRow("Berlin, hour repeated")
            << QByteArray("Europe/Berlin") << QDate(2027, 10, 31) << QTime(2, 30, 1);
        QTest::newRow("UTC") << QByteArray("UTC") << QDate(2018, 11, 4) << QTime(0, 0);
        QTest::newRow("before 1904, with a time")
            << QByteArray("Europe/Berlin") << QDate(1899, 12, 31) << QTime(13, 5, 7);
    }
    void datesAreWallClock() {
        QFETCH(QByteArray, zone);
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        const ZoneGuard guard(zone);
        PalmDatabase db;
        db.write(db.records().add(), "date", QDateTime(date, time), FieldKind::Date);
        const FieldValue written = db.records().item(1).value("date");
        QCOMPARE(written.type(), FieldValue::Type::DateTime);
        const auto back = PalmDatabase::fromBytes(db.toBytes(), QStringLiteral("x.pdb"));
        const FieldValue read = back->records().item(1).value("date");
        QCOMPARE(read.toDate(), date);
        QCOMPARE(read.toTime(), time);
        QVERIFY(read.toText().size() > 0);
    }

    void headerIsStandard() {
        PalmDatabase db;
        db.setName(QStringLiteral("VowlineDB"));
        db.setType(QStringLiteral("DATA"));
        db.setCreator(QStringLiteral("Vowl"));
        for (int i = 0; i < 300; ++i)
            db.write(db.records().add(), "ownr", QString::number(i));
        const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
        const QByteArray b = db.toBytes();
        const QDateTime after = QDateTime::currentDateTime().addSecs(2);

        QCOMPARE(QByteArray(b.constData(), 10), QByteArray("VowlineDB\0", 10));
        QVERIFY(be16(b, 32) & 0x0008); // backup bit
        for (int at : {36, 40}) {      // creation and modification dates
            const quint32 palm = be32(b, at);
            QVERIFY(palm & 0x80000000u); // 1904-based, not Unix
            const QDateTime when = Pdb::fromPalmDate(palm);
            QVERIFY(when >= before && when <= after);
        }
        QCOMPARE(b.mid(60, 4), QByteArray("DATA"));
        QCOMPARE(b.mid(64, 4), QByteArray("Vowl"));
        QCOMPARE(be32(b, 72), 0u); // nextRecordListID
        QCOMPARE(be16(b, 76), quint16(300));
        std::set<quint32> ids;
        quint32 lastOffset = 0;
        for (int i = 0; i < 300; ++i) {
            const int entry = 78 + 8 * i;
            const quint32 offset = be32(b, entry);
            const quint32 id = (quint32(quint8(b[entry + 5])) << 16) | be16(b, entry + 6);
            QVERIFY(id != 0 && id < (1u << 24));
            QVERIFY(ids.insert(id).second);
            QVERIFY(offset > lastOffset && offset < quint32(b.size()));
            lastOffset = offset;
        }
        QCOMPARE(be16(b, 78 + 8 * 300), quint16(0));      // the two-byte gap
        QCOMPARE(be32(b, 52), quint32(78 + 8 * 300 + 2)); // AppInfo right after it

        // Dates written by Unix-based tools (no high bit) are read as Unix times.
        QByteArray unixDated = b;
        const qint64 unix =
            QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC).toSecsSinceEpoch();
        qToBigEndian<quint32>(quint32(unix), unixDated.data() + 36);
        const auto back = PalmDatabase::fromBytes(unixDated, QStringLiteral("x.pdb"));
        QCOMPARE(back->created().toSecsSinceEpoch(), unix);
    }

    void identityAndRecordLimits() {
        PalmDatabase db;
        QVERIFY_THROWS_EXCEPTION(StoreError, db.setName(QString(32, u'x')));
        QVERIFY_THROWS_EXCEPTION(StoreError, db.setName(QStringLiteral("王")));
        QVERIFY_THROWS_EXCEPTION(StoreError, db.setType(QStringLiteral("gue")));
        QVERIFY_THROWS_EXCEPTION(StoreError, db.setCreator(QStringLiteral("Vowls")));
        db.setName(QString(31, u'x'));
        QCOMPARE(db.name().size(), 31);
        db.records().reserve(65535);
        for (int i = 0; i < 65535; ++i)
            db.records().add();
        QVERIFY_THROWS_EXCEPTION(StoreError, db.records().add());
        QCOMPARE(db.records().count(), 65535);
    }

    // A plan file is parsed as it is read, a piece at a time: records that straddle pieces,
    // a record larger than a piece, and a gap before the field list larger than a piece must
    // all read as the whole file does.
    void readInPieces_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("longText");
        QTest::addColumn<int>("gap");
        QTest::newRow("many records") << 6000 << 0 << 0;
        QTest::newRow("a record larger than a piece") << 50 << 700 * 1024 << 0;
        QTest::newRow("a gap larger than a piece") << 200 << 0 << 600 * 1024;
    }
    void readInPieces() {
        QFETCH(int, records);
        QFETCH(int, longText);
        QFETCH(int, gap);
        PalmDatabase db;
        db.setName(QStringLiteral("VowlGuestDB"));
        for (int i = 0; i < records; ++i) {
            Record &r = db.records().add();
            db.write(r, "gnam", QStringLiteral("Guest %1 ").arg(i).repeated(1 + i % 7));
            db.write(r, "gtyp", QStringLiteral("Bride's Family"));
            db.write(r, "ordr", qint16(i));
            if (i == records / 2 && longText > 0)
                db.write(r, "note", QString(longText, u'n'));
        }
        QByteArray bytes = db.toBytes();
        if (gap > 0) {
            // Move everything after the record table on by `gap` bytes, as another tool may.
            const int count = be16(bytes, 76);
            const int tableEnd = Pdb::kHeaderSize + count * Pdb::kEntrySize;
            auto shift = [&](int at) {
                qToBigEndian<quint32>(be32(bytes, at) + gap, bytes.data() + at);
            };
            shift(52); // the field list
            for (int i = 0; i < count; ++i)
                shift(Pdb::kHeaderSize + i * Pdb::kEntrySize);
            bytes.insert(tableEnd, QByteArray(gap, '\0'));
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("VowlGuestDB.pdb"));
        writeAll(path, bytes);

        const auto whole = PalmDatabase::fromBytes(bytes, path);
        const auto pieces = TB4Server(HotSyncLocations{}).OpenDatabase(path);
        QCOMPARE(pieces->records().count(), records);
        for (int n = 1; n <= records; ++n) {
            const Fields &a = whole->records().item(n).fields();
            const Fields &b = pieces->records().item(n).fields();
            QCOMPARE(b.count(), a.count());
            for (const Field &f : a)
                QVERIFY2(b.item(f.code()).value() == f.value(), qPrintable(QString::number(n)));
        }
        if (longText > 0)
            QCOMPARE(pieces->records().item(records / 2 + 1).text("note").size(), longText);
    }

    // A file that shrinks after it was opened is reported as unreadable, not as damaged (a
    // damaged file would be replaced by the next save).
    void fileShrinkingWhileReadIsUnreadable() {
        PalmDatabase db;
        db.setName(QStringLiteral("VowlGuestDB"));
        for (int i = 0; i < 20000; ++i)
            db.write(db.records().add(), "gnam", QStringLiteral("Guest %1").arg(i));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("VowlGuestDB.pdb"));
        writeAll(path, db.toBytes());
        Pdb::FileSource file(path, Pdb::kMaxFileBytes);
        QVERIFY(QFile::resize(path, file.size() / 2));
        try {
            PalmDatabase::read(file, path);
            QFAIL("a file cut short while it was read was taken");
        } catch (const StoreError &e) {
            QCOMPARE(e.cause(), StoreError::Cause::Unreadable);
            QVERIFY2(e.description().contains(QStringLiteral("shorter while it was read")),
                     qPrintable(e.description()));
        }
    }

    void damagedFileIsRefused_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(damages().size()); ++i)
            QTest::newRow(damages()[std::size_t(i)].name) << i;
    }
    void damagedFileIsRefused() {
        QFETCH(int, index);
        const Damage &damage = damages()[std::size_t(index)];
        QByteArray bytes = validFile();
        damage.apply(bytes);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.pdb"));
        writeAll(path, bytes);
        try {
            TB4Server(HotSyncLocations{}).OpenDatabase(path);
            QFAIL("a damaged file was accepted");
        } catch (const StoreError &e) {
            QVERIFY2(e.description().contains(QStringLiteral("bad.pdb")),
                     qPrintable(e.description()));
            QVERIFY2(e.description().contains(QLatin1String(damage.says)),
                     qPrintable(e.description()));
        }
        QCOMPARE(readAll(path), bytes); // reading never changes the file
    }

    void unreadablePlaces() {
        QTemporaryDir dir;
        const TB4Server server{HotSyncLocations{}};
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 server.OpenDatabase(dir.filePath(QStringLiteral("none.pdb"))));
        QVERIFY_THROWS_EXCEPTION(StoreError, server.OpenDatabase(dir.path()));
    }
};

VOWLINE_TEST(TestPdbFormat)
#include "tst_pdbformat.moc"
