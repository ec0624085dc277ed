#include "csv.h"

#include "store/cp1252.h"
#include "store/safefile.h"
#include "store/storeerror.h"

#include <QDir>
#include <QLocale>
#include <QStringDecoder>
#include <algorithm>

namespace Csv {

namespace {

bool startsWith(const QByteArray &bytes, std::initializer_list<unsigned char> mark) {
    if (bytes.size() < qsizetype(mark.size()))
        return false;
    qsizetype i = 0;
    for (unsigned char b : mark) {
        if (static_cast<unsigned char>(bytes[i++]) != b)
            return false;
    }
    return true;
}

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView bytes) {
    QStringDecoder decoder(encoding);
    QString text = decoder(bytes);
    if (encoding == QStringConverter::Utf8)
        return text; // the decoder never yields half a character from UTF-8
    // UTF-16 may hold halves of characters that no other encoding can write: they become the
    // replacement character now rather than change silently on the next export.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

// A line break, a tab and the printable characters are what text holds; a NUL or another
// control character means the file is something else (a workbook, a picture, a program).
qsizetype firstControl(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            return i;
    }
    return -1;
}

// The line of a position: 1 plus the line breaks before it (a CR LF counts once).
int lineAt(QStringView text, qsizetype pos) {
    int row = 1;
    for (qsizetype i = 0; i < pos && i < text.size(); ++i) {
        if (text[i] == u'\n' ||
            (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n')))
            ++row;
    }
    return row;
}

} // namespace

QString decode(const QByteArray &bytes, QString *encoding) {
    auto say = [encoding](const char *name) {
        if (encoding)
            *encoding = QString::fromLatin1(name);
    };
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF})) {
        say("UTF-8 with byte-order mark");
        return decodeWith(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3));
    }
    if (startsWith(bytes, {0xFF, 0xFE})) {
        say("UTF-16");
        return decodeWith(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2));
    }
    if (startsWith(bytes, {0xFE, 0xFF})) {
        say("UTF-16");
        return decodeWith(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2));
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        say("UTF-8");
        return text;
    }
    say("Windows-1252");
    return Cp1252::decode(bytes.constData(), bytes.size());
}

namespace {

// Whichever separator the first row holds most often outside quotes; comma on a tie.
QChar separatorOfFirstRow(QStringView text) {
    int commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'\n' || c == u'\r')
            break;
        else if (c == u',')
            ++commas;
        else if (c == u';')
            ++semicolons;
        else if (c == u'\t')
            ++tabs;
    }
    if (semicolons > commas && semicolons >= tabs)
        return u';';
    if (tabs > commas && tabs > semicolons)
        return u'\t';
    return u',';
}

struct Parser {
    QStringView text;
    QChar sep;
    const QString &label;
    qsizetype i = 0;
    int row = 1; // rows as a spreadsheet numbers them: a quoted line break stays in its cell

    [[noreturn]] void fail(const QString &what) const {
        throw StoreError(QStringLiteral("Row %1 of the file %2 %3").arg(row).arg(label, what));
    }

    void checkLength(const QString &field) const {
        if (field.size() > kMaxFieldChars) {
            fail(QStringLiteral("holds a field longer than %1 characters.")
                     .arg(QLocale(QLocale::English).toString(kMaxFieldChars)));
        }
    }

    QString field() {
        const qsizetype n = text.size();
        QString value;
        if (i < n && text[i] == u'"') {
            ++i;
            for (;;) {
                const qsizetype quote = text.indexOf(u'"', i);
                if (quote < 0)
                    fail(QStringLiteral("begins a quoted field that never ends."));
                value += text.sliced(i, quote - i);
                checkLength(value);
                i = quote + 1;
                if (i < n && text[i] == u'"') {
                    value += u'"';
                    ++i;
                    continue;
                }
                break;
            }
        }
        // Unquoted text, or what a lenient writer put after a closing quote.
        qsizetype j = i;
        while (j < n) {
            const QChar c = text[j];
            if (c == sep || c == u'\n' || c == u'\r')
                break;
            ++j;
        }
        if (j > i) {
            if (value.isEmpty())
                value = text.sliced(i, j - i).toString(); // the common case: one allocation
            else
                value += text.sliced(i, j - i);
        }
        checkLength(value);
        i = j;
        return value;
    }

    QList<QStringList> rows(QList<int> *rowNumbers, qsizetype maxRows = -1) {
        QList<QStringList> result;
        const qsizetype n = text.size();
        qsizetype width = 0; // fields of the first row: every row should have as many
        while (i < n && result.size() != maxRows) {
            QStringList fields;
            fields.reserve(width);
            bool endOfRow = false;
            while (!endOfRow) {
                fields.append(field());
                if (fields.size() > kMaxColumns)
                    fail(QStringLiteral("has more than %1 columns.").arg(kMaxColumns));
                if (i >= n)
                    break;
                const QChar c = text[i++];
                if (c == sep)
                    continue; // a separator at the very end still ends an empty field
                if (c == u'\r' && i < n && text[i] == u'\n')
                    ++i;
                endOfRow = true;
            }
            bool blank = true;
            for (const QString &f : fields) {
                if (!f.isEmpty()) {
                    blank = false;
                    break;
                }
            }
            if (!blank) {
                width = std::max(width, fields.size());
                result.append(std::move(fields));
                if (rowNumbers)
                    rowNumbers->append(row);
            }
            ++row;
        }
        return result;
    }
};

} // namespace

