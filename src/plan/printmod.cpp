#include "printmod.h"

#include "appstate.h"
#include "rules/details.h"
#include "saving.h"

namespace PrintMod {

bool CheckSavedForPrint(AppState &state, SaveHost &host) {
    if (!state.plan.isModified())
        return true;
    const auto answer = state.prompter().message(
        QStringLiteral("Before you can print, you must save the changes to the current Wedding "
                       "Plan.  Do you want to save the changes now?"),
        QStringLiteral("Save Changes?"), Prompter::Icon::Question, Prompter::Buttons::YesNo);
    if (answer != Prompter::Answer::Yes)
        return false;
    Saving::saveToFolder(state, host);
    return true;
}

QString PrintReport(AppState &state, Reports::Kind kind, const QString &owner) {
    const Reports::Info *report = Reports::info(kind);
    if (!report)
        return {};
    const QString folder = Reports::reportFolder(state.currentSetFolder, state.programFolder);
    const QString path = folder + u'/' + report->fileName;
    try {
        Reports::writeReportFile(
            path, Reports::reportText(report->kind, state.plan.set(), report->titlePrefix + owner));
    } catch (const StoreError &error) {
        // The report is written whole or not at all, so there is nothing to show.
        state.prompter().tell(QStringLiteral("There was an error completing the ") +
                                  report->reportName + QStringLiteral(".") + u'\r' +
                                  error.description(),
                              QStringLiteral("Report Error"), Prompter::Icon::Exclamation);
        return {};
    }
    state.show(path);
    return path;
}

void runReportCommand(AppState &state, SaveHost &host, Reports::Kind kind) {
    BusyPointer busy(state.prompter());
    if (CheckSavedForPrint(state, host))
        PrintReport(state, kind, DetailsRecord::planName(state.plan.db(Schema::DbId::Plan)));
}

} // namespace PrintMod
