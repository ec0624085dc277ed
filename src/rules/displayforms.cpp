#include "displayforms.h"

#include "store/numbers.h"
#include "store/palmdatabase.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace TextForms {

namespace {

constexpr qint64 kMaxCents = std::numeric_limits<qint64>::max();

// A decimal number as digit texts: exact, whatever its length, so that an amount is shown
// with the digits it was stored with.
struct Decimal {
    bool negative = false;
    QString whole;    // ASCII digits, no leading zeros, "0" for none
    QString fraction; // ASCII digits, no trailing zeros
    bool isZero() const { return whole == u"0" && fraction.isEmpty(); }
};

Decimal normalised(bool negative, QString whole, QString fraction) {
    qsizetype lead = 0;
    while (lead < whole.size() - 1 && whole[lead] == u'0')
        ++lead;
    whole.remove(0, lead);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    Decimal d{negative, whole, fraction};
    if (d.isZero())
        d.negative = false;
    return d;
}

bool isAsciiDigits(QStringView text) {
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// The stored form: plain ASCII digits, "." as the decimal point, an optional leading "-".
std::optional<Decimal> storedDecimal(QStringView text) {
    bool negative = false;
    if (text.startsWith(u'-')) {
        negative = true;
        text = text.mid(1);
    }
    const qsizetype point = text.indexOf(u'.');
    const QStringView whole = point < 0 ? text : text.left(point);
    const QStringView fraction = point < 0 ? QStringView() : text.mid(point + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    if ((point >= 0 && fraction.isEmpty()) || !isAsciiDigits(whole) || !isAsciiDigits(fraction))
        return std::nullopt;
    return normalised(negative, whole.toString(), fraction.toString());
}

// A number read by the numeric value rule, as digit texts. Absurdly large or small values
// keep the general number text and are shown through the locale as a double.
std::optional<Decimal> valueDecimal(double value) {
    const QString text = Numbers::numberText(value);
    if (text.contains(u'e'))
        return std::nullopt;
    return storedDecimal(text);
}

// Does the text begin with a number by the numeric value rule (blanks, a sign, then a digit
// or a point and a digit)?
bool beginsWithNumber(const QString &text) {
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() &&
               (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r'))
            ++i;
    };
    skipBlanks();
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    skipBlanks();
    if (i < text.size() && text[i] == u'.') {
        ++i;
        skipBlanks();
    }
    return i < text.size() && text[i] >= u'0' && text[i] <= u'9';
}

// The locale with its digit grouping on: the C locale leaves it off by default.
QLocale grouping(const QLocale &locale) {
    QLocale l = locale;
    l.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return l;
}

// ASCII digits in the locale's own digits.
QString localDigits(const QString &digits, const QLocale &locale) {
    if (locale.zeroDigit() == u"0")
        return digits;
    QString out;
    for (const QChar c : digits)
        out += locale.toString(c.unicode() - u'0');
    return out;
}

QString shown(const Decimal &d, const QLocale &locale) {
    const QLocale l = grouping(locale);
    QString whole;
    if (d.whole.size() <= 18) {
        whole = l.toString(d.whole.toLongLong());
    } else {
        // Beyond 64 bits: groups of three, which is how every locale groups its high digits.
        for (qsizetype i = 0; i < d.whole.size(); ++i) {
            if (i > 0 && (d.whole.size() - i) % 3 == 0)
                whole += l.groupSeparator();
            whole += d.whole[i];
        }
        whole = localDigits(whole, l);
    }
    QString text = d.negative ? l.negativeSign() + whole : whole;
    if (!d.fraction.isEmpty()) {
        const QString cents = d.fraction.size() == 1 ? d.fraction + u'0' : d.fraction;
        text += l.decimalPoint() + localDigits(cents, l);
    }
    return text;
}

// The magnitude of a 64-bit value: that of the most negative one fits only a quint64.
quint64 magnitude(qint64 value) {
    return value < 0 ? quint64(0) - quint64(value) : quint64(value);
}

Decimal wholeDecimal(qint64 amount) {
    return normalised(amount < 0, QString::number(magnitude(amount)), {});
}

Decimal fromCents(qint64 cents) {
    const bool negative = cents < 0;
    const quint64 all = magnitude(cents);
    const quint64 fraction = all % 100;
    return normalised(negative, QString::number(all / 100),
                      fraction == 0 ? QString()
                                    : QStringLiteral("%1").arg(fraction, 2, 10, QChar(u'0')));
}

// Bidirectional marks some locales put around signs and currency signs; never part of a number.
QString withoutMarks(QString text) {
    text.remove(QChar(0x200E));
    text.remove(QChar(0x200F));
    text.remove(QChar(0x061C));
    return text;
}

bool takePrefix(QString &text, const QString &prefix) {
    if (prefix.isEmpty() || !text.startsWith(prefix))
        return false;
    text = text.mid(prefix.size()).trimmed();
    return true;
}

bool takeSuffix(QString &text, const QString &suffix) {
    if (suffix.isEmpty() || !text.endsWith(suffix))
        return false;
    text.chop(suffix.size());
    text = text.trimmed();
    return true;
}

// The characters that group digits in the user's writing: the locale's own, any space where
// it groups with a space (a narrow or no-break space is hard to type), either apostrophe
// where it groups with one.
bool isGroupChar(QChar c, const QString &separator) {
    if (separator.size() != 1)
        return separator == QString(c);
    const QChar g = separator[0];
    auto isSpace = [](QChar s) {
        return s == u' ' || s == QChar(0x00A0) || s == QChar(0x202F) || s == QChar(0x2009);
    };
    if (isSpace(g))
        return isSpace(c);
    if (g == u'\'' || g == QChar(0x2019))
        return c == u'\'' || c == QChar(0x2019);
    return c == g;
}

// The integer part's ASCII digits when its grouping is whole groups of three (the first one
// to three digits long), or exactly as the locale groups the number (en_IN's groups of two).
std::optional<QString> groupedWhole(QStringView text, const QLocale &locale) {
    const QString separator = locale.groupSeparator();
    QString digits;
    QList<qsizetype> groupLengths{0};
    for (const QChar c : text) {
        if (c.isDigit()) {
            digits += QChar(u'0' + c.digitValue());
            ++groupLengths.last();
        } else if (isGroupChar(c, separator)) {
            groupLengths.append(0);
        } else {
            return std::nullopt;
        }
    }
    if (groupLengths.size() == 1)
        return digits;
    bool threes = groupLengths.first() >= 1 && groupLengths.first() <= 3;
    for (qsizetype i = 1; i < groupLengths.size(); ++i)
        threes = threes && groupLengths[i] == 3;
    if (threes)
        return digits;
    if (digits.size() > 18)
        return std::nullopt;
    // Compare the shape of the locale's own grouping with the typed one.
    const QString own = grouping(locale).toString(digits.toLongLong());
    QList<qsizetype> ownLengths{0};
    for (const QChar c : own) {
        if (c.isDigit())
            ++ownLengths.last();
        else
            ownLengths.append(0);
    }
    return ownLengths == groupLengths ? std::optional(digits) : std::nullopt;
}

// The number as the locale writes it: grouped integer part, the locale's decimal separator.
std::optional<Decimal> localeDecimal(const QString &body, bool negative, const QLocale &locale) {
    const QString point = locale.decimalPoint();
    const qsizetype at = body.indexOf(point);
    if (at >= 0 && body.indexOf(point, at + point.size()) >= 0)
        return std::nullopt;
    const QStringView whole = at < 0 ? QStringView(body) : QStringView(body).left(at);
    const QStringView fraction = at < 0 ? QStringView() : QStringView(body).mid(at + point.size());
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    QString fractionDigits;
    for (const QChar c : fraction) {
        if (!c.isDigit())
            return std::nullopt;
        fractionDigits += QChar(u'0' + c.digitValue());
    }
    const std::optional<QString> wholeDigits = groupedWhole(whole, locale);
    if (!wholeDigits || (wholeDigits->isEmpty() && !whole.isEmpty()))
        return std::nullopt;
    return normalised(negative, *wholeDigits, fractionDigits);
}

bool withinCents(const Decimal &d) {
    if (d.whole.size() > 17)
        return false;
    const quint64 whole = d.whole.toULongLong();
    const quint64 cents = (d.fraction + QStringLiteral("00")).left(2).toULongLong();
    return whole <= (quint64(kMaxCents) - cents) / 100;
}

// Outside quoted literals, replaces what `pattern` matches in a date or time format.
QString replaceUnquoted(const QString &format, const QRegularExpression &pattern,
                        const QString &with) {
    QString out;
    const QStringList parts = format.split(u'\'');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += u'\'';
        out += i % 2 == 0 ? QString(parts[i]).replace(pattern, with) : parts[i];
    }
    return out;
}

} // namespace

QString money(const QString &stored, const QLocale &locale) {
    const QString text = stored.trimmed();
    if (text.isEmpty())
        return {};
    if (const std::optional<Decimal> d = storedDecimal(text))
        return shown(*d, locale);
    if (!beginsWithNumber(text))
        return stored;
    const double value = Numbers::numericValue(text);
    if (const std::optional<Decimal> d = valueDecimal(value))
        return shown(*d, locale);
    return grouping(locale).toString(value, 'g', 15);
}

QString moneyFromCents(qint64 cents, const QLocale &locale) {
    return shown(fromCents(cents), locale);
}

QString moneyFromWhole(qint64 amount, const QLocale &locale) {
    return shown(wholeDecimal(amount), locale);
}

std::optional<qint64> cents(const QString &text) {
    if (const std::optional<Decimal> d = storedDecimal(text.trimmed())) {
        // Exact for stored amounts of any size that fits; the third decimal rounds.
        if (!withinCents(*d))
            return std::nullopt;
        const QString padded = d->fraction + QStringLiteral("000");
        qint64 value = qint64(d->whole.toULongLong()) * 100 + padded.left(2).toLongLong();
        const int third = padded[2].unicode() - u'0';
        const bool more = d->fraction.size() > 3;
        if (third > 5 || (third == 5 && (more || value % 2 != 0)))
            value = value == kMaxCents ? value : value + 1;
        return d->negative ? -value : value;
    }
    const double scaled = std::nearbyint(Numbers::numericValue(text) * 100);
    if (!std::isfinite(scaled) || std::abs(scaled) >= 9.2e18)
        return std::nullopt;
    return qint64(scaled);
}

qint64 addCents(qint64 total, qint64 amount) {
    qint64 sum = 0;
    if (__builtin_add_overflow(total, amount, &sum))
        return amount > 0 ? kMaxCents : std::numeric_limits<qint64>::min();
    return sum;
}

MoneyReading readMoney(const QString &typed, const QLocale &locale, Negative negative) {
    QString s = withoutMarks(typed).trimmed();
    if (s.isEmpty())
        return {{}, MoneyError::Empty};

    bool isNegative = false;
    bool signTaken = false;
    auto takeSign = [&] {
        if (signTaken)
            return;
        const QString minus = withoutMarks(locale.negativeSign());
        if (takePrefix(s, QStringLiteral("-")) || takePrefix(s, QString(QChar(0x2212))) ||
            takePrefix(s, minus)) {
            isNegative = signTaken = true;
        } else if (takePrefix(s, QStringLiteral("+")) ||
                   takePrefix(s, withoutMarks(locale.positiveSign()))) {
            signTaken = true;
        }
    };
    // "-$5" and "$-5" are both written; the currency sign may also follow the number.
    takeSign();
    for (const QString &currency :
         {withoutMarks(locale.currencySymbol()), locale.currencySymbol(QLocale::CurrencyIsoCode)}) {
        if (takePrefix(s, currency) || takeSuffix(s, currency))
            break;
    }
    takeSign();
    if (s.isEmpty())
        return {{}, MoneyError::NotANumber};

    // The locale's writing first; what it cannot read, as the stored form (without a second
    // sign: the sign was taken above).
    std::optional<Decimal> d = localeDecimal(s, isNegative, locale);
    if (!d && !s.startsWith(u'-')) {
        if ((d = storedDecimal(s)))
            d->negative = isNegative && !d->isZero();
    }
    if (!d)
        return {{}, MoneyError::NotANumber};
    if (!withinCents(*d))
        return {{}, MoneyError::TooLarge};
    if (d->negative && negative == Negative::Refused)
        return {{}, MoneyError::Negative};
    QString stored = d->negative ? QStringLiteral("-") + d->whole : d->whole;
    if (!d->fraction.isEmpty())
        stored += u'.' + d->fraction;
    return {stored, MoneyError::None};
}

QString moneyErrorMessage(MoneyError error) {
    switch (error) {
    case MoneyError::None:
        return {};
    case MoneyError::Empty:
        return QStringLiteral("No amount was entered.");
    case MoneyError::NotANumber:
        return QStringLiteral("The amount you entered is not a number.");
    case MoneyError::Negative:
        return QStringLiteral("The amount cannot be negative.");
    case MoneyError::TooLarge:
        return QStringLiteral("The amount you entered is too large.");
    }
    return {};
}

QString dateFormat(const QLocale &locale) {
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    return replaceUnquoted(locale.dateFormat(QLocale::ShortFormat), twoDigitYear,
                           QStringLiteral("yyyy"));
}

QString timeFormat(const QLocale &locale) {
    // Seconds with the separator before them and any fraction; a zone with its blank and
    // brackets ("H:mm:ss (t)").
    static const QRegularExpression seconds(QStringLiteral("[:.]?ss?([.,]z+)?"));
    static const QRegularExpression zone(QStringLiteral("\\s*\\(?t+\\)?"));
    QString format = replaceUnquoted(locale.timeFormat(QLocale::ShortFormat), seconds, {});
    return replaceUnquoted(format, zone, {}).trimmed();
}

QString date(QDate day, const QLocale &locale) {
    return day.isValid() ? locale.toString(day, dateFormat(locale)) : QString();
}

QString time(QTime time, const QLocale &locale) {
    return time.isValid() ? locale.toString(time, timeFormat(locale)) : QString();
}

QString date(const FieldValue &value, const QLocale &locale, DateKind kind) {
    switch (value.type()) {
    case FieldValue::Type::None:
        return {};
    case FieldValue::Type::DateTime: {
        QString text = date(value.toDate(), locale);
        const QTime at = value.toTime();
        if (kind == DateKind::DayAndTime && at.isValid() && at != QTime(0, 0))
            text += u' ' + time(at, locale);
        return text;
    }
    case FieldValue::Type::Text: {
        const QString text = value.toText();
        const QDate day = readDate(text, locale);
        return day.isValid() ? date(day, locale) : text;
    }
    default:
        return value.toText();
    }
}

QString timeOfDay(const FieldValue &value, const QLocale &locale) {
    if (value.type() == FieldValue::Type::DateTime)
        return time(value.toTime(), locale);
    const QString text = value.toText();
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    // The time list's form first ("4:00:00 PM"), then shorter and 24-hour writings.
    for (const char *format : {"h:mm:ss AP", "h:mm AP", "H:mm:ss", "H:mm"}) {
        const QTime at = QLocale::c().toTime(trimmed.toUpper(), QLatin1StringView(format));
        if (at.isValid())
            return time(at, locale);
    }
    return text;
}

QDate day(const FieldValue &value, const QLocale &locale) {
    if (value.type() == FieldValue::Type::DateTime)
        return value.toDate();
    if (value.type() == FieldValue::Type::Text)
        return readDate(value.toText(), locale);
    return {};
}

QDate readDate(const QString &text, const QLocale &locale) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    if (const QDate day = locale.toDate(trimmed, dateFormat(locale)); day.isValid())
        return day;
    // A two-digit year is one of this century: Qt reads it as 19xx, and no wedding is planned
    // for the last one.
    if (const QDate day = locale.toDate(trimmed, QLocale::ShortFormat); day.isValid())
        return day.year() < 2000 ? day.addYears(100) : day;
    return QDate::fromString(trimmed, Qt::ISODate);
}

} // namespace TextForms
