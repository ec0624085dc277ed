#include "plan.h"

#include <QUndoCommand>

namespace {

// Steps kept for undoing; the oldest go first. A step keeps only the values it changed, so a
// thousand steps of single edits stay small.
constexpr int kHistoryLimit = 1000;

} // namespace

// One step of the history: a PlanEdit, already made when it is pushed.
class PlanStep : public QUndoCommand {
public:
    PlanStep(Plan &plan, const QString &text, PlanEdit &&edit, const Plan::StepOptions &options)
        : QUndoCommand(text)
        , m_plan(plan)
        , m_edit(std::move(edit))
        , m_marks(options.marksModified)
        , m_mergeKey(options.mergeKey) {}

    void redo() override {
        // The first redo comes from the push, after the edit was made.
        const bool again = !std::exchange(m_made, false);
        if (again)
            m_edit.redo();
        m_plan.announce(m_edit.change());
        if (again)
            emit m_plan.revisited(m_edit.focus());
    }
    void undo() override {
        m_edit.undo();
        m_plan.announce(m_edit.change());
        emit m_plan.revisited(m_edit.focus());
    }
    int id() const override { return m_mergeKey.isEmpty() ? -1 : 1; }
    bool mergeWith(const QUndoCommand *other) override {
        const auto *next = static_cast<const PlanStep *>(other);
        if (next->m_mergeKey != m_mergeKey)
            return false;
        // The later step has already been made; this one takes over its change.
        if (!m_edit.absorb(std::move(const_cast<PlanStep *>(next)->m_edit)))
            return false;
        setObsolete(m_edit.changesNothing());
        return true;
    }
    bool marksModified() const { return m_marks; }

private:
    Plan &m_plan;
    PlanEdit m_edit;
    bool m_made = true;
    bool m_marks;
    QString m_mergeKey;
};

Plan::Plan(QObject *parent)
    : QObject(parent) {
    m_history.setUndoLimit(kHistoryLimit);
    connect(&m_history, &QUndoStack::indexChanged, this, &Plan::updateModified);
    connect(&m_history, &QUndoStack::cleanChanged, this, &Plan::updateModified);
}

Plan::~Plan() {
    // The steps refer to records of the set: they go first.
    m_history.clear();
}

bool Plan::apply(const QString &text, const std::function<void(PlanEdit &)> &change,
                 const StepOptions &options) {
    PlanEdit edit(m_set);
    try {
        change(edit);
    } catch (...) {
        // Half a step is no step: what was changed is taken back before the error is told.
        edit.undo();
        announce(edit.change());
        throw;
    }
    if (edit.isEmpty())
        return false;
    m_history.push(new PlanStep(*this, text, std::move(edit), options));
    return true;
}

void Plan::applyQuietly(const std::function<void(PlanEdit &)> &change) {
    PlanEdit edit(m_set);
    try {
        change(edit);
    } catch (...) {
        announce(edit.change());
        throw;
    }
    if (!edit.isEmpty())
        announce(edit.change());
}

void Plan::announce(const PlanChange &change) {
    emit changed(change);
}

void Plan::markModified() {
    m_handedOver = true;
    updateModified();
}

void Plan::markSaved() {
    m_handedOver = false;
    m_history.setClean();
    updateModified();
}

void Plan::updateModified() {
    bool modified = m_handedOver;
    const int clean = m_history.cleanIndex();
    const int index = m_history.index();
    if (!modified && clean < 0) {
        // The saved state fell out of the history: nothing leads back to it.
        modified = true;
    } else if (!modified) {
        for (int i = std::min(clean, index); i < std::max(clean, index) && !modified; ++i)
            modified = static_cast<const PlanStep *>(m_history.command(i))->marksModified();
    }
    if (modified == m_modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

void Plan::replace(PlanSet &&fresh) {
    m_history.clear();
    m_set = std::move(fresh);
    m_handedOver = false;
    m_history.setClean();
    updateModified();
    emit reset();
}

void Plan::release() {
    m_history.clear();
    m_set.release();
}
