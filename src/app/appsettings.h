#pragma once

#include <QString>

class frmMain;
class Prompter;

// The window's place and size, the column widths of the seven lists and the last folder, kept
// in the per-user settings store (sections "Settings" and "Files"), all sizes in twips.
namespace AppSettings {

// Looks at what stands where the settings store keeps its file before Qt first opens it: a
// named pipe there would hang the program inside QSettings before any window shows, and a
// folder or a broken link is no settings file either. Anything but a regular file (or nothing)
// is reported through `prompter`, and this run keeps its settings in a temporary place of its
// own: it starts with the defaults and leaves the odd file as it is. False in that case.
// main() calls it before anything reads a setting.
bool checkSettingsFile(Prompter &prompter);

void loadWindowSettings(frmMain &window);
// Place and size are not written while the window is minimized; the rest always is.
void saveWindowSettings(frmMain &window);
// "File1": the folder of the plan last opened from or saved to a local folder.
QString lastFolder();
// Whether the user asked not to be told again at start that no handheld was found.
bool noPalmNoticeHidden();
void hideNoPalmNotice();

} // namespace AppSettings
