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
        const QString u8 = QStringLiteral("UTF-8"), w = QStringLiteral("Windows-1252"),
                      u16 = QStringLiteral("UTF-16"),
                      bare16 = QStringLiteral("UTF-16 without byte-order mark");
        const struct {
            const char *name;
            QByteArray bytes;
            QString rows, separator, encoding;
        } rows[] = {
            {"plain CR LF", "Name,City\r\nAnn,Rome\r\n", "Name|City/Ann|Rome", ",", u8},
            {"LF, no last break", "a,b\n1,2\n3,4", "a|b/1|2/3|4", ",", u8},
            {"CR only", "a,b\r1,2\r", "a|b/1|2", ",", u8},
            {"quoted separator and quotes", "Name,Note\n\"Lee, Ann\",\"say \"\"hi\"\"\"\n",
             "Name|Note/Lee, Ann|say \"hi\"", ",", u8},
            {"quoted line breaks", "a,b\n\"one\r\ntwo\",\"x\ny\"\n", "a|b/one\r\ntwo|x\ny", ",",
             u8},
            {"empty quoted and unquoted", "a,b,c\n\"\",,z\n", "a|b|c/||z", ",", u8},
            {"text after closing quote", "a\n\"ab\"c\n", "a/abc", ",", u8},
            {"quote inside unquoted field", "a\n5\" tall\n", "a/5\" tall", ",", u8},
            {"trailing separator", "a,b,\n1,2,", "a|b|/1|2|", ",", u8},
            {"blank and empty rows dropped", "a,b\n\n1,2\n,\n\r\n3,4\n,\n", "a|b/1|2/3|4", ",", u8},
            {"semicolon", "a;b;c\n1,5;2;3\n", "a|b|c/1,5|2|3", ";", u8},
            {"tab", "a\tb\n1, 2\t3\n", "a|b/1, 2|3", "\t", u8},
            {"semicolon, comma in titles", "Name;City, State\nAnn;Rome, RM\nBo;Oslo, OS\n",
             "Name|City, State/Ann|Rome, RM/Bo|Oslo, OS", ";", u8},
            {"separator in quoted header ignored", "\"a;b;c\",d\n1,2\n", "a;b;c|d/1|2", ",", u8},
            {"UTF-8 accents", "Name\nZo\xC3\xAB \xE2\x82\xAC\n", "Name/Zoë €", ",", u8},
            {"UTF-8 byte-order mark", "\xEF\xBB\xBFName,City\nZo\xC3\xAB,K\xC3\xB6ln\n",
             "Name|City/Zoë|Köln", ",", "UTF-8 with byte-order mark"},
            {"Windows-1252", "Name;Gift\nZo\xEB;100 \x80\n", "Name|Gift/Zoë|100 €", ";", w},
            {"UTF-16 with mark",
             raw("\xFF\xFEN\0a\0\t\0b\0\n\0\xEB\0\t\0"
                 "2\0\n\0"),
             "Na|b/ë|2", "\t", u16},
            // An 8-bit file whose last character is accented ends in what looks like the start
            // of a UTF-8 sequence; it is no UTF-8 all the same.
            {"Windows-1252, accent last, no last break", "Name;City\nAnn;Bogot\xE1",
             "Name|City/Ann|Bogot\u00E1", ";", w},
            {"UTF-16 LE without mark", utf16(u"Name,City\r\nZo\u00EB,K\u00F6ln\r\n"_qs, true),
             "Name|City/Zo\u00EB|K\u00F6ln", ",", bare16},
            {"UTF-16 BE without mark", utf16(u"Name;City\n\u738B;\u5317\u4EAC\n"_qs, false),
             "Name|City/\u738B|\u5317\u4EAC", ";", bare16},
            // Inside quotes a control character is text, as the export writes it.
            {"control characters inside quotes", raw("Name,Note\n\"A\x01\",\"x\0y\x1B\"\n"),
             "Name|Note/A\u0001|x" + QString(QChar(0)) + "y\u001B", ",", u8},
            {"UTF-16, half a character", raw("\xFF\xFEN\0\n\0\x3D\xD8x\0\n\0"), "N/\uFFFDx", ",",
             u16},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.bytes << r.rows << r.separator << r.encoding;
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
        const QString empty = QStringLiteral("The file guests.csv is empty."),
                      notCsv = QStringLiteral("The file guests.csv is not a spreadsheet saved as "
                                              "CSV text: line 2 holds a control character "),
                      longer = QStringLiteral("Row 2 of the file guests.csv holds a field longer "
                                              "than 1,048,576 characters.");
        const QByteArray tooLong(Csv::kMaxFieldChars + 1, 'x');
        const struct {
            const char *name;
            QByteArray bytes;
            QString message;
        } rows[] = {
            {"empty", QByteArray(), empty},
            {"blank lines", "\r\n \r\n", empty},
            {"separators only", ",,\n,,\n", empty},
            {"header only", "Name,City\r\n",
             "The file guests.csv holds only a header row and no guests."},
            // The quoted line break keeps row 2 in one spreadsheet row, so the short row is row 3.
            {"ragged", "a,b\n\"x\ny\",z\nonly\n",
             "Row 3 of the file guests.csv has 1 fields, but the header row has 2.  Every row "
             "needs one field per column."},
            {"NUL byte", raw("Name\nA\0nn\n"), notCsv + "(code 0)."},
            {"binary", raw("\x89PNG\r\n\x1a\n\0\0\0\rIHDR"), notCsv + "(code 26)."},
            {"control character after a quoted field",
             "Name,Note\n\"ok\",a\x02"
             "b\n",
             notCsv + "(code 2)."},
            {"UTF-8 mark, one Windows-1252 byte", "\xEF\xBB\xBFName\r\nAnn\r\nJos\xE9 Lee\r\n",
             "The file guests.csv is marked as UTF-8 text, but line 3 holds a byte that is not "
             "UTF-8 (code 233)."},
            {"field too long", "Name\n" + tooLong, longer},
            {"quoted field too long", "Name\n\"" + tooLong + "\"", longer},
            // Spreadsheet text counts by the text inside: this one is one character too long.
            {"spreadsheet text too long", "Name\n\"=\"\"" + tooLong + "\"\"\"", longer},
            {"quote never closed", "a,b\n1,2\n\"open,3\n4,5\n",
             "Row 3 of the file guests.csv begins a quoted field that never ends."},
            {"too many rows", "Name\n" + QByteArray(Csv::kMaxRows * 2, 'a').replace("aa", "a\n"),
             "The file guests.csv has more than 1,048,576 rows, more than a spreadsheet holds."},
            {"too many columns", QByteArray(300, ',') + "x",
             "Row 1 of the file guests.csv has more than 256 columns."},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.bytes << r.message;
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
