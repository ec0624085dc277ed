#include "textencoding.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <optional>

namespace TextEncoding {

namespace {

bool startsWith(QByteArrayView bytes, std::initializer_list<unsigned char> mark) {
    if (bytes.size() < qsizetype(mark.size()))
        return false;
    return std::equal(mark.begin(), mark.end(), bytes.begin(),
                      [](unsigned char m, char b) { return m == static_cast<unsigned char>(b); });
}

// UTF-16 without a mark: in a sample, the zero high bytes of Latin characters fill one of the
// two places of a pair and hardly ever the other. Eight-bit text has no zero bytes at all.
std::optional<Form> unmarkedUtf16(QByteArrayView bytes) {
    constexpr qsizetype kSample = 64 * 1024;
    const qsizetype pairs = std::min(bytes.size(), kSample) / 2;
    if (pairs < 2 || !bytes.first(pairs * 2).contains('\0'))
        return std::nullopt;
    qsizetype zeroFirst = 0, zeroSecond = 0;
    for (qsizetype p = 0; p < pairs; ++p) {
        const bool first = bytes[2 * p] == 0, second = bytes[2 * p + 1] == 0;
        zeroFirst += first && !second;
        zeroSecond += second && !first;
    }
    if (zeroSecond * 4 >= pairs && zeroFirst * 8 <= zeroSecond)
        return Form::Utf16LE;
    if (zeroFirst * 4 >= pairs && zeroSecond * 8 <= zeroFirst)
        return Form::Utf16BE;
    return std::nullopt;
}

template <class Text> int linesBefore(Text text, qsizetype pos) {
    int line = 1;
    const qsizetype end = std::min(pos, text.size());
    for (qsizetype i = 0; i < end; ++i) {
        if (text[i] == u'\n' ||
            (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n')))
            ++line;
    }
    return line;
}

} // namespace

Guess guess(QByteArrayView bytes) {
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return {Form::Utf8Bom, 3};
    if (startsWith(bytes, {0xFF, 0xFE}))
        return {Form::Utf16LE, 2};
    if (startsWith(bytes, {0xFE, 0xFF}))
        return {Form::Utf16BE, 2};
    if (const auto form = unmarkedUtf16(bytes))
        return {*form, 0};
    return {};
}

QString decodeUtf16(QByteArrayView bytes, Form order) {
    QStringDecoder decoder(order == Form::Utf16BE ? QStringConverter::Utf16BE
                                                  : QStringConverter::Utf16LE,
                           QStringConverter::Flag::Stateless);
    QString text = decoder(bytes);
    // Halves of characters would change silently on the next save or export: they become the
    // replacement character now.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

qsizetype firstInvalidUtf8(QByteArrayView bytes) {
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = b[i];
        if (c < 0x80) {
            // Plain ASCII, most of any file, eight bytes at a time.
            ++i;
            while (i + 8 <= n) {
                quint64 eight = 0;
                std::memcpy(&eight, b + i, 8);
                if (eight & 0x8080808080808080)
                    break;
                i += 8;
            }
            continue;
        }
        // The lead byte gives the length and the range of the second byte (no overlong forms,
        // no surrogates, nothing above U+10FFFF).
        int more = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return i;
        }
        if (i + more >= n)
            return i; // cut off at the end
        if (b[i + 1] < low || b[i + 1] > high)
            return i;
        for (int k = 2; k <= more; ++k) {
            if (b[i + k] < 0x80 || b[i + k] > 0xBF)
                return i;
        }
        i += more + 1;
    }
    return -1;
}

int lineAt(QByteArrayView bytes, qsizetype pos) {
    return linesBefore(bytes, pos);
}

int lineAt(QStringView text, qsizetype pos) {
    return linesBefore(text, pos);
}

} // namespace TextEncoding
