#pragma once

#include <QString>

class FileSink;
class PlanSet;
class PlanView;
class PlanWindow;

// Writing a plan out: to its folder (or the Palm user's folder under Users/), to a folder the
// user picks, and to the HotSync install queue. Prompts go through appState().prompter().
namespace Saving {

// "Save to File". True when the nine files were written.
bool saveToFolder(PlanWindow &window);
// "Save As...". True when the nine files were written.
bool saveAs(PlanWindow &window);
// "Save & Install": saves, then queues the nine files for the current Palm user. Nothing is
// queued unless the save succeeded. True when the files were saved and queued.
bool installForHotSync(PlanWindow &window);
// "Install Vowline on Handheld": queues PalmOS/VowlineInstall.prc.
void installHandheldApplication();
// Sorts the party, guest and vendor databases by name and refreshes their lists.
void sortListsByName(PlanView &view);
// Creator "Vowl", then type code, then name, on each of the nine databases.
void stampSet(PlanSet &set);

// Whether a user name can name its folder under Users/: not empty, no "/", "\" or control
// character, not "." or "..", no blank at either end.
bool usableUserName(const QString &name);

// Puts `sink` under every save for the guard's lifetime (tests make a chosen step fail).
class ScopedFileSink {
public:
    explicit ScopedFileSink(FileSink &sink);
    ~ScopedFileSink();
    ScopedFileSink(const ScopedFileSink &) = delete;
    ScopedFileSink &operator=(const ScopedFileSink &) = delete;

private:
    FileSink *m_previous;
};

} // namespace Saving
