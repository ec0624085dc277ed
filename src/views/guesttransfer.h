#pragma once

#include <QStringList>

class QWidget;
class TabHost;
struct FormContext;

// File > Import Guests... and File > Export Guests...: the guest list from and to a
// spreadsheet's CSV file. Every question and message goes through the program's prompter.
namespace GuestTransfer {

// Asks for a file, previews it, and adds the chosen guests (and relations) to the open plan.
// The plan is marked modified, and the lists refreshed, only when guests were added.
void importGuests(QWidget *owner, const FormContext &forms, TabHost &host,
                  const QString &planFolder);

// Asks for the form (every field, or envelope lines for a stationer) and a file, and writes it.
void exportGuests(const FormContext &forms, const QString &planFolder);

// The export's question and its two answers, the forms in that order.
inline const QString kExportQuestion =
    QStringLiteral("Export every field of every guest, to open in a spreadsheet or import "
                   "again, or the envelope lines of the confirmed guests, for a stationer?");
inline QStringList exportForms() {
    return {QStringLiteral("&Every Field"), QStringLiteral("E&nvelope Lines")};
}

} // namespace GuestTransfer
