#include "guesttransfer.h"

#include "frmimportguests.h"
#include "store/appstate.h"
#include "store/planview.h"
#include "store/safefile.h"
#include "transfer/guestcsv.h"
#include "views/tabhost.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace GuestTransfer {

namespace {

const QString kImportTitle = QStringLiteral("Import Guests");
const QString kExportTitle = QStringLiteral("Export Guests");
const QString kFolderKey = QStringLiteral("Import/Folder");
const QString kImportFilter = QStringLiteral("Spreadsheet Files|*.csv;*.txt");
const QString kExportFilter = QStringLiteral("CSV Files|*.csv");

using Icon = Prompter::Icon;
using Buttons = Prompter::Buttons;
using Answer = Prompter::Answer;

// The folder of the last import or export, else the plan's, else the home folder.
QString startFolder() {
    const QString last = QSettings().value(kFolderKey).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString plan = appState().currentSetFolder;
    if (!plan.isEmpty() && QFileInfo(plan).isDir())
        return plan;
    return QDir::homePath();
}

void rememberFolder(const QString &file) {
    QSettings().setValue(kFolderKey, QFileInfo(file).absolutePath());
}

} // namespace

void importGuests(QWidget *owner, TabHost &host) {
    AppState &state = appState();
    Prompter &prompter = state.prompter();
    if (!state.set.isOpen())
        return;
    const auto path = prompter.openFile(kImportTitle, startFolder(), kImportFilter);
    if (!path)
        return;
    rememberFolder(*path);

    Csv::Table table;
    try {
        BusyPointer busy(prompter);
        table = Csv::readFile(*path);
    } catch (const StoreError &e) {
        prompter.tell(e.description() + QStringLiteral("  No guests were added."), kImportTitle,
                      Icon::Exclamation);
        return;
    }

    PalmDatabase &guests = state.set.db(Schema::DbId::Guest);
    PalmDatabase &relations = state.set.db(Schema::DbId::RelTypes);
    frmImportGuests preview(table, QFileInfo(*path).fileName(), guests,
                            relations.listValues(Schema::kCategoryType), owner);
    if (preview.exec() != QDialog::Accepted)
        return;

    const int relationsBefore = relations.records().count();
    int added = 0;
    try {
        BusyPointer busy(prompter);
        added = GuestCsv::apply(preview.plan(), preview.choices(), guests, relations);
    } catch (const StoreError &e) {
        prompter.tell(e.description(), kImportTitle, Icon::Exclamation);
        return;
    }
    if (added == 0) {
        prompter.tell(QStringLiteral("No guests were added."), kImportTitle, Icon::Information);
        return;
    }
    state.changed = true;
    state.markPlanModified();
    PlanView &view = host.planView();
    // New relations belong in the relation boxes; filling them also shows every guest again.
    if (relations.records().count() != relationsBefore)
        view.FillFilterBoxes();
    host.showTab(TabHost::GuestsPage);
    view.UpdateGuestGrid();
    prompter.tell(QStringLiteral("%1 added to the guest list.")
                      .arg(GuestCsv::countOf(added, "guest was", "guests were")),
                  kImportTitle, Icon::Information);
}

void exportGuests() {
    AppState &state = appState();
    Prompter &prompter = state.prompter();
    if (!state.set.isOpen())
        return;
    const PalmDatabase &guests = state.set.db(Schema::DbId::Guest);
    if (guests.records().count() == 0) {
        prompter.tell(QStringLiteral("There are no guests to export."), kExportTitle,
                      Icon::Information);
        return;
    }
    const Answer form = prompter.message(
        QStringLiteral("Export every field of every guest, to open in a spreadsheet or import "
                       "again?\r\rChoose No for the envelope lines of the confirmed guests, for "
                       "a stationer."),
        kExportTitle, Icon::Question, Buttons::YesNoCancel);
    if (form == Answer::Cancel)
        return;
    const bool envelopes = form == Answer::No;

    int rows = 0;
    QByteArray bytes;
    try {
        BusyPointer busy(prompter);
        bytes = GuestCsv::exportGuests(
            guests, envelopes ? GuestCsv::Form::Envelopes : GuestCsv::Form::AllFields, &rows);
    } catch (const StoreError &e) {
        prompter.tell(e.description(), kExportTitle, Icon::Exclamation);
        return;
    }
    if (rows == 0) {
        prompter.tell(QStringLiteral("No guest is confirmed yet, so there are no envelopes to "
                                     "export."),
                      kExportTitle, Icon::Information);
        return;
    }
    const auto path = prompter.saveFile(kExportTitle, startFolder(), kExportFilter,
                                        envelopes ? QStringLiteral("Envelopes.csv")
                                                  : QStringLiteral("Guests.csv"));
    if (!path)
        return;
    rememberFolder(*path);
    if (SafeFile::probe(*path) != SafeFile::Kind::Missing &&
        prompter.message(QStringLiteral("%1 already exists.  Do you want to replace it?")
                             .arg(QDir::toNativeSeparators(*path)),
                         kExportTitle, Icon::Exclamation, Buttons::YesNo) != Answer::Yes) {
        return;
    }
    try {
        BusyPointer busy(prompter);
        Csv::writeFile(*path, bytes);
    } catch (const StoreError &e) {
        prompter.tell(e.description(), kExportTitle, Icon::Exclamation);
        return;
    }
    prompter.tell(QStringLiteral("%1 exported to %2.")
                      .arg(envelopes ? GuestCsv::countOf(rows, "envelope was", "envelopes were")
                                     : GuestCsv::countOf(rows, "guest was", "guests were"),
                           QDir::toNativeSeparators(*path)),
                  kExportTitle, Icon::Information);
}

} // namespace GuestTransfer
