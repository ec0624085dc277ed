#pragma once

#include "store/planedit.h"

#include <QObject>
#include <QUndoStack>
#include <functional>

// The open wedding plan as the program edits it: the nine databases, the one road every change
// of them takes, the undo history of those changes and whether the plan has unsaved changes.
//
// A change is made through a PlanEdit inside apply(), which records it as one step of the
// history ("Delete Guest Anna Kowalski"); undoing and redoing replay the step. Every change,
// and every load that replaces the whole set, is announced, so that the views follow whatever
// made it: a form, an undo, an import.
class Plan : public QObject {
    Q_OBJECT
public:
    // How a step counts.
    struct StepOptions {
        // False for a reordering only (the menu sorts): it is undone like any step, but leaves
        // the plan as saved as it found it.
        bool marksModified = true;
        // Steps with the same non-empty key that follow each other become one step (typing
        // in one box); a new key starts a new step.
        QString mergeKey;
    };

    explicit Plan(QObject *parent = nullptr);
    ~Plan() override;

    PlanSet &set() { return m_set; }
    const PlanSet &set() const { return m_set; }
    bool isOpen() const { return m_set.isOpen(); }
    PalmDatabase &db(Schema::DbId id) { return m_set.db(id); }
    const PalmDatabase &db(Schema::DbId id) const { return m_set.db(id); }

    // One step of the user's, named `text`. `change` makes it through the edit; when it throws,
    // whatever it changed is taken back and the error goes on to the caller. False when the
    // step changed nothing (no step is kept then).
    bool apply(const QString &text, const std::function<void(PlanEdit &)> &change,
               const StepOptions &options);
    bool apply(const QString &text, const std::function<void(PlanEdit &)> &change) {
        return apply(text, change, StepOptions());
    }
    // A correction the program makes by itself (a table recounted when chosen, the plan's name
    // stamped into every record before a save): announced, but no step of the history and no
    // unsaved change.
    void applyQuietly(const std::function<void(PlanEdit &)> &change);

    QUndoStack &history() { return m_history; }

    // True while the plan differs from what was last loaded or saved.
    bool isModified() const { return m_modified; }
    // The plan changed hands (another Palm user): unsaved, though no record changed.
    void markModified();
    // What is in memory is now what is on disk.
    void markSaved();

    // After a load or New: `fresh` becomes the open set, with an empty history and nothing
    // unsaved. Announced as a reset.
    void replace(PlanSet &&fresh);
    // Drops the open set (before the program ends).
    void release();

signals:
    void modifiedChanged(bool modified);
    // Records of the open set changed (by a step, its undo or redo, or a correction).
    void changed(const PlanChange &change);
    // The whole set was replaced.
    void reset();
    // A step was undone or made again; the window shows where.
    void revisited(const PlanFocus &focus);

private:
    friend class PlanStep;
    void announce(const PlanChange &change);
    void updateModified();

    PlanSet m_set;
    QUndoStack m_history;
    bool m_modified = false;
    bool m_handedOver = false; // modified though the history says otherwise
};
