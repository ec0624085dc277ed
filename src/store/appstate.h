#pragma once

#include "planset.h"
#include "prompter.h"

#include <QObject>

// The program-wide state: who the open plan belongs to, where it came from, whether it has
// unsaved changes, what the open dialog works on, and the open set itself. There is one
// instance, reached through appState().
class AppState : public QObject {
    Q_OBJECT
public:
    enum class PlanKind { User, Default };

    static const QString kUserDatabase;
    static const QString kUserDatabaseModified;
    static const QString kDefaultDatabase;
    static const QString kDefaultDatabaseModified;

    AppState();

    TB4Server server;
    PlanSet set;

    // The folder of the program: defaults/, PalmOS/, the help pages and (when writable) Users/.
    QString programFolder;

    QString currentPalmUser;
    QString lastHotSyncUser;
    QStringList palmUsers;
    QString currentSetFolder;
    bool changed = false;
    bool loading = false;
    bool defaultSet = false;
    bool noUsers = false;
    int startChoice = 3;

    // What an editor dialog works on and how it ended.
    int editorKind = 0;
    // The 1-based record number a dialog works on; 0 for none. A whole int, as a database holds
    // up to 65,535 records.
    int selectedRecord = 0;
    bool cancelled = false;
    int categoryKind = 0;
    QString currentTableTag;

    // Panel 1 of the status bar: one of the four texts above.
    const QString &statusText() const { return m_statusText; }
    void setStatusText(const QString &text);
    // Sets the changed flag and turns the status text into its "(modified)" form.
    void markPlanModified();
    // After a load or New: no changes, and the plain status text of that kind.
    void markPlanSaved(PlanKind kind);

    // Every message, question and file dialog goes through this prompter (the window's real
    // dialogs, or a test's script).
    Prompter &prompter();
    void setPrompter(Prompter *prompter) { m_prompter = prompter; }

    QString defaultsFolder() const;
    // Where per-user plan folders go: Users/ in the program folder when it can be written,
    // else in the user's data folder.
    QString usersFolder() const;

signals:
    void statusTextChanged(const QString &text);

private:
    QString m_statusText;
    Prompter *m_prompter = nullptr;
};

// The one instance.
AppState &appState();
// Replaces it with a fresh one (tests start each case from a clean program state).
void resetAppState();
