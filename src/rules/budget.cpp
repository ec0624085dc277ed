#include "budget.h"

#include "details.h"
#include "displayforms.h"
#include "fieldpass.h"
#include "replies.h"

#include <QHash>
#include <limits>

namespace Budget {

using namespace Schema;

qint64 subtractCents(qint64 a, qint64 b) {
    qint64 difference = 0;
    if (__builtin_sub_overflow(a, b, &difference))
        return b < 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    return difference;
}

qint64 Line::due() const {
    return subtractCents(committed, paid);
}

std::optional<qint64> Line::left() const {
    if (!budgeted)
        return std::nullopt;
    return subtractCents(*budgeted, committed);
}

bool Line::overspent() const {
    return budgeted && committed > *budgeted;
}

std::optional<qint64> storedAmount(const Record *record, FieldCode code) {
    const Field *field = record ? record->fields().find(code) : nullptr;
    if (!field)
        return std::nullopt;
    const QString text = field->value().toText();
    if (text.trimmed().isEmpty())
        return std::nullopt;
    return TextForms::cents(text);
}

namespace {

qint64 centsOf(const Field *field) {
    return field ? TextForms::cents(field->value().toText()).value_or(0) : 0;
}

} // namespace

Sheet compute(const PalmDatabase &vendors, const PalmDatabase &vendorTypes,
              const PalmDatabase &plan) {
    Sheet sheet;
    QHash<QString, int> lineOf;
    const auto &types = vendorTypes.records().raw();
    sheet.services.reserve(types.size());
    lineOf.reserve(qsizetype(types.size()));
    std::optional<qint64> servicesBudget;
    for (const auto &type : types) {
        Line line;
        line.service = type->text(VendorType::kName);
        line.budgeted = storedAmount(type.get(), VendorType::kBudget);
        // A name listed twice is one service: its first place counts.
        if (!lineOf.contains(line.service)) {
            if (line.budgeted)
                servicesBudget = TextForms::addCents(servicesBudget.value_or(0), *line.budgeted);
            lineOf.insert(line.service, int(sheet.services.size()));
            sheet.services.push_back(std::move(line));
        }
    }

    for (const auto &vendor : vendors.records().raw()) {
        const auto [confirmed, service, price, paid, down] =
            findFields(*vendor, Vendor::kConfirmed, Vendor::kService, Vendor::kPrice, Vendor::kPaid,
                       Vendor::kDown);
        if (!confirmed || !confirmed->value().toBool())
            continue;
        const QString name = service ? service->value().toText() : QString();
        auto found = lineOf.constFind(name);
        if (found == lineOf.constEnd()) {
            Line line;
            line.service = name;
            line.listed = false;
            found = lineOf.insert(name, int(sheet.services.size()));
            sheet.services.push_back(std::move(line));
        }
        Line &line = sheet.services[std::size_t(*found)];
        const qint64 cost = centsOf(price);
        const qint64 paidNow = paid && paid->value().toBool() ? centsOf(down) : 0;
        line.committed = TextForms::addCents(line.committed, cost);
        line.paid = TextForms::addCents(line.paid, paidNow);
        ++line.vendors;
        sheet.total.committed = TextForms::addCents(sheet.total.committed, cost);
        sheet.total.paid = TextForms::addCents(sheet.total.paid, paidNow);
        ++sheet.total.vendors;
    }

    sheet.total.service = QStringLiteral("Total");
    sheet.total.budgeted = storedAmount(DetailsRecord::find(plan), Details::kBudget);
    if (!sheet.total.budgeted && servicesBudget) {
        sheet.total.budgeted = servicesBudget;
        sheet.totalFromServices = true;
    }
    return sheet;
}

void setTotal(PlanEdit &edit, const QString &stored) {
    Record &details = DetailsRecord::record(edit);
    if (stored.isEmpty())
        edit.removeField(DbId::Plan, details, Details::kBudget);
    else
        edit.write(DbId::Plan, details, Details::kBudget, stored);
}

void setForService(PlanEdit &edit, const QString &service, const QString &stored) {
    Record *type = nullptr;
    for (const auto &record : edit.db(DbId::VenTypes).records().raw()) {
        if (record->text(VendorType::kName) == service) {
            type = record.get();
            break;
        }
    }
    if (!type) {
        if (stored.isEmpty())
            return;
        type = &edit.appendRecord(DbId::VenTypes);
        edit.write(DbId::VenTypes, *type, VendorType::kName, service);
    }
    if (stored.isEmpty())
        edit.removeField(DbId::VenTypes, *type, VendorType::kBudget);
    else
        edit.write(DbId::VenTypes, *type, VendorType::kBudget, stored);
}

} // namespace Budget
