#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>
#include <optional>

class FieldValue;

// How money and dates read to the user, and how what the user types becomes the stored form.
// One place for every form and report, so a total, a price box and a printed list agree.
//
// Every function takes the locale to write in; the forms pass QLocale(), tests any locale.
// Stored amounts are plain digits with "." as the decimal point ("1500.5"), as the program and
// the handheld keep them; stored dates are a calendar date and a wall-clock time, the same in
// every time zone, so nothing here converts between zones.
namespace TextForms {

// --- Money shown ----------------------------------------------------------------------------

// A stored amount as the user reads it: the locale's digit grouping and decimal separator;
// whole amounts without decimals, others with two (or more, when the amount has more):
// "1500" -> "1,500", "1500.5" -> "1,500.50" under en_US, "1.500,50" under de_DE. Any other
// text is read by the numeric value rule, as the totals read it ("12abc" shows 12). A blank
// text shows blank, and a text with no number at all is shown as typed.
QString money(const QString &stored, const QLocale &locale);

// A total in cents (64 bits), shown like an amount: "33,300", "1,250.50".
QString moneyFromCents(qint64 cents, const QLocale &locale);

// A total of whole currency units (the Vendor Cost and payment totals), shown grouped.
QString moneyFromWhole(qint64 amount, const QLocale &locale);

// The amount of a text in cents, by the numeric value rule (halves of a cent to even); empty
// when it lies beyond 64-bit cents.
std::optional<qint64> cents(const QString &text);

// total + amount in cents, held at the 64-bit limits instead of overflowing.
qint64 addCents(qint64 total, qint64 amount);

// --- Money read -----------------------------------------------------------------------------

enum class Negative { Refused, Allowed };
enum class MoneyError { None, Empty, NotANumber, Negative, TooLarge };

struct MoneyReading {
    QString stored; // the stored form ("1500.5"), empty on error
    MoneyError error = MoneyError::None;
    bool ok() const { return error == MoneyError::None; }
};

// What the user typed, as the stored form. Blanks around, one sign and the locale's currency
// sign (its symbol or ISO code, before or after) are allowed; the digits are written the
// locale's way ("1.500,50" under de_DE, "$1,500" under en_US, "1 500,50" under fr_FR, any
// space serving where the locale groups with one, either apostrophe under de_CH), grouped in
// whole groups or not at all.
//
// The stored form itself ("1500.5") is accepted in every locale. The two readings can differ
// only on a text whose point is followed by exactly three digits in a locale that groups with
// a point: "1.500" under de_DE is 1500, as a German reader means it (under en_US it is 1.5).
// The locale's reading comes first, and a text it cannot read is taken as the stored form, so
// "1500.5" and "12.50" are never misread: a point with one or two decimals is no grouping.
//
// Refused: no number, a negative amount unless allowed, and amounts beyond 64-bit cents.
MoneyReading readMoney(const QString &typed, const QLocale &locale,
                       Negative negative = Negative::Refused);

// A sentence saying why an amount was refused (empty for None).
QString moneyErrorMessage(MoneyError error);

// --- Dates shown ----------------------------------------------------------------------------

// Whether a date carries the time the user chose: reception times and handheld alarms do;
// vendors' due dates and the wedding date do not.
enum class DateKind { Day, DayAndTime };

// The locale's short date with a four-digit year (so no date reads as another century).
QString dateFormat(const QLocale &locale);
// The locale's short time, without seconds or a zone name.
QString timeFormat(const QLocale &locale);

QString date(QDate day, const QLocale &locale);
QString time(QTime time, const QLocale &locale);

// A stored date value: the date, and for DayAndTime the time of day unless it is midnight
// (no time chosen). A date stored as text is read in the locale's short form and shown the
// same way; a text that is no date is shown as it is. Other values show their text.
QString date(const FieldValue &value, const QLocale &locale, DateKind kind);

// A stored time of day (the time boxes keep "4:00:00 PM"; a date value gives its time) in
// the locale's short time; a text that is no time is shown as it is.
QString timeOfDay(const FieldValue &value, const QLocale &locale);

// The calendar day of a stored date: a date value, or a date kept as text (read as below);
// null for anything else.
QDate day(const FieldValue &value, const QLocale &locale);

// A date typed or stored as text: the locale's short form (a four-digit year, or two digits
// for a year from 2000 to 2099) or ISO 8601.
QDate readDate(const QString &text, const QLocale &locale);

} // namespace TextForms
