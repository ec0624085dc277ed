#pragma once

#include "reports/reports.h"

#include <QString>

class AppState;
class SaveHost;

// The Reports menu: the save question before printing, writing the report and handing it to
// the desktop's HTML viewer.
namespace PrintMod {

// True when the report may be written: no unsaved changes, or the user chose to save (even
// when that save did not complete, as the report shows what is in memory).
bool CheckSavedForPrint(AppState &state, SaveHost &host);

// Writes the report of `kind` titled for `owner` and shows it. Reports a failure to write.
// Returns the report's path, or empty.
QString PrintReport(AppState &state, Reports::Kind kind, const QString &owner);

// One menu command: busy pointer, save question, report.
void runReportCommand(AppState &state, SaveHost &host, Reports::Kind kind);

} // namespace PrintMod
