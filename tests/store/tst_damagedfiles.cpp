#include "store/tb4server.h"
#include "support/testenv.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <functional>

namespace {

// A small valid database: two records, the second lacking a field.
QByteArray validFile() {
    PalmDatabase db;
    db.setName(QStringLiteral("VowlGuestDB"));
    db.setType(QStringLiteral("gues"));
    db.setCreator(QStringLiteral("Vowl"));
    Record &a = db.records().add();
    db.write(a, "gnam", QStringLiteral("Ann"));
    db.write(a, "gcon", true, FieldKind::Boolean);
    db.write(db.records().add(), "gnam", QStringLiteral("Bob"));
    return db.toBytes();
}

quint32 get32(const QByteArray &b, int at) {
    return qFromBigEndian<quint32>(b.constData() + at);
}
void put32(QByteArray &b, int at, quint32 v) {
    qToBigEndian<quint32>(v, b.data() + at);
}
void put16(QByteArray &b, int at, quint16 v) {
    qToBigEndian<quint16>(v, b.data() + at);
}
int appInfoAt(const QByteArray &b) {
    return int(get32(b, 52));
}
int record1At(const QByteArray &b) {
    return int(get32(b, 78));
}
int record2At(const QByteArray &b) {
    return int(get32(b, 86));
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

class TestDamagedFiles : public QObject {
    Q_OBJECT
private slots:
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

VOWLINE_TEST(TestDamagedFiles)
#include "tst_damagedfiles.moc"
