#include "store/storeerror.h"
#include "support/testenv.h"
#include "transfer/csv.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Rows written compactly: fields joined by "|", rows by "/".
QString shape(const Csv::Table &t) {
    QStringList rows{t.header.join(u'|')};
    for (const QStringList &r : t.rows)
        rows.append(r.join(u'|'));
    return rows.join(u'/');
}

} // namespace

class TestCsv : public QObject {
    Q_OBJECT
private slots:
    void reads_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("encoding");
        const QString utf8 = QStringLiteral("UTF-8");
        QTest::newRow("plain CR LF")
            << QByteArray("Name,City\r\nAnn,Rome\r\n") << "Name|City/Ann|Rome"
            << "," << utf8;
        QTest::newRow("LF, no last break") << QByteArray("a,b\n1,2\n3,4") << "a|b/1|2/3|4"
                                           << "," << utf8;
        QTest::newRow("CR only") << QByteArray("a,b\r1,2\r") << "a|b/1|2"
                                 << "," << utf8;
        QTest::newRow("quoted separator and quotes")
            << QByteArray("Name,Note\n\"Lee, Ann\",\"say \"\"hi\"\"\"\n")
            << "Name|Note/Lee, Ann|say \"hi\""
            << "," << utf8;
        QTest::newRow("quoted line breaks")
            << QByteArray("a,b\n\"one\r\ntwo\",\"x\ny\"\n") << "a|b/one\r\ntwo|x\ny"
            << "," << utf8;
        QTest::newRow("empty quoted and unquoted") << QByteArray("a,b,c\n\"\",,z\n") << "a|b|c/||z"
                                                   << "," << utf8;
        QTest::newRow("text after closing quote") << QByteArray("a\n\"ab\"c\n") << "a/abc"
                                                  << "," << utf8;
        QTest::newRow("quote inside unquoted field") << QByteArray("a\n5\" tall\n") << "a/5\" tall"
                                                     << "," << utf8;
        QTest::newRow("trailing separator") << QByteArray("a,b,\n1,2,") << "a|b|/1|2|"
                                            << "," << utf8;
        QTest::newRow("blank and empty rows dropped")
            << QByteArray("a,b\n\n1,2\n,\n\r\n3,4\n,\n") << "a|b/1|2/3|4"
            << "," << utf8;
        QTest::newRow("semicolon") << QByteArray("a;b;c\n1,5;2;3\n") << "a|b|c/1,5|2|3"
                                   << ";" << utf8;
        QTest::newRow("tab") << QByteArray("a\tb\n1, 2\t3\n") << "a|b/1, 2|3"
                             << "\t" << utf8;
        QTest::newRow("semicolon, comma in titles")
            << QByteArray("Name;City, State\nAnn;Rome, RM\nBo;Oslo, OS\n")
            << "Name|City, State/Ann|Rome, RM/Bo|Oslo, OS"
            << ";" << utf8;
        QTest::newRow("separator in quoted header ignored")
            << QByteArray("\"a;b;c\",d\n1,2\n") << "a;b;c|d/1|2"
            << "," << utf8;
        QTest::newRow("UTF-8 accents")
            << QByteArray("Name\nZo\xC3\xAB \xE2\x82\xAC\n") << "Name/Zoë €"
            << "," << utf8;
        QTest::newRow("UTF-8 byte-order mark")
            << QByteArray("\xEF\xBB\xBFName,City\nZo\xC3\xAB,K\xC3\xB6ln\n") << "Name|City/Zoë|Köln"
            << ","
            << "UTF-8 with byte-order mark";
        QTest::newRow("Windows-1252")
            << QByteArray("Name;Gift\nZo\xEB;100 \x80\n") << "Name|Gift/Zoë|100 €"
            << ";"
            << "Windows-1252";
        QTest::newRow("UTF-16 with mark") << QByteArray("\xFF\xFE"
                                                        "N\0a\0\t\0b\0\n\0\xEB\0\t\0"
                                                        "2\0\n\0",
                                                        20)
                                          << "Na|b/ë|2"
                                          << "\t"
                                          << "UTF-16";
        QTest::newRow("UTF-16, half a character") << QByteArray("\xFF\xFE"
                                                                "N\0\n\0\x3D\xD8x\0\n\0",
                                                                12)
                                                  << "N/\uFFFDx"
                                                  << ","
                                                  << "UTF-16";
    }
    void reads() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, rows);
        QFETCH(QString, separator);
        QFETCH(QString, encoding);
        Csv::Table t;
        try {
            t = Csv::parse(bytes, QStringLiteral("guests.csv"));
        } catch (const StoreError &e) {
            QFAIL(e.what());
        }
        QCOMPARE(shape(t), rows);
        QCOMPARE(QString(t.separator), separator);
        QCOMPARE(t.encoding, encoding);
    }

    void refuses_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray() << "The file guests.csv is empty.";
        QTest::newRow("blank lines") << QByteArray("\r\n \r\n") << "The file guests.csv is empty.";
        QTest::newRow("separators only")
            << QByteArray(",,\n,,\n") << "The file guests.csv is empty.";
        QTest::newRow("header only")
            << QByteArray("Name,City\r\n")
            << "The file guests.csv holds only a header row and no guests.";
        // The quoted line break keeps row 2 in one spreadsheet row, so the short row is row 3.
        QTest::newRow("ragged") << QByteArray("a,b\n\"x\ny\",z\nonly\n")
                                << "Row 3 of the file guests.csv has 1 fields, but the header row "
                                   "has 2.  Every row needs one field per column.";
        QTest::newRow("NUL byte") << QByteArray("Name\nA\0nn\n", 10)
                                  << "The file guests.csv is not a spreadsheet saved as CSV text: "
                                     "line 2 holds a control character (code 0).";
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                                << "The file guests.csv is not a spreadsheet saved as CSV text: "
                                   "line 2 holds a control character (code 26).";
        QTest::newRow("1 MB field") << "Name\n" + QByteArray(1 << 20, 'x')
                                    << "Row 2 of the file guests.csv holds a field longer than "
                                       "32,767 characters.";
        QTest::newRow("1 MB quoted field") << "Name\n\"" + QByteArray(1 << 20, 'x') + "\""
                                           << "Row 2 of the file guests.csv holds a field longer "
                                              "than 32,767 characters.";
        QTest::newRow("quote never closed") << QByteArray("a,b\n1,2\n\"open,3\n4,5\n")
                                            << "Row 3 of the file guests.csv begins a quoted field "
                                               "that never ends.";
        QTest::newRow("too many columns") << QByteArray(300, ',') + "x"
                                          << "Row 1 of the file guests.csv has more than 256 "
                                             "columns.";
    }
    void refuses() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        try {
            Csv::parse(bytes, QStringLiteral("guests.csv"));
            QFAIL("the file was accepted");
        } catch (const StoreError &e) {
            QCOMPARE(e.description(), message);
        }
    }

    void unreadableFilesAreReported() {
        QTemporaryDir dir;
        for (const QString &path : {dir.path(), dir.path() + QStringLiteral("/missing.csv")})
            QVERIFY_THROWS_EXCEPTION(StoreError, Csv::readFile(path));
    }
};

VOWLINE_TEST(TestCsv)
#include "tst_csv.moc"
