#pragma once

#include <QByteArrayView>
#include <QString>

// Guessing the character encoding of a text file another program wrote (a spreadsheet's CSV,
// an address book's vCards): what a byte-order mark says, or what the bytes look like.
namespace TextEncoding {

enum class Form {
    Bytes,   // no mark and not UTF-16: UTF-8 when valid, else an 8-bit character set
    Utf8Bom, // UTF-8 with a byte-order mark
    Utf16LE,
    Utf16BE,
};

struct Guess {
    Form form = Form::Bytes;
    qsizetype markBytes = 0; // the byte-order mark to skip
};

// The form the bytes are in. UTF-16 is recognised by its mark, or without one by the zero
// bytes every Latin character leaves in every other place.
Guess guess(QByteArrayView bytes);

// UTF-16 in the given order; halves of characters that no other encoding can write become the
// replacement character, and so does an odd last byte.
QString decodeUtf16(QByteArrayView bytes, Form order);

// The position of the first byte that is not part of valid UTF-8, or -1 when all of it is.
// A sequence cut off at the end counts as invalid: an 8-bit text ending in "é" is no UTF-8.
qsizetype firstInvalidUtf8(QByteArrayView bytes);

// The line of a position: 1 plus the line breaks before it (a CR LF counts once).
int lineAt(QByteArrayView bytes, qsizetype pos);
int lineAt(QStringView text, qsizetype pos);

} // namespace TextEncoding