QChar detectSeparator(QStringView text) {
    // The separator that splits the first rows into the same number of fields, the most
    // fields winning. On a tie, fewer fields starting with a blank win: a comma in text is
    // followed by one ("Rome, RM"), a separator seldom is.
    constexpr qsizetype kSampleRows = 20;
    const QString label;
    QChar best;
    qsizetype bestWidth = 1, bestBlanks = 0;
    for (QChar candidate : {QChar(u','), QChar(u';'), QChar(u'\t')}) {
        qsizetype width = 0, blanks = 0;
        try {
            Parser parser{text, candidate, label};
            const QList<QStringList> sample = parser.rows(nullptr, kSampleRows);
            width = sample.isEmpty() ? 0 : sample.front().size();
            for (const QStringList &row : sample) {
                if (row.size() != width)
                    width = 0;
                for (const QString &field : row)
                    blanks += field.startsWith(u' ') ? 1 : 0;
            }
        } catch (const StoreError &) {
            width = 0;
        }
        if (width > bestWidth || (width == bestWidth && !best.isNull() && blanks < bestBlanks)) {
            best = candidate;
            bestWidth = width;
            bestBlanks = blanks;
        }
    }
    return best.isNull() ? separatorOfFirstRow(text) : best;
}

QList<QStringList> parseRows(QStringView text, QChar separator, const QString &label) {
    Parser parser{text, separator, label};
    return parser.rows(nullptr);
}

Table parse(const QByteArray &bytes, const QString &label) {
    Table table;
    const QString text = decode(bytes, &table.encoding);
    if (text.trimmed().isEmpty())
        throw StoreError(QStringLiteral("The file %1 is empty.").arg(label));
    if (const qsizetype bad = firstControl(text); bad >= 0) {
        throw StoreError(QStringLiteral("The file %1 is not a spreadsheet saved as CSV text: line "
                                        "%2 holds a control character (code %3).")
                             .arg(label)
                             .arg(lineAt(text, bad))
                             .arg(text[bad].unicode()));
    }
    table.separator = detectSeparator(text);
    Parser parser{text, table.separator, label};
    QList<int> numbers;
    table.rows = parser.rows(&numbers);
    if (table.rows.isEmpty())
        throw StoreError(QStringLiteral("The file %1 is empty.").arg(label));
    table.header = table.rows.takeFirst();
    numbers.removeFirst();
    if (table.rows.isEmpty()) {
        throw StoreError(
            QStringLiteral("The file %1 holds only a header row and no guests.").arg(label));
    }
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        if (table.rows[r].size() != table.header.size()) {
            throw StoreError(QStringLiteral("Row %1 of the file %2 has %3 fields, but the header "
                                            "row has %4.  Every row needs one field per column.")
                                 .arg(numbers[r])
                                 .arg(label)
                                 .arg(table.rows[r].size())
                                 .arg(table.header.size()));
        }
    }
    table.rowNumbers = std::move(numbers);
    return table;
}

Table readFile(const QString &path) {
    return parse(SafeFile::readRegular(path, kMaxFileBytes), path);
}

void writeFile(const QString &path, const QByteArray &bytes) {
    SafeFile::writeAtomically(path, bytes);
}

void appendField(QString &out, const QString &value, QChar separator) {
    bool quote = false;
    for (QChar c : value) {
        if (c == separator || c == u'"' || c == u'\n' || c == u'\r') {
            quote = true;
            break;
        }
    }
    if (!quote) {
        out += value;
        return;
    }
    out += u'"';
    for (QChar c : value) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
}

void appendRow(QString &out, const QStringList &fields, QChar separator) {
    for (qsizetype f = 0; f < fields.size(); ++f) {
        if (f > 0)
            out += separator;
        appendField(out, fields[f], separator);
    }
    out += QLatin1String("\r\n");
}

QString asSpreadsheetText(const QString &value) {
    QString wrapped = QStringLiteral("=\"");
    for (QChar c : value) {
        if (c == u'"')
            wrapped += u'"';
        wrapped += c;
    }
    wrapped += u'"';
    return wrapped;
}

QString fromSpreadsheetText(const QString &value) {
    if (value.size() < 3 || !value.startsWith(QLatin1String("=\"")) || !value.endsWith(u'"'))
        return value;
    const QStringView inner = QStringView(value).sliced(2, value.size() - 3);
    QString text;
    text.reserve(inner.size());
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner[i] == u'"') {
            // Inside the formula a quote is written twice; a single one means this was never
            // our wrapping, so the value stays as it was.
            if (i + 1 >= inner.size() || inner[i + 1] != u'"')
                return value;
            ++i;
        }
        text += inner[i];
    }
    return text;
}

} // namespace Csv
