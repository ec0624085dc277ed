// Placeholder until saving lands: every command reports that nothing was saved.
#include "saving.h"

#include "appstate.h"
#include "planview.h"

namespace Saving {

static bool notYet() {
    appState().prompter().tell(QStringLiteral("Saving is not available in this version."),
                               QStringLiteral("Vowline Desktop"), Prompter::Icon::Information);
    return false;
}

bool saveToFolder(PlanWindow &) {
    return notYet();
}

bool saveAs(PlanWindow &) {
    return notYet();
}

bool installForHotSync(PlanWindow &) {
    return notYet();
}

void installHandheldApplication() {
    notYet();
}

void sortListsByName(PlanView &) {
}

void stampSet(PlanSet &) {
}

} // namespace Saving
