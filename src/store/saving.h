#pragma once

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

} // namespace Saving
