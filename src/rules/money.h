#pragma once

#include "store/palmdatabase.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

// The money of the vendors: what a price box holds, the balance, the two totals and which
// vendors have a payment to list. Totals are whole dollars in 64 bits: a wedding's vendors
// easily pass the 32,767 a 16-bit total could hold.
namespace Money {

// The result of checking what was typed into a money box.
struct CheckedPrice {
    QString text;
    // True when the text was not a number and was replaced: the caller says so.
    bool substituted = false;
};

// The message shown when a money box held something that is not a number.
QString notANumberMessage();

// The value of `text` when it is a number as the user writes numbers: blanks around, a sign,
// the locale's currency sign, digits with the locale's decimal separator and grouping.
std::optional<double> localeNumber(const QString &text, const QLocale &locale);

// A money box's text as it is kept: one leading "$" dropped, empty made "0", a number in the
// user's own writing ("1,500", "$5") turned into plain digits so that every later reading sees
// the amount the user meant, anything else replaced by its leading number (substituted).
CheckedPrice validatePrice(const QString &text, const QLocale &locale = QLocale());

// What a money box is written as on OK: empty and non-numbers stay as typed, a number in the
// user's writing becomes plain digits (as validatePrice would make it).
QString storedMoneyText(const QString &text, const QLocale &locale = QLocale());

// The amount a money box stands for: its stored text read by the numeric value rule.
double boxAmount(const QString &text, const QLocale &locale = QLocale());

// price − down payment − next payment, as the text form of a number; may be negative.
QString balanceText(const QString &price, const QString &down, const QString &next,
                    const QLocale &locale = QLocale());

// Adds one amount to a running total of whole dollars, rounding the sum to the nearest whole
// number (halves to even). Amounts that are not finite add nothing; the total saturates far
// beyond any real wedding instead of overflowing.
qint64 addRounded(qint64 total, double amount);

// "Vendor Cost": the prices of the confirmed vendors, each read by the numeric value rule (an
// empty price or a non-number counts 0).
qint64 vendorCost(const PalmDatabase &vendors);

// "Total": the amounts of the payment list's column 3.
qint64 paymentTotal(const QStringList &amounts);
// The same over the vendors the payment list shows: their next payments, or with `final` their
// balances.
qint64 paymentTotal(const std::vector<const Record *> &vendors, bool final);

// A stored date: a date value, or a text in the system's short date format; null otherwise.
QDate dateOf(const Record &record, FieldCode code);

// The wedding date: field date of the details record (record 1 of the plan database); null when
// the plan has none.
QDateTime weddingDate(const PalmDatabase &plan);

// A confirmed vendor with a next payment above 0 due strictly after `today`.
bool isPendingPayment(const Record &vendor, const QDate &today);
// A confirmed vendor with a balance above 0.
bool isFinalPayment(const Record &vendor);

} // namespace Money
