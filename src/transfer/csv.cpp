#include "csv.h"

#include "store/cp1252.h"
#include "store/safefile.h"
#include "store/storeerror.h"
#include "textencoding.h"

#include <QDir>
#include <QLocale>
#include <algorithm>

namespace Csv {

QString decode(const QByteArray &bytes, const QString &label, QString *encoding) {
    using TextEncoding::Form;
    auto say = [encoding](const char *name) {
        if (encoding)
            *encoding = QString::fromLatin1(name);
    };
    const TextEncoding::Guess guess = TextEncoding::guess(bytes);
    const QByteArrayView text = QByteArrayView(bytes).sliced(guess.markBytes);
    switch (guess.form) {
    case Form::Utf16LE:
    case Form::Utf16BE:
        say(guess.markBytes > 0 ? "UTF-16" : "UTF-16 without byte-order mark");
        return TextEncoding::decodeUtf16(text, guess.form);
    case Form::Utf8Bom:
        // The mark says UTF-8: a byte that is not would become the replacement character
        // unseen, so the user is told where it is instead.
        if (const qsizetype bad = TextEncoding::firstInvalidUtf8(text); bad >= 0) {
            throw StoreError(QStringLiteral("The file %1 is marked as UTF-8 text, but line %2 "
                                            "holds a byte that is not UTF-8 (code %3).")
                                 .arg(label)
                                 .arg(TextEncoding::lineAt(text, bad))
                                 .arg(static_cast<unsigned char>(text[bad])));
        }
        say("UTF-8 with byte-order mark");
        return QString::fromUtf8(text);
    case Form::Bytes:
        break;
    }
    if (TextEncoding::firstInvalidUtf8(text) < 0) {
        say("UTF-8");
        return QString::fromUtf8(text);
    }
    say("Windows-1252");
    return Cp1252::decode(text.data(), text.size());
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

// Splits text into rows of fields. Rows holding nothing but empty fields are dropped (blank
// lines, and the empty rows spreadsheets leave at the end). A control character other than a
// tab or a line break is taken inside quotes, and refused outside them: there it means the
// file is no text at all. `label` names the file in messages.
struct Parser {
    QStringView text;
    QChar sep;
    const QString &label;
    qsizetype i = 0;
    int row = 1; // rows as a spreadsheet numbers them: a quoted line break stays in its cell

    [[noreturn]] void fail(const QString &what) const {
        throw StoreError(QStringLiteral("Row %1 of the file %2 %3").arg(row).arg(label, what));
    }

    [[noreturn]] void failControl(qsizetype at) const {
        throw StoreError(QStringLiteral("The file %1 is not a spreadsheet saved as CSV text: line "
                                        "%2 holds a control character (code %3).")
                             .arg(label)
                             .arg(TextEncoding::lineAt(text, at))
                             .arg(text[at].unicode()));
    }

    [[noreturn]] void failLength() const {
        fail(QStringLiteral("holds a field longer than %1 characters.")
                 .arg(QLocale(QLocale::English).toString(kMaxFieldChars)));
    }

    // While a field is read, nothing longer than the longest wrapping of a text of the limit.
    void checkRawLength(const QString &field) const {
        if (field.size() > 2 * qsizetype(kMaxFieldChars) + 3)
            failLength();
    }

    // One field; `above` is the same column's field in the row before, whose text is shared
    // when this one is equal (repeated relations, cities and whole rows cost no memory).
    QString field(const QString *above) {
        const qsizetype n = text.size();
        QString value;
        if (i < n && text[i] == u'"') {
            ++i;
            for (;;) {
                const qsizetype quote = text.indexOf(u'"', i);
                if (quote < 0)
                    fail(QStringLiteral("begins a quoted field that never ends."));
                value += text.sliced(i, quote - i);
                checkRawLength(value);
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
        const char16_t separator = sep.unicode();
        for (; j < n; ++j) {
            const char16_t c = text[j].unicode();
            if (c == separator)
                break;
            if (c >= 0x20 || c == u'\t')
                continue;
            if (c == u'\n' || c == u'\r')
                break;
            failControl(j);
        }
        if (j > i) {
            const QStringView unquoted = text.sliced(i, j - i);
            if (!value.isEmpty())
                value += unquoted;
            else if (above && *above == unquoted)
                value = *above;
            else
                value = unquoted.toString(); // the common case: one allocation
        } else if (above && !value.isEmpty() && *above == value) {
            value = *above;
        }
        if (value.size() > kMaxFieldChars && (value.size() > 2 * qsizetype(kMaxFieldChars) + 3 ||
                                              fromSpreadsheetText(value).size() > kMaxFieldChars))
            failLength();
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
            const QStringList *before = result.isEmpty() ? nullptr : &result.constLast();
            bool endOfRow = false;
            while (!endOfRow) {
                fields.append(field(before && fields.size() < before->size()
                                        ? &(*before)[fields.size()]
                                        : nullptr));
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
                if (result.size() == kMaxRows) {
                    throw StoreError(QStringLiteral("The file %1 has more than %2 rows, more than "
                                                    "a spreadsheet holds.")
                                         .arg(label, QLocale(QLocale::English).toString(kMaxRows)));
                }
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
            width = 0; // this separator does not read the sample: another one will
        }
        if (width > bestWidth || (width == bestWidth && !best.isNull() && blanks < bestBlanks)) {
            best = candidate;
            bestWidth = width;
            bestBlanks = blanks;
        }
    }
    return best.isNull() ? separatorOfFirstRow(text) : best;
}

Table parse(const QByteArray &bytes, const QString &label) {
    Table table;
    const QString text = decode(bytes, label, &table.encoding);
    if (text.trimmed().isEmpty())
        throw StoreError(QStringLiteral("The file %1 is empty.").arg(label));
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
        if (c == separator || c == u'"' || (c.unicode() < 0x20 && c != u'\t')) {
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
