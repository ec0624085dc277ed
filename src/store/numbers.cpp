#include "numbers.h"

#include <cmath>
#include <limits>

namespace Numbers {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

} // namespace

double numericValue(const QString &text) {
    // Gather the characters of the leading number without blanks, then let the C library do
    // the conversion so that rounding is exactly that of a decimal literal.
    QByteArray digits;
    digits.reserve(text.size());
    int i = 0;
    const int n = int(text.size());
    auto skipBlanks = [&] {
        while (i < n && isBlank(text.at(i)))
            ++i;
    };
    skipBlanks();
    if (i < n && (text.at(i) == u'-' || text.at(i) == u'+')) {
        digits.append(char(text.at(i).unicode()));
        ++i;
    }
    bool anyDigit = false;
    bool seenPoint = false;
    for (; i < n; ++i) {
        const QChar c = text.at(i);
        if (isBlank(c))
            continue;
        if (c >= u'0' && c <= u'9') {
            digits.append(char(c.unicode()));
            anyDigit = true;
        } else if (c == u'.' && !seenPoint) {
            digits.append('.');
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return 0.0;
    // An exponent counts only when at least one digit follows it.
    if (i < n && (text.at(i) == u'e' || text.at(i) == u'E')) {
        int j = i + 1;
        QByteArray exponent("e");
        while (j < n && isBlank(text.at(j)))
            ++j;
        if (j < n && (text.at(j) == u'-' || text.at(j) == u'+'))
            exponent.append(char(text.at(j++).unicode()));
        bool expDigit = false;
        for (; j < n; ++j) {
            const QChar c = text.at(j);
            if (isBlank(c))
                continue;
            if (c < u'0' || c > u'9')
                break;
            exponent.append(char(c.unicode()));
            expDigit = true;
        }
        if (expDigit)
            digits.append(exponent);
    }
    // QByteArray::toDouble ignores the process locale, so "." stays the decimal point.
    bool ok = false;
    const double value = digits.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

qint16 clampedInteger(double value) {
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<qint16>::min())
        return std::numeric_limits<qint16>::min();
    if (rounded > std::numeric_limits<qint16>::max())
        return std::numeric_limits<qint16>::max();
    return qint16(rounded);
}

QString numberText(double value) {
    if (!std::isfinite(value))
        return QStringLiteral("0");
    if (value == 0.0)
        return QStringLiteral("0"); // also turns -0 into 0
    return QString::number(value, 'g', 15);
}

} // namespace Numbers
