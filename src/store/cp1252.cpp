#include "cp1252.h"

#include <array>

namespace Cp1252 {

namespace {

// 0x80..0x9F; the undefined bytes keep their own value.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int byteFor(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < int(kHigh.size()); ++i) {
        if (kHigh[i] == c)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

bool encode(QStringView text, QByteArray &out) {
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *dst = out.data() + start;
    for (const QChar ch : text) {
        const int b = byteFor(ch.unicode());
        if (b < 0) {
            out.truncate(start);
            return false;
        }
        *dst++ = char(b);
    }
    return true;
}

// Every byte's character, for decoding without a branch per byte.
constexpr std::array<char16_t, 256> kAll = [] {
    std::array<char16_t, 256> all{};
    for (int b = 0; b < 256; ++b)
        all[std::size_t(b)] = (b >= 0x80 && b < 0xA0) ? kHigh[std::size_t(b - 0x80)] : char16_t(b);
    return all;
}();

char16_t *decodeInto(const char *data, qsizetype size, char16_t *out) {
    for (qsizetype i = 0; i < size; ++i)
        out[i] = kAll[static_cast<unsigned char>(data[i])];
    return out + size;
}

QString decode(const char *data, qsizetype size) {
    if (size == 0)
        return QString();
    // Most text has no byte in 0x80..0x9F, where Windows-1252 and Latin-1 differ; Qt's own
    // Latin-1 conversion is much faster than a loop here.
    bool latin1 = true;
    for (qsizetype i = 0; i < size && latin1; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        latin1 = b < 0x80 || b >= 0xA0;
    }
    if (latin1)
        return QString::fromLatin1(data, size);
    QString text(size, Qt::Uninitialized);
    decodeInto(data, size, reinterpret_cast<char16_t *>(text.data()));
    return text;
}

} // namespace Cp1252
