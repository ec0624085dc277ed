#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, the character set of Western Palm handhelds ("Palm Latin").
namespace Cp1252 {

// Appends the encoded text to out and returns true, or returns false (out untouched) when
// some character has no Windows-1252 byte.
bool encode(QStringView text, QByteArray &out);

// Every byte decodes; the five bytes Windows leaves undefined map to the C1 control of the
// same number, so that encode(decode(b)) == b.
QString decode(const char *data, qsizetype size);
// Decodes into `out`, which has room for `size` characters, and returns the end.
char16_t *decodeInto(const char *data, qsizetype size, char16_t *out);

} // namespace Cp1252
