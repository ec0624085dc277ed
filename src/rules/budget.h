#pragma once

#include "store/planedit.h"

#include <optional>
#include <vector>

// The wedding budget: a total for the plan and, where the couple sets one, an amount per
// service, against what the confirmed vendors cost. Amounts are cents in 64 bits, added
// exactly and held at the limits rather than overflowing, as the reports add money.
//
// The amounts live in fields the handheld does not read: the total in the details record, each
// service's amount in its record of the vendor-type list (both a money text, absent while no
// amount is set).
namespace Budget {

// One line of the budget: a service, or the whole plan.
struct Line {
    QString service;
    bool listed = true; // on the vendor-type list (so its amount can be kept there)
    std::optional<qint64> budgeted;
    qint64 committed = 0; // the prices of the confirmed vendors
    qint64 paid = 0;      // their down payments marked paid
    int vendors = 0;      // the confirmed vendors counted

    // What the confirmed vendors are still owed: committed less paid.
    qint64 due() const;
    // What the budget leaves: budgeted less committed; none without a budget.
    std::optional<qint64> left() const;
    // More is committed than was budgeted.
    bool overspent() const;
};

struct Sheet {
    // The vendor-type list's order, then the services vendors name that the list lacks (an
    // empty service among them), in the order first met.
    std::vector<Line> services;
    // Every confirmed vendor. Its budget is the plan's total; without one, the sum of the
    // services' amounts (totalFromServices) when any is set.
    Line total;
    bool totalFromServices = false;
};

// A stored budget amount in cents; none when the field is absent or empty, or the amount lies
// beyond 64-bit cents.
std::optional<qint64> storedAmount(const Record *record, FieldCode code);

// An unconfirmed vendor commits nothing and its payments are not counted.
Sheet compute(const PalmDatabase &vendors, const PalmDatabase &vendorTypes,
              const PalmDatabase &plan);

// Writes the plan's total, or with an empty text removes it. `stored` is an amount in the
// stored form (TextForms::readMoney makes it from what was typed).
void setTotal(PlanEdit &edit, const QString &stored);
// Writes the amount of `service` into its record of the vendor-type list (the first of that
// name), which is added to the list when it has none; an empty text removes the amount.
void setForService(PlanEdit &edit, const QString &service, const QString &stored);

// a - b in cents, held at the 64-bit limits.
qint64 subtractCents(qint64 a, qint64 b);

} // namespace Budget
