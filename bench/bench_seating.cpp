// The seating tab on a large plan: 500 tables and 65,535 guests, half of them seated. Times
// choosing a table (with its recount), refreshing the seating grid, opening "Add Person" and
// seating one guest. Prints medians.
#include "app/frmmain.h"
#include "benchwindow.h"
#include "plan/appstate.h"
#include "views/seatingtab.h"
#include "widgets/listgrid.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

namespace {

constexpr int kTables = 500;
constexpr int kGuests = 65535;

void fillPlan(PalmDatabase &tables, PalmDatabase &guests) {
    for (int t = 0; t < kTables; ++t) {
        Record &r = tables.records().add();
        tables.write(r, "ttag", QStringLiteral("Table %1").arg(t + 1));
        tables.write(r, "tabl", QStringLiteral("By the window"));
        tables.write(r, "maxs", QStringLiteral("200"));
        tables.write(r, "avai", QStringLiteral("200"));
        tables.write(r, "coun", QStringLiteral("0"));
    }
    guests.records().reserve(kGuests);
    for (int i = 0; i < kGuests; ++i) {
        Record &r = guests.records().add();
        guests.write(r, "gnam", QStringLiteral("Guest %1").arg(i, 5, 10, QLatin1Char('0')));
        guests.write(r, "gtyp", QStringLiteral("Bride's Family"));
        guests.write(r, "gcon", i % 3 == 0, FieldKind::Boolean);
        guests.write(r, "rsvp", QString::number(1 + i % 4));
        guests.write(r, "gadr", QStringLiteral("12 Main Street"));
        guests.write(r, "gcit", QStringLiteral("Springfield"));
        guests.write(r, "gsta", QStringLiteral("OH"));
        guests.write(r, "gpho", QStringLiteral("555-0100"));
        guests.write(r, "gcos", QStringLiteral("guest%1@example.com").arg(i));
        // Every other guest sits somewhere (about 65 per table); the rest wait for a seat,
        // half of them with an empty tag, half without the field.
        if (i % 2 == 0)
            guests.write(r, "gtag", QStringLiteral("Table %1").arg((i / 2) % kTables + 1));
        else if (i % 4 == 1)
            guests.write(r, "gtag", QString());
    }
}

} // namespace

int main(int argc, char **argv) {
    BenchWindow bench(argc, argv);
    const int runs = bench.runs;
    frmMain &window = bench.window;
    AppState &state = appState();
    window.showTab(frmMain::SeatingPage);
    fillPlan(state.plan.db(Schema::DbId::Tables), state.plan.db(Schema::DbId::Guest));
    SeatingTab &tab = *window.seating();
    ListGrid &tables = *tab.tableGrid();
    tab.UpdateTableGrid();
    std::printf("Seating: %d tables, %d guests; %d runs each, medians\n\n", kTables, kGuests, runs);

    int next = 0;
    // Moving to another row chooses that table, as a click does: the seating grid and the
    // recount, once.
    const double select = medianMs(runs, [&] { tables.setRow(1 + (next++ * 37) % kTables); });
    report("choose a table (with its recount)", select, 50);
    std::printf("%-44s %9d\n", "guests at the chosen table", tab.seatingGrid()->rows() - 1);

    const double seating = medianMs(runs, [&] { tab.UpdateSeatingGrid(); });
    report("UpdateSeatingGrid", seating, 50);
    // With a table chosen, the table grid's refresh also refreshes its guests.
    const double tableGrid = medianMs(runs, [&] { tab.UpdateTableGrid(); });
    report("UpdateTableGrid, a table chosen", tableGrid);

    // The panel closes when the focus leaves it; the benchmark closes it by its button.
    auto *cancel = tab.findChild<QPushButton *>(QStringLiteral("cmdSeatCancel"));
    const double offer = medianMs(
        runs, [&] { tab.offerGuests(); }, [&] { cancel->click(); });
    report("Add Person: fill lstAddPerson", offer, 50);
    tab.offerGuests();
    std::printf("%-44s %9d\n", "guests offered", tab.addPersonList()->model()->rowCount());

    // Typing a name narrows the list.
    const double narrow = medianMs(runs, [&] {
        tab.addPersonFind()->setText(QStringLiteral("guest 1"));
        tab.addPersonFind()->clear();
    });
    report("Add Person: type and clear a name", narrow);

    // Seating one guest: the seat itself and both grids refreshed.
    const double seat = medianMs(
        runs,
        [&] {
            tab.addPersonList()->setCurrentIndex(tab.addPersonList()->model()->index(0, 0));
            tab.seatChosenGuests();
        },
        [&] { tab.offerGuests(); });
    report("seat a guest from the list", seat);
    state.setPrompter(nullptr);
    return 0;
}
