// The guest list on a plan at the format's limit: refreshing 65,535 guests, "Add Person"
// until the record editor is open, and filling the filter boxes from 65,535 relation names.
// Prints medians.
#include "app/frmmain.h"
#include "benchwindow.h"
#include "store/appstate.h"
#include "views/guesttab.h"
#include "widgets/listgrid.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTimer>

namespace {

void fillGuests(PalmDatabase &guests, int count) {
    QRandomGenerator rng(7);
    guests.records().reserve(count);
    for (int i = 0; i < count; ++i) {
        Record &r = guests.records().add();
        guests.write(r, "gnam", QStringLiteral("Guest %1 %2").arg(rng.bounded(100000)).arg(i));
        guests.write(r, "gtyp", QStringLiteral("Bride's Family"));
        guests.write(r, "gcon", rng.bounded(2) == 1, FieldKind::Boolean);
        guests.write(r, "rsvp", QString::number(rng.bounded(1, 5)));
        guests.write(r, "gadr", QStringLiteral("12 Main Street"));
        guests.write(r, "gcit", QStringLiteral("Springfield"));
        guests.write(r, "gsta", QStringLiteral("OH"));
        guests.write(r, "gpho", QStringLiteral("555-0100"));
        guests.write(r, "gcos", QStringLiteral("guest%1@example.com").arg(i));
        guests.write(r, "gtag", QString());
        guests.write(r, "gift", QString());
        guests.write(r, "tnku", false, FieldKind::Boolean);
    }
}

} // namespace

int main(int argc, char **argv) {
    BenchWindow bench(argc, argv);
    const int runs = bench.runs;
    frmMain &window = bench.window;
    AppState &state = appState();
    window.showTab(frmMain::GuestsPage);
    fillGuests(state.set.db(Schema::DbId::Guest), 65535);
    std::printf("Guest list of 65,535 guests; %d runs each, medians\n\n", runs);

    const double refresh = medianMs(runs, [&] { window.UpdateGuestGrid(); });
    report("UpdateGuestGrid, 65,535 guests", refresh, 50);

    // "Add Person" needs room for one more guest.
    state.set.db(Schema::DbId::Guest).records().remove(1);
    window.UpdateGuestGrid();
    auto *add = window.findChild<QPushButton *>(QStringLiteral("cmdAddGuest"));
    std::vector<double> opening;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        // Stops the clock as soon as the editor's own event loop runs, then cancels it.
        std::function<void()> watch = [&] {
            auto *editor = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (editor && editor->objectName() == QLatin1String("frmRecordEditor") &&
                editor->isVisible()) {
                opening.push_back(double(timer.nsecsElapsed()) / 1e6);
                editor->reject();
                return;
            }
            QTimer::singleShot(0, watch);
        };
        QTimer::singleShot(0, watch);
        timer.start();
        add->click();
    }
    std::sort(opening.begin(), opening.end());
    report("Add Person until the editor is open", opening[opening.size() / 2], 200);
    std::printf("%-44s %9d\n", "guests afterwards (each Add was cancelled)",
                state.set.db(Schema::DbId::Guest).records().count());

    // The filter boxes of every list from 65,535 relation names.
    PalmDatabase &relations = state.set.db(Schema::DbId::RelTypes);
    relations.records().removeAll();
    relations.records().reserve(65535);
    for (int i = 0; i < 65535; ++i)
        relations.write(relations.records().add(), "type", QStringLiteral("Relation %1").arg(i));
    const double fill = medianMs(runs, [&] { window.FillFilterBoxes(); });
    report("fill the filter boxes, 65,535 relations", fill, 500);
    state.setPrompter(nullptr);
    return 0;
}
