#include "store/storeerror.h"
#include "support/testenv.h"
#include "transfer/csv.h"
#include "transfer/textencoding.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

template <std::size_t N> QByteArray raw(const char (&bytes)[N]) {
    return QByteArray(bytes, N - 1); // NUL bytes included
}

// The text in UTF-16 of the given order, without a byte-order mark.
QByteArray utf16(const QString &text, bool littleEndian) {
    QByteArray bytes;
    for (QChar c : text) {
        const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
        bytes.append(littleEndian ? low : high).append(littleEndian ? high : low);
    }
    return bytes;
}

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
        // An 8-bit file whose last character is accented ends in what looks like the start of
        // a UTF-8 sequence; it is no UTF-8 all the same.
        QTest::newRow("Windows-1252, accent last, no last break")
            << QByteArray("Name;City\nAnn;Bogot\xE1") << "Name|City/Ann|Bogot\u00E1"
            << ";"
            << "Windows-1252";
        QTest::newRow("UTF-16 LE without mark")
            << utf16(QStringLiteral("Name,City\r\nZo\u00EB,K\u00F6ln\r\n"), true)
            << "Name|City/Zo\u00EB|K\u00F6ln"
            << ","
            << "UTF-16 without byte-order mark";
        QTest::newRow("UTF-16 BE without mark")
            << utf16(QStringLiteral("Name;City\n\u738B;\u5317\u4EAC\n"), false)
            << "Name|City/\u738B|\u5317\u4EAC"
            << ";"
            << "UTF-16 without byte-order mark";
        // Inside quotes a control character is text, as the export writes it.
        QTest::newRow("control characters inside quotes")
            << raw("Name,Note\n\"A\x01\",\"x\0y\x1B\"\n")
            << QStringLiteral("Name|Note/A\u0001|x") + QChar(0) + QStringLiteral("y\u001B") << ","
            << "UTF-8";
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
        QTest::newRow("control character after a quoted field")
            << QByteArray("Name,Note\n\"ok\",a\x02"
                          "b\n")
            << "The file guests.csv is not a spreadsheet saved as CSV text: line 2 holds a "
               "control character (code 2).";
        QTest::newRow("UTF-8 mark, one Windows-1252 byte")
            << QByteArray("\xEF\xBB\xBFName\r\nAnn\r\nJos\xE9 Lee\r\n")
            << "The file guests.csv is marked as UTF-8 text, but line 3 holds a byte that is "
               "not UTF-8 (code 233).";
        const QByteArray tooLong(Csv::kMaxFieldChars + 1, 'x');
        const QString longer = QStringLiteral("Row 2 of the file guests.csv holds a field longer "
                                              "than 1,048,576 characters.");
        QTest::newRow("field too long") << "Name\n" + tooLong << longer;
        QTest::newRow("quoted field too long") << "Name\n\"" + tooLong + "\"" << longer;
        // Spreadsheet text counts by the text inside: this one is one character too long.
        QTest::newRow("spreadsheet text too long")
            << "Name\n\"=\"\"" + tooLong + "\"\"\"" << longer;
        QTest::newRow("quote never closed") << QByteArray("a,b\n1,2\n\"open,3\n4,5\n")
                                            << "Row 3 of the file guests.csv begins a quoted field "
                                               "that never ends.";
        QTest::newRow("too many rows")
            << "Name\n" + QByteArray(Csv::kMaxRows * 2, 'a').replace("aa", "a\n")
            << "The file guests.csv has more than 1,048,576 rows, more than a spreadsheet holds.";
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

    // The UTF-8 check finds the first byte that does not belong, wherever it is among plain
    // text: overlong forms, halves of characters, too high, cut off or stray.
    void findsTheFirstByteThatIsNotUtf8() {
        const QByteArray plain = "Name,City\r\nAnn Lee,Rome\r\n"; // 25 bytes
        const QList<QPair<QByteArray, int>> cases = {
            {"", -1},
            {"Zo\xC3\xAB \xE2\x82\xAC \xF0\x9F\x8E\x82 \xF4\x8F\xBF\xBF", -1},
            {"\xC0\xAF", 0},         // overlong "/"
            {"\xE0\x9F\xBF", 0},     // overlong three bytes
            {"\xED\xA0\x80", 0},     // half of a character
            {"\xF4\x90\x80\x80", 0}, // above U+10FFFF
            {"\xF5\x80\x80\x80", 0}, // no such lead byte
            {"\x80", 0},             // a continuation byte alone
            {"Andr\xE9", 4},         // cut off at the end
            {"\xE2\x82", 0},         // cut off at the end
            {"\xE2\x82x", 0},        // not continued
            {"\xC3\xAB\xE9 ", 2},
        };
        for (int at = 0; at < 20; ++at) {
            for (const auto &[tail, bad] : cases) {
                const QByteArray bytes = plain.left(at) + tail + plain.mid(at);
                const qsizetype expected = bad < 0 ? -1 : at + bad;
                QCOMPARE(TextEncoding::firstInvalidUtf8(bytes), expected);
                QCOMPARE(expected < 0, QByteArrayView(bytes).isValidUtf8());
            }
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
