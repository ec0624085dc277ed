#include "printmod.h"

#include "reports.h"
#include "store/appstate.h"
#include "store/planview.h"
#include "store/saving.h"

#include <QDir>

namespace PrintMod {

namespace {

Viewer &viewer() {
    static Viewer v;
    return v;
}

} // namespace

bool CheckSavedForPrint(PlanWindow &window) {
    if (!appState().changed)
        return true;
    const auto answer = appState().prompter().message(
        QStringLiteral("Before you can print, you must save the changes to the current Wedding "
                       "Plan.  Do you want to save the changes now?"),
        QStringLiteral("Save Changes?"), Prompter::Icon::Question, Prompter::Buttons::YesNo);
    if (answer != Prompter::Answer::Yes)
        return false;
    Saving::saveToFolder(window);
    return true;
}

QString PrintReport(const QString &owner) {
    const Reports::Info *report = Reports::info(appState().editorKind);
    if (!report)
        return {};
    const QString folder =
        Reports::reportFolder(appState().currentSetFolder, appState().programFolder);
    const QString path = folder + u'/' + report->fileName;
    try {
        Reports::writeReportFile(
            path, Reports::reportText(report->kind, appState().set, report->titlePrefix + owner));
    } catch (const StoreError &error) {
        // The report is written whole or not at all, so there is nothing to show.
        appState().prompter().tell(QStringLiteral("There was an error completing the ") +
                                       report->reportName + QStringLiteral(".") + u'\r' +
                                       error.description(),
                                   QStringLiteral("Report Error"), Prompter::Icon::Exclamation);
        return {};
    }
    ShowReport(path);
    return path;
}

void ShowReport(const QString &path) {
    if (viewer())
        viewer()(path);
}

void setViewer(Viewer v) {
    viewer() = std::move(v);
}

void runReportCommand(PlanWindow &window, int kind) {
    BusyPointer busy(appState().prompter());
    appState().editorKind = kind;
    if (CheckSavedForPrint(window))
        PrintReport(window.planName());
}

} // namespace PrintMod
