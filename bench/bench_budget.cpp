// The guest list at a glance and the budget on a plan at the limits: 65,535 guests and 5,000
// vendors. Times the guest summary after one edit (through the plan, as the guest tab follows
// it, and the counting alone), a full count, and the budget view's refresh. Prints medians.
#include "app/frmmain.h"
#include "benchwindow.h"
#include "rules/budget.h"
#include "rules/categorylookup.h"
#include "rules/guestsummary.h"
#include "rules/replies.h"
#include "views/budgettab.h"
#include "views/guesttab.h"

#include <QLabel>
#include <QRandomGenerator>

using namespace Schema;

namespace {

void fillGuests(PalmDatabase &guests, int count) {
    QRandomGenerator rng(7);
    const QString meals[] = {QString(), QStringLiteral("Meat"), QStringLiteral("Fish"),
                             QStringLiteral("Vegetarian"), QStringLiteral("Kosher")};
    guests.records().reserve(count);
    for (int i = 0; i < count; ++i) {
        Record &r = guests.records().add();
        guests.write(r, Guest::kName,
                     QStringLiteral("Guest %1 %2").arg(rng.bounded(100000)).arg(i));
        guests.write(r, Guest::kRelation, QStringLiteral("Bride's Family"));
        const int reply = rng.bounded(3);
        guests.write(r, Guest::kConfirmed, reply == 0, FieldKind::Boolean);
        guests.write(r, Guest::kRsvp, QString::number(rng.bounded(0, 5)));
        guests.write(r, Guest::kAddress, QStringLiteral("12 Main Street"));
        guests.write(r, Guest::kCity, QStringLiteral("Springfield"));
        guests.write(r, Guest::kState, QStringLiteral("OH"));
        guests.write(r, Guest::kPhone, QStringLiteral("555-0100"));
        guests.write(r, Guest::kEmail, QStringLiteral("guest%1@example.com").arg(i));
        guests.write(r, Guest::kTable,
                     rng.bounded(2) ? QString::number(rng.bounded(500)) : QString());
        guests.write(r, Guest::kGift, QString());
        guests.write(r, Guest::kThanked, false, FieldKind::Boolean);
        if (reply == 1)
            guests.write(r, Guest::kDeclined, true, FieldKind::Boolean);
        if (const QString &meal = meals[rng.bounded(5)]; !meal.isEmpty())
            guests.write(r, Guest::kMeal, meal);
    }
}

void fillVendors(PalmDatabase &vendors, const QStringList &services, int count) {
    QRandomGenerator rng(11);
    vendors.records().reserve(count);
    for (int i = 0; i < count; ++i) {
        Record &r = vendors.records().add();
        vendors.write(r, Vendor::kName, QStringLiteral("Vendor %1").arg(i));
        vendors.write(r, Vendor::kService, services[rng.bounded(int(services.size()))]);
        vendors.write(r, Vendor::kConfirmed, rng.bounded(4) != 0, FieldKind::Boolean);
        vendors.write(r, Vendor::kPrice, QString::number(rng.bounded(500, 20000)) + ".50");
        vendors.write(r, Vendor::kDown, QString::number(rng.bounded(0, 500)));
        vendors.write(r, Vendor::kPaid, rng.bounded(2) == 1, FieldKind::Boolean);
        vendors.write(r, Vendor::kAddress, QStringLiteral("12 Main Street"));
        vendors.write(r, Vendor::kPhone, QStringLiteral("555-0100"));
    }
}

} // namespace

int main(int argc, char **argv) {
    BenchWindow bench(argc, argv);
    const int runs = bench.runs;
    frmMain &window = bench.window;
    Plan &plan = appState().plan;
    PalmDatabase &guests = plan.db(DbId::Guest);
    fillGuests(guests, 65535);
    QStringList services = plan.db(DbId::VenTypes).listValues(VendorType::kName);
    services << QStringLiteral("Not on the list");
    fillVendors(plan.db(DbId::Vendors), services, 5000);
    plan.applyQuietly([](PlanEdit &edit) {
        Budget::setTotal(edit, QStringLiteral("250000"));
        Budget::setForService(edit, QStringLiteral("Florist"), QStringLiteral("3000"));
    });
    GuestTab &tab = *window.guests();
    tab.fillFilterBoxes(); // counts the guests filled in behind the plan's back
    std::printf("65,535 guests and 5,000 vendors; %d runs each, medians\n\n", runs);
    std::printf("%s\n\n", qPrintable(tab.summaryLabel()->text()));

    // One guest's reply changed as a step: the list's row, the summary line and all else that
    // follows the plan.
    int n = 0;
    const double step = medianMs(runs, [&] {
        Record &guest = guests.records().item(1 + (n * 7919) % 65535);
        plan.apply(QStringLiteral("Edit Guest"), [&](PlanEdit &edit) {
            edit.writeAll(DbId::Guest, guest, Replies::replyEntries(Replies::Reply(n++ % 3)));
        });
    });
    report("one guest's reply, the whole step", step, 5);

    // The summary's own part of it: the guest counted again and the line made.
    GuestTally tally;
    tally.setMeals(categoryNames(plan.set(), CategoryKind::Meals));
    tally.recount(guests);
    const double one = medianMs(runs, [&] {
        Record &guest = guests.records().item(1 + (n * 7919) % 65535);
        guest.fields().add(Guest::kMeal).setValue(FieldValue(QStringLiteral("Fish")));
        tally.update(guests, guest);
        summaryText(tally.summary(), QLocale());
        ++n;
    });
    report("summary after one edit (count and line)", one, 5);
    const double all = medianMs(runs, [&] {
        tally.recount(guests);
        summaryText(tally.summary(), QLocale());
    });
    report("summary, every guest counted", all);
    QStringList meals;
    for (int i = 0; i < 65535; ++i)
        meals << QStringLiteral("Meal %1").arg(i);
    tally.setMeals(meals);
    tally.recount(guests);
    const double manyMeals = medianMs(runs, [&] {
        Record &guest = guests.records().item(1 + (n++ * 7919) % 65535);
        tally.update(guests, guest);
        summaryText(tally.summary(), QLocale());
    });
    report("the same with a list of 65,535 meals", manyMeals, 5);

    BudgetTab &budget = *window.budget();
    window.showTab(TabHost::BudgetPage);
    report("budget view refresh (UpdateBudget)", medianMs(runs, [&] { budget.UpdateBudget(); }),
           10);
    report("budget lines alone (Budget::compute)", medianMs(runs, [&] {
               Budget::compute(plan.db(DbId::Vendors), plan.db(DbId::VenTypes),
                               plan.db(DbId::Plan));
           }));
    const double price = medianMs(runs, [&] {
        Record &vendor = plan.db(DbId::Vendors).records().item(1 + (n * 613) % 5000);
        plan.apply(QStringLiteral("Edit Vendor"), [&](PlanEdit &edit) {
            edit.write(DbId::Vendors, vendor, Vendor::kPrice, QString::number(1000 + n++));
        });
    });
    report("one vendor's price, the whole step", price, 10);
    appState().setPrompter(nullptr);
    return 0;
}
