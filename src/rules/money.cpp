#include "money.h"

#include "store/numbers.h"

#include <cmath>

namespace Money {

namespace {

constexpr FieldCode kConfirmed = "vcon";
constexpr FieldCode kPrice = "vcos";
constexpr FieldCode kNextPayment = "npay";
constexpr FieldCode kNextDate = "ndat";
constexpr FieldCode kBalance = "vbal";

// Far beyond any sum of 65,535 real prices, and still exact in a double.
constexpr double kTotalLimit = 9007199254740992.0; // 2^53

bool takePrefix(QString &text, const QString &prefix) {
    if (prefix.isEmpty() || !text.startsWith(prefix))
        return false;
    text = text.mid(prefix.size()).trimmed();
    return true;
}

bool takeSuffix(QString &text, const QString &suffix) {
    if (suffix.isEmpty() || !text.endsWith(suffix))
        return false;
    text = text.left(text.size() - suffix.size()).trimmed();
    return true;
}

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
    QString s = text.trimmed();
    bool negative = false;
    bool signed_ = false;
    auto takeSign = [&] {
        if (signed_)
            return;
        if (takePrefix(s, locale.negativeSign()) || takePrefix(s, QStringLiteral("-"))) {
            negative = signed_ = true;
        } else if (takePrefix(s, locale.positiveSign()) || takePrefix(s, QStringLiteral("+"))) {
            signed_ = true;
        }
    };
    // "-$5" and "$-5" are both written; the currency sign may also follow the number.
    takeSign();
    const QString currency = locale.currencySymbol();
    if (!takePrefix(s, currency))
        takeSuffix(s, currency);
    takeSign();
    if (s.isEmpty())
        return std::nullopt;
    // The rest is digits and separators only: no second sign, no "inf".
    const QChar first = s.front();
    if (!first.isDigit() && !locale.decimalPoint().startsWith(first))
        return std::nullopt;
    bool ok = false;
    const double value = locale.toDouble(s, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
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
    const Field *field = record.fields().find(code);
    if (!field)
        return {};
    const FieldValue &value = field->value();
    if (value.type() == FieldValue::Type::DateTime)
        return value.toDateTime().date();
    if (value.type() != FieldValue::Type::Text)
        return {};
    const QString text = value.toText().trimmed();
    const QLocale locale = QLocale::system();
    // Two-digit years of the short format would land in the 1900s: try four digits first.
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    for (const QDate date : {locale.toDate(text, format), locale.toDate(text, QLocale::ShortFormat),
                             QDate::fromString(text, Qt::ISODate)}) {
        if (date.isValid())
            return date;
    }
    return {};
}

QDateTime weddingDate(const PalmDatabase &plan) {
    if (plan.records().count() < 1)
        return {};
    const Record &details = plan.records().item(1);
    const Field *date = details.fields().find("date");
    if (date && date->value().type() == FieldValue::Type::DateTime)
        return date->value().toDateTime();
    const QDate day = dateOf(details, "date");
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
