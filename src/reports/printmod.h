#pragma once

#include <QString>
#include <functional>

class PlanWindow;

// The Reports menu: the save question before printing, writing the report of the editor kind
// and handing it to the desktop's HTML viewer. Messages go through appState().prompter().
namespace PrintMod {

// True when the report may be written: no unsaved changes, or the user chose to save (even
// when that save did not complete, as the report shows what is in memory).
bool CheckSavedForPrint(PlanWindow &window);

// Writes the report of appState().editorKind titled for `owner` and shows it. Reports a
// failure to write; other editor kinds do nothing. Returns the report's path, or empty.
QString PrintReport(const QString &owner);

// Hands the file to the viewer and does not wait for it.
void ShowReport(const QString &path);

// The viewer ShowReport uses: the window installs the desktop's default HTML viewer; tests
// record the path. Without one, nothing is opened.
using Viewer = std::function<void(const QString &path)>;
void setViewer(Viewer viewer);

// One menu command: busy pointer, editor kind, save question, report.
void runReportCommand(PlanWindow &window, int kind);

} // namespace PrintMod
