#pragma once

#include <QString>

class frmMain;

// The window's place and size, the column widths of the seven lists and the last folder, kept
// in the per-user settings store (sections "Settings" and "Files"), all sizes in twips.
namespace AppSettings {

void loadWindowSettings(frmMain &window);
// Place and size are not written while the window is minimized; the rest always is.
void saveWindowSettings(frmMain &window);
// "File1": the folder of the plan last opened from or saved to a local folder.
QString lastFolder();

} // namespace AppSettings
