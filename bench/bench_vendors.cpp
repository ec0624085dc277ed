// The vendor, payment and task lists on a large plan: 5,000 vendors and 5,000 tasks. Times
// every refresh of the three grids and the task sort. Prints medians.
#include "app/frmmain.h"
#include "benchwindow.h"
#include "plan/appstate.h"
#include "rules/taskorder.h"
#include "views/paymentstab.h"
#include "views/taskstab.h"
#include "views/vendorstab.h"

#include <QApplication>
#include <QComboBox>
#include <QRandomGenerator>

namespace {

void fillVendors(PalmDatabase &vendors, int count) {
    QRandomGenerator rng(11);
    const QDate today = QDate::currentDate();
    vendors.records().reserve(count);
    for (int i = 0; i < count; ++i) {
        Record &r = vendors.records().add();
        vendors.write(r, "vnam", QStringLiteral("Vendor %1 %2").arg(rng.bounded(100000)).arg(i));
        vendors.write(r, "vcnt", QStringLiteral("Pat Smith"));
        vendors.write(r, "vtyp", i % 3 ? QStringLiteral("Florist") : QStringLiteral("Caterer"));
        vendors.write(r, "vcon", rng.bounded(4) != 0, FieldKind::Boolean);
        vendors.write(r, "vcos", QString::number(rng.bounded(500, 20000)));
        vendors.write(r, "vadr", QStringLiteral("12 Main Street"));
        vendors.write(r, "vcit", QStringLiteral("Springfield"));
        vendors.write(r, "vsta", QStringLiteral("OH"));
        vendors.write(r, "vzip", QStringLiteral("45501"));
        vendors.write(r, "vpho", QStringLiteral("555-0100"));
        vendors.write(r, "npay", QString::number(rng.bounded(0, 2000)));
        vendors.write(r, "ndat", today.addDays(rng.bounded(-60, 300)).startOfDay(),
                      FieldKind::Date);
        vendors.write(r, "vbal", QString::number(rng.bounded(-100, 5000)));
        vendors.write(r, "dued", today.addDays(300).startOfDay(), FieldKind::Date);
    }
}

void fillTasks(PalmDatabase &tasks, const QStringList &timeframes, int count) {
    QRandomGenerator rng(13);
    tasks.records().removeAll();
    tasks.records().reserve(count);
    for (int i = 0; i < count; ++i) {
        Record &r = tasks.records().add();
        tasks.write(r, "time", timeframes[int(rng.bounded(qsizetype(timeframes.size())))]);
        tasks.write(r, "evnt", QStringLiteral("Task %1").arg(i));
        tasks.write(r, "done", rng.bounded(2) == 1, FieldKind::Boolean);
        // A third without an alarm, as the handheld leaves most of them.
        if (rng.bounded(3) != 0)
            tasks.write(r, "alrm", QDate::currentDate().addDays(rng.bounded(400)).startOfDay(),
                        FieldKind::Date);
    }
}

} // namespace

int main(int argc, char **argv) {
    BenchWindow bench(argc, argv);
    const int runs = bench.runs;
    frmMain &window = bench.window;
    AppState &state = appState();
    fillVendors(state.plan.db(Schema::DbId::Vendors), 5000);
    fillTasks(state.plan.db(Schema::DbId::Tasks),
              state.plan.db(Schema::DbId::TimeFrames).listValues(Schema::kTimeFrame), 5000);
    std::printf("5,000 vendors and 5,000 tasks; %d runs each, medians\n\n", runs);

    report("UpdateVendorsGrid, all vendors",
           medianMs(runs, [&] { window.vendors()->UpdateVendorsGrid(); }), 50);
    QComboBox *status = window.vendors()->statusBox();
    status->setCurrentIndex(status->findText(QStringLiteral("Confirmed")));
    report("UpdateVendorsGrid, confirmed only",
           medianMs(runs, [&] { window.vendors()->UpdateVendorsGrid(); }), 50);
    report("UpdatePayments, pending", medianMs(runs, [&] { window.payments()->UpdatePayments(); }),
           50);
    QComboBox *view = window.payments()->viewBox();
    view->setCurrentIndex(view->findText(QStringLiteral("Final Payments")));
    report("UpdatePayments, final", medianMs(runs, [&] { window.payments()->UpdatePayments(); }),
           50);
    // Each sort starts from the same shuffled order.
    const QStringList timeframes =
        state.plan.db(Schema::DbId::TimeFrames).listValues(Schema::kTimeFrame);
    report("SortTasks, 5,000 tasks",
           medianMs(
               runs,
               [&] {
                   state.plan.applyQuietly([](PlanEdit &edit) {
                       TaskOrder::renumberTasks(edit);
                       TaskOrder::sortTasks(edit);
                   });
               },
               [&] { fillTasks(state.plan.db(Schema::DbId::Tasks), timeframes, 5000); }),
           50);
    report("UpdateTasks, all tasks", medianMs(runs, [&] { window.tasks()->UpdateTasks(); }), 50);
    state.setPrompter(nullptr);
    return 0;
}
