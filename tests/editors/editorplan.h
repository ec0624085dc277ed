#pragma once

#include "plan/appstate.h"
#include "plan/formcontext.h"
#include "support/guitest.h"

#include <QUndoStack>
#include <functional>

// The editors' start: a fresh default plan with the scripted prompter installed, and no
// window. `prepare` may change the set before it opens.
class EditorPlan {
public:
    using Values = QList<QPair<QString, FieldValue>>;

    explicit EditorPlan(const std::function<void(PlanSet &)> &prepare = {}) {
        appState().setPrompter(&prompter);
        appState().plan.replace(defaultSet(prepare));
    }
    ~EditorPlan() { appState().setPrompter(nullptr); }

    static PlanSet defaultSet(const std::function<void(PlanSet &)> &prepare = {}) {
        PlanSet set;
        buildDefaultSet(set, appState().server(), appState().programFolder, appState().prompter());
        if (prepare)
            prepare(set);
        return set;
    }

    FormContext forms() { return {appState().plan, prompter, appState().contacts()}; }
    static PalmDatabase &db(Schema::DbId id) { return appState().plan.db(id); }
    static int steps() { return appState().plan.history().count(); }
    static bool modified() { return appState().plan.isModified(); }

    // Appends a record holding exactly these fields (not a step: the plan as loaded).
    static Record &add(Schema::DbId id, const Values &values) {
        PalmDatabase &d = db(id);
        Record &r = d.records().add();
        for (const auto &[code, value] : values)
            d.write(r, FieldCode(code), value,
                    value.type() == FieldValue::Type::Boolean ? FieldKind::Boolean
                                                              : FieldKind::Text);
        return r;
    }

    TestProgramFolder program; // first: it starts the program state afresh
    ScriptedPrompter prompter;
};
