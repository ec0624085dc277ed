#include "textmatch.h"

#include <array>

namespace TextMatch {

namespace {

// The Latin letters, folded once: a table lookup per character, no allocation.
constexpr char16_t kTableSize = 0x250;

const std::array<char16_t, kTableSize> &table() {
    static const std::array<char16_t, kTableSize> folds = [] {
        std::array<char16_t, kTableSize> t{};
        for (char16_t c = 0; c < kTableSize; ++c) {
            const QString decomposed = QString(QChar(c)).normalized(QString::NormalizationForm_KD);
            char16_t base = 0;
            for (const QChar part : decomposed) {
                if (part.category() != QChar::Mark_NonSpacing) {
                    base = part.toCaseFolded().unicode();
                    break;
                }
            }
            t[c] = base;
        }
        return t;
    }();
    return folds;
}

bool isMark(QChar c) {
    return c.category() == QChar::Mark_NonSpacing;
}

} // namespace

char16_t fold(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u;
    if (u < kTableSize)
        return table()[u];
    if (isMark(c))
        return 0;
    return c.toCaseFolded().unicode();
}

QString folded(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (const char16_t f = fold(c))
            out.append(QChar(f));
    }
    return out;
}

bool contains(QStringView text, QStringView needle) {
    const qsizetype n = needle.size();
    if (n == 0)
        return true;
    const char16_t first = needle[0].unicode();
    const qsizetype m = text.size();
    for (qsizetype i = 0; i < m; ++i) {
        if (fold(text[i]) != first)
            continue;
        // Accents written as marks of their own are passed over.
        qsizetype j = 1;
        qsizetype k = i + 1;
        while (j < n && k < m) {
            const char16_t f = fold(text[k++]);
            if (f == 0)
                continue;
            if (f != needle[j].unicode())
                break;
            ++j;
        }
        if (j == n)
            return true;
        if (m - i < n)
            return false; // too little text left to hold it
    }
    return false;
}

} // namespace TextMatch
