// Undo on a plan at the format's limit, 65,535 guests, with the main window open on the guest
// list: undoing an import of 10,000 guests, undoing one guest's edit, and the memory 1,000
// steps of single edits keep. Prints medians.
#include "app/frmmain.h"
#include "benchwindow.h"
#include "rules/newrecords.h"
#include "views/guesttab.h"

#include <QFile>
#include <QUndoStack>
#include <unistd.h>

using namespace Schema;

namespace {

void addGuests(PlanEdit &edit, int count, const QString &prefix) {
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<Record> guest = NewRecords::guest(QStringLiteral("Friend"), i % 2 == 0);
        guest->fields().item(Guest::kName).setValue(QStringLiteral("%1 %2").arg(prefix).arg(i));
        guest->fields().item(Guest::kRsvp).setValue(QString::number(1 + i % 3));
        edit.insertRecord(DbId::Guest, edit.db(DbId::Guest).records().count(), std::move(guest));
    }
}

} // namespace

int main(int argc, char **argv) {
    BenchWindow bench(argc, argv);
    const int runs = bench.runs;
    Plan &plan = appState().plan;
    bench.window.showTab(frmMain::GuestsPage);
    // In the order a loaded plan has them: the program keeps the guests sorted by name.
    plan.applyQuietly([](PlanEdit &edit) {
        addGuests(edit, 55535, QStringLiteral("Guest"));
        edit.sort(DbId::Guest, Guest::kName);
    });
    plan.history().clear();
    std::printf("Undo with 65,535 guests; %d runs each, medians\n\n", runs);

    // The import of 10,000 guests is one step; undoing it takes them all back.
    const double undoImport = medianMs(
        runs, [&] { plan.history().undo(); },
        [&] {
            plan.apply(QStringLiteral("Import Guests"),
                       [](PlanEdit &edit) { addGuests(edit, 10000, QStringLiteral("Imported")); });
        });
    report("undo an import of 10,000 guests", undoImport, 100);

    // One guest edited as the record editor's OK writes it: several fields, then the sort.
    int n = 0;
    auto editOne = [&] {
        Record &guest = plan.db(DbId::Guest).records().item(1 + (n * 7919) % 55535);
        plan.apply(QStringLiteral("Edit Guest"), [&](PlanEdit &edit) {
            edit.write(DbId::Guest, guest, Guest::kCity, QStringLiteral("Town %1").arg(n));
            edit.write(DbId::Guest, guest, Guest::kPhone, QStringLiteral("555-%1").arg(n));
            edit.write(DbId::Guest, guest, Guest::kRsvp, QString::number(n % 5));
            edit.sort(DbId::Guest, Guest::kName);
        });
        ++n;
    };
    const double undoEdit = medianMs(
        runs, [&] { plan.history().undo(); }, editOne);
    report("undo one guest's edit", undoEdit, 2);

    // A renamed guest moves in the list: its undo moves it back.
    auto rename = [&] {
        Record &guest = plan.db(DbId::Guest).records().item(1 + (n * 104729) % 55535);
        plan.apply(QStringLiteral("Edit Guest"), [&](PlanEdit &edit) {
            edit.write(DbId::Guest, guest, Guest::kName, QStringLiteral("Aaron %1").arg(n++));
            edit.sort(DbId::Guest, Guest::kName);
        });
    };
    const double undoRename = medianMs(
        runs, [&] { plan.history().undo(); }, rename);
    report("undo a rename (the guest moves back)", undoRename);

    plan.history().clear();
    const double before = residentMb();
    for (int i = 0; i < 1000; ++i)
        editOne();
    std::printf("%-44s %9.2f MB   (target <= 5 MB; %d steps kept)\n", "memory of 1,000 steps",
                residentMb() - before, plan.history().count());
    appState().setPrompter(nullptr);
    return 0;
}
