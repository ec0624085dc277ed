#pragma once

#include <QString>

class QComboBox;
class QWidget;

// The filter boxes of the main window and their type-ahead.

// Fills the seven filter boxes (found by name under `mainWindow`) from the category lists:
// "All", the names and "Edit..." for the relation, vendor-type and timeframe boxes; the fixed
// entries for the status and payment boxes. Each box ends on its first entry. The boxes send
// no signals while they are filled.
void fillFilterBoxes(QWidget &mainWindow);

// Completes what the user types in the editable `box` with the first category name of `kind`
// ("relation", "vendor" or "time") that begins with it, selecting the completed part. Deleting
// text completes nothing, so that Backspace can shorten what was typed.
void installTypeAhead(QComboBox *box, const QString &kind);
