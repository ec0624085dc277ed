#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated text as spreadsheets write it: quoted fields with embedded separators,
// quotes and line breaks; UTF-8 (with or without a byte-order mark), UTF-16 with a mark, or
// Windows-1252 as spreadsheets on Windows save it; comma, semicolon or tab between fields.
// Failures throw StoreError with a message for the user that names the file.
namespace Csv {

// Limits that keep a hostile file from exhausting memory, all far above a real guest list. A
// field is measured by the text it stands for: the ="..." a spreadsheet text is wrapped in,
// and the quotes doubled inside it, do not count.
inline constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
inline constexpr int kMaxFieldChars = 1024 * 1024;
inline constexpr int kMaxColumns = 256;
// A spreadsheet's sheet holds 1,048,576 rows, the header row included.
inline constexpr int kMaxRows = 1024 * 1024;

struct Table {
    QStringList header;
    QList<QStringList> rows; // every row has as many fields as the header
    QList<int> rowNumbers;   // the spreadsheet row of each row (the header is row 1 or later)
    QChar separator;
    QString encoding; // "UTF-8", "UTF-8 with byte-order mark", "UTF-16", "Windows-1252"
};

// Text of the bytes: UTF-16 or UTF-8 when a byte-order mark says so, UTF-16 when the bytes
// look like it, UTF-8 when they are valid UTF-8, else Windows-1252 (every byte decodes).
// Throws StoreError naming the line when a file marked as UTF-8 holds a byte that is not.
QString decode(const QByteArray &bytes, const QString &label, QString *encoding = nullptr);

// The separator of the text: the one of comma, semicolon and tab that splits the first rows
// into the same number of fields, the most fields winning; when none does, whichever occurs
// most often outside quotes in the first row; comma when none does.
QChar detectSeparator(QStringView text);

// Decodes, finds the separator, parses and checks the shape: a header row, at least one data
// row, and the same number of fields in every row.
Table parse(const QByteArray &bytes, const QString &label);

// Reads and parses a file, refusing anything larger than kMaxFileBytes.
Table readFile(const QString &path);

// Writes `bytes` over `path` through QSaveFile, or throws StoreError naming the file: a failed
// write (a full disk) leaves any older file of that name as it was.
void writeFile(const QString &path, const QByteArray &bytes);

// Appends one field, quoted when it holds the separator, a quote, a line break or another
// control character (which the reader takes only inside quotes).
void appendField(QString &out, const QString &value, QChar separator = u',');
// Appends a row of fields ending in CR LF.
void appendRow(QString &out, const QStringList &fields, QChar separator = u',');

// A value wrapped as the formula ="value": spreadsheets show it as the text itself, so ZIP
// codes keep their leading zeros and a text beginning with "=" is never run as a formula.
QString asSpreadsheetText(const QString &value);
// Undoes asSpreadsheetText; any other value comes back as it is.
QString fromSpreadsheetText(const QString &value);

} // namespace Csv
