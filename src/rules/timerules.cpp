#include "timerules.h"

#include "store/numbers.h"

#include <cmath>
#include <optional>

namespace {

const QString kError = QStringLiteral("Error");

// Stands in for a part too long for a double; any such part ends as an hour above 24.
constexpr double kHuge = 1e300;

// The value of one part of a typed time, or nothing when the part is not an unsigned decimal.
std::optional<double> timePart(const QString &text) {
    const QString part = text.trimmed();
    int digits = 0;
    int points = 0;
    for (const QChar c : part) {
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (c == u'.')
            ++points;
        else
            return std::nullopt;
    }
    if (digits == 0 || points > 1)
        return std::nullopt;
    bool ok = false;
    const double value = part.toDouble(&ok);
    // The text is digits and one point at most, so a failure can only be an overflow.
    return ok && std::isfinite(value) ? value : kHuge;
}

// A minute or second part: below 10 it gets its leading zero ("5" and "05.7" both give "05").
QString twoDigits(double value, const QString &text) {
    const double whole = std::floor(value);
    if (whole < 10)
        return u'0' + QString::number(int(whole));
    return text;
}

} // namespace

QStringList halfHourTimes() {
    QStringList times;
    times.reserve(47);
    for (const QLatin1StringView suffix : {QLatin1StringView("AM"), QLatin1StringView("PM")}) {
        times << QStringLiteral("12:00:00 ") + suffix;
        for (int h = 1; h <= 11; ++h) {
            times << QStringLiteral("%1:00:00 %2").arg(h).arg(suffix)
                  << QStringLiteral("%1:30:00 %2").arg(h).arg(suffix);
        }
    }
    times << QStringLiteral("11:59:00 PM");
    return times;
}

QString listTimeText(const QTime &time) {
    if (!time.isValid())
        return {};
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1:%2:%3 %4")
        .arg(hour)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'))
        .arg(time.hour() < 12 ? QLatin1StringView("AM") : QLatin1StringView("PM"));
}

QString HourSuffix(const QString &hour) {
    const double value = Numbers::numericValue(hour);
    return value == 12 || std::floor(value) < 11 ? QStringLiteral("PM") : QStringLiteral("AM");
}

QString NormalizeTime(const QString &typed) {
    // Blanks around the whole text are no part of the time: a box of spaces counts as empty.
    QString s = typed.trimmed();
    if (s.isEmpty())
        return QStringLiteral("12:00:00 AM");

    // Each test sees the text the previous one left, so "7:30 pm" and "7:30p" both end as PM.
    QString suffix;
    const auto takeSuffix = [&](QLatin1StringView ending, QLatin1StringView meaning) {
        if (s.endsWith(ending, Qt::CaseInsensitive)) {
            suffix = meaning;
            s = s.left(s.size() - ending.size()).trimmed();
        }
    };
    takeSuffix(QLatin1StringView("PM"), QLatin1StringView("PM"));
    takeSuffix(QLatin1StringView("AM"), QLatin1StringView("AM"));
    takeSuffix(QLatin1StringView("P"), QLatin1StringView("PM"));
    takeSuffix(QLatin1StringView("A"), QLatin1StringView("AM"));

    QString hoursText = s.trimmed();
    QString minutesText = QStringLiteral("00");
    QString secondsText = QStringLiteral("00");
    if (const qsizetype colon = s.indexOf(u':'); colon >= 0) {
        hoursText = s.left(colon).trimmed();
        const QString rest = s.mid(colon + 1);
        if (const qsizetype second = rest.indexOf(u':'); second >= 0) {
            minutesText = rest.left(second).trimmed();
            secondsText = rest.mid(second + 1).trimmed();
        } else {
            minutesText = rest.trimmed();
        }
    }
    const std::optional<double> hoursValue = timePart(hoursText);
    const std::optional<double> minutesValue = timePart(minutesText);
    const std::optional<double> secondsValue = timePart(secondsText);
    if (!hoursValue || !minutesValue || !secondsValue)
        return kError;
    double hours = *hoursValue;
    double minutes = *minutesValue;
    double seconds = *secondsValue;

    // Only values above 60 carry: "7:60" stays as typed.
    if (std::floor(seconds) > 60) {
        const double carry = std::floor(seconds / 60);
        minutes = std::floor(minutes + carry);
        seconds = std::floor(seconds - carry * 60);
        minutesText = Numbers::numberText(minutes);
        secondsText = Numbers::numberText(seconds);
    }
    if (std::floor(minutes) > 60) {
        const double carry = std::floor(minutes / 60);
        hours = std::floor(hours + carry);
        minutes = std::floor(minutes - carry * 60);
        hoursText = Numbers::numberText(hours);
        minutesText = Numbers::numberText(minutes);
    }

    // 24 itself is accepted (it reads as 12:00:00 PM).
    if (!std::isfinite(hours) || std::floor(hours) > 24)
        return kError;
    if (std::floor(hours) > 12) {
        hours = std::floor(hours) - 12;
        hoursText = Numbers::numberText(hours);
        suffix = QStringLiteral("PM");
    }
    if (suffix.isEmpty())
        suffix = HourSuffix(hoursText);

    return hoursText + u':' + twoDigits(minutes, minutesText) + u':' +
           twoDigits(seconds, secondsText) + u' ' + suffix;
}
