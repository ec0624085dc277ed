#include "guesttransfer.h"

#include "rules/categorylookup.h"

#include "frmimportguests.h"
#include "plan/formcontext.h"
#include "plan/plan.h"
#include "store/prompter.h"
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
QString startFolder(const QString &plan) {
    const QString last = QSettings().value(kFolderKey).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    if (!plan.isEmpty() && QFileInfo(plan).isDir())
        return plan;
    return QDir::homePath();
}

void rememberFolder(const QString &file) {
    QSettings().setValue(kFolderKey, QFileInfo(file).absolutePath());
}

} // namespace

void importGuests(QWidget *owner, const FormContext &forms, TabHost &host,
                  const QString &planFolder) {
    Prompter &prompter = forms.prompter;
    Plan &plan = forms.plan;
    if (!plan.isOpen())
        return;
    const auto path = prompter.openFile(kImportTitle, startFolder(planFolder), kImportFilter);
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

    const PalmDatabase &guests = plan.db(Schema::DbId::Guest);
    frmImportGuests preview(table, QFileInfo(*path).fileName(), guests,
                            plan.db(Schema::DbId::RelTypes).listValues(Schema::kCategoryType),
                            owner, categoryNames(plan.set(), CategoryKind::Meals));
    if (preview.exec() != QDialog::Accepted)
        return;

    int added = 0;
    try {
        BusyPointer busy(prompter);
        // The whole import is one step: one undo takes it all back.
        plan.apply(QObject::tr("Import Guests from %1").arg(QFileInfo(*path).fileName()),
                   [&](PlanEdit &edit) {
                       added = GuestCsv::apply(preview.plan(), preview.choices(), edit);
                   });
    } catch (const StoreError &e) {
        prompter.tell(e.description(), kImportTitle, Icon::Exclamation);
        return;
    }
    if (added == 0) {
        prompter.tell(QStringLiteral("No guests were added."), kImportTitle, Icon::Information);
        return;
    }
    host.showTab(TabHost::GuestsPage);
    prompter.tell(QStringLiteral("%1 added to the guest list.")
                      .arg(GuestCsv::countOf(added, "guest was", "guests were")),
                  kImportTitle, Icon::Information);
}

void exportGuests(const FormContext &forms, const QString &planFolder) {
    Prompter &prompter = forms.prompter;
    if (!forms.plan.isOpen())
        return;
    const PalmDatabase &guests = forms.plan.db(Schema::DbId::Guest);
    if (guests.records().count() == 0) {
        prompter.tell(QStringLiteral("There are no guests to export."), kExportTitle,
                      Icon::Information);
        return;
    }
    const std::optional<int> form = prompter.choose(kExportQuestion, kExportTitle, exportForms());
    if (!form)
        return;
    const bool envelopes = *form == 1;

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
    const auto path = prompter.saveFile(kExportTitle, startFolder(planFolder), kExportFilter,
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
