#include "money.h"

#include "displayforms.h"
#include "store/numbers.h"
#include "store/schema.h"

#include <cmath>

namespace Money {

namespace {

using Schema::Vendor::kBalance;
using Schema::Vendor::kConfirmed;
using Schema::Vendor::kPrice;
constexpr FieldCode kNextPayment = Schema::Vendor::kNext;
constexpr FieldCode kNextDate = Schema::Vendor::kNextDue;

// Far beyond any sum of 65,535 real prices, and still exact in a double.
constexpr double kTotalLimit = 9007199254740992.0; // 2^53

// The number a box holds read as plain digits when that reads what the user meant, else the
// user's number written plainly.
QString plainForm(const QString &text, double value) {
    return Numbers::numericValue(text) == value ? text : Numbers::numberText(value);
}

} // namespace

QString notANumberMessage() {
    return QStringLiteral("The price you entered is not a number.  This will cause an error in "
                          "your database.\rVowline has made a substitution, but you may want to "
                          "check the value again.");
}

std::optional<double> localeNumber(const QString &text, const QLocale &locale) {
    const TextForms::MoneyReading read =
        TextForms::readMoney(text, locale, TextForms::Negative::Allowed);
    if (!read.ok())
        return std::nullopt;
    return Numbers::numericValue(read.stored);
}

CheckedPrice validatePrice(const QString &text, const QLocale &locale) {
    QString s = text;
    if (s.startsWith(u'$'))
        s.remove(0, 1);
    if (s.isEmpty())
        return {QStringLiteral("0"), false};
    if (const std::optional<double> value = localeNumber(s, locale))
        return {plainForm(s, *value), false};
    return {Numbers::numberText(Numbers::numericValue(s)), true};
}

QString storedMoneyText(const QString &text, const QLocale &locale) {
    if (text.isEmpty())
        return text;
    const CheckedPrice checked = validatePrice(text, locale);
    return checked.substituted ? text : checked.text;
}

double boxAmount(const QString &text, const QLocale &locale) {
    return Numbers::numericValue(storedMoneyText(text, locale));
}

QString balanceText(const QString &price, const QString &down, const QString &next,
                    const QLocale &locale) {
    return Numbers::numberText(boxAmount(price, locale) - boxAmount(down, locale) -
                               boxAmount(next, locale));
}

qint64 addRounded(qint64 total, double amount) {
    if (!std::isfinite(amount))
        return total;
    const double sum = std::nearbyint(double(total) + amount); // halves to even
    if (sum >= kTotalLimit)
        return qint64(kTotalLimit);
    if (sum <= -kTotalLimit)
        return -qint64(kTotalLimit);
    return qint64(sum);
}

qint64 vendorCost(const PalmDatabase &vendors) {
    qint64 total = 0;
    for (const auto &record : vendors.records().raw()) {
        const Field *confirmed = record->fields().find(kConfirmed);
        if (!confirmed || !confirmed->value().toBool())
            continue;
        if (const Field *price = record->fields().find(kPrice))
            total = addRounded(total, price->value().toNumber());
    }
    return total;
}

qint64 paymentTotal(const QStringList &amounts) {
    qint64 total = 0;
    for (const QString &amount : amounts)
        total = addRounded(total, Numbers::numericValue(amount));
    return total;
}

qint64 paymentTotal(const std::vector<const Record *> &vendors, bool final) {
    qint64 total = 0;
    for (const Record *vendor : vendors)
        total = addRounded(total, vendor->value(final ? kBalance : kNextPayment).toNumber());
    return total;
}

QDate dateOf(const Record &record, FieldCode code) {
    return TextForms::day(record.value(code), QLocale::system());
}

QDateTime weddingDate(const PalmDatabase &plan) {
    if (plan.records().count() < 1)
        return {};
    const Record &details = plan.records().item(1);
    const Field *date = details.fields().find(Schema::Details::kDate);
    if (date && date->value().type() == FieldValue::Type::DateTime)
        return date->value().toDateTime();
    const QDate day = dateOf(details, Schema::Details::kDate);
    return day.isValid() ? day.startOfDay() : QDateTime();
}

bool isPendingPayment(const Record &vendor, const QDate &today) {
    const Field *confirmed = vendor.fields().find(kConfirmed);
    const Field *next = vendor.fields().find(kNextPayment);
    if (!confirmed || !confirmed->value().toBool() || !next || !(next->value().toNumber() > 0))
        return false;
    const QDate due = dateOf(vendor, kNextDate);
    return due.isValid() && today.daysTo(due) > 0;
}

bool isFinalPayment(const Record &vendor) {
    const Field *confirmed = vendor.fields().find(kConfirmed);
    const Field *balance = vendor.fields().find(kBalance);
    return confirmed && confirmed->value().toBool() && balance && balance->value().toNumber() > 0;
}

} // namespace Money
