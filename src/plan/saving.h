#pragma once

#include <QString>

class AppState;
class Plan;
class PlanEdit;
class PlanSet;

// What a save asks of the window it was started from: the Palm-user box, and what the window
// holds for the details record outside the plan (the seating tab's two setup boxes).
class SaveHost {
public:
    virtual ~SaveHost() = default;
    virtual bool palmUserBoxEnabled() const = 0;
    virtual QString palmUserBoxText() const = 0;
    // Writes the setup boxes into the details record; the save has just made sure it exists.
    virtual void storeDetails(PlanEdit &edit) = 0;
};

// Writing a plan out: to its folder (or the Palm user's folder under Users/), to a folder the
// user picks, and to the HotSync install queue. Prompts go through the state's prompter, files
// through its sink.
namespace Saving {

// "Save to File". True when the nine files were written.
bool saveToFolder(AppState &state, SaveHost &host);
// "Save As...". True when the nine files were written.
bool saveAs(AppState &state, SaveHost &host);
// "Save & Install": saves, then queues the nine files for the current Palm user. Nothing is
// queued unless the save succeeded. True when the files were saved and queued.
bool installForHotSync(AppState &state, SaveHost &host);
// "Install Vowline on Handheld": queues PalmOS/VowlineInstall.prc.
void installHandheldApplication(AppState &state);
// Sorts the party, guest and vendor databases by name (the first step of every save; not an
// edit of the user's).
void sortListsByName(Plan &plan);
// Creator "Vowl", then type code, then name, on each of the nine databases.
void stampSet(PlanSet &set);

// Whether a user name can name its folder under Users/: not empty, no "/", "\" or control
// character, not "." or "..", no blank at either end.
bool usableUserName(const QString &name);

} // namespace Saving
