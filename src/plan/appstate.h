#pragma once

#include "contacts/vcard.h"
#include "plan.h"
#include "store/prompter.h"
#include "store/setwriter.h"
#include "store/tb4server.h"

#include <QObject>
#include <functional>
#include <memory>

// What is truly program-wide: the Palm database component, the program folder, the Palm users
// and which one the open plan belongs to, where the plan came from, the open plan itself, and
// the outside world the commands talk to (the prompter, the disk, the HTML viewer). Forms never
// reach it: the window hands each form what it works on.
class AppState : public QObject {
    Q_OBJECT
public:
    // Which kind of plan is open: one opened or saved by the user, or a new one from the
    // defaults.
    enum class PlanKind { User, Default };

    static const QString kUserDatabase;
    static const QString kUserDatabaseModified;
    static const QString kDefaultDatabase;
    static const QString kDefaultDatabaseModified;

    AppState();
    ~AppState() override;

    TB4Server &server() { return *m_server; }
    // Tests put a component in whose reading fails on purpose.
    void setServer(std::unique_ptr<TB4Server> server) { m_server = std::move(server); }

    Plan plan;

    // The folder of the program: defaults/, PalmOS/, the help pages and (when writable) Users/.
    QString programFolder;
    // The Palm user the open plan belongs to; empty for none. The window's caption shows it.
    const QString &currentPalmUser() const { return m_palmUser; }
    void setCurrentPalmUser(const QString &user);
    QString lastHotSyncUser;
    QStringList palmUsers;
    QString currentSetFolder;

    // The kind of the open plan and, with the plan's modified flag, panel 1 of the status bar.
    PlanKind planKind() const { return m_kind; }
    void setPlanKind(PlanKind kind);
    QString statusText() const;
    // What the status bar tells the user: the open plan by its name (or its folder) and
    // whether it has unsaved changes ("Romeo & Juliet — unsaved changes").
    QString statusLine() const;
    // After a load or New: the plan as loaded, nothing unsaved.
    void markPlanSaved(PlanKind kind);

    // Every message, question and file dialog goes through this prompter (the window's real
    // dialogs, or a test's script).
    Prompter &prompter();
    void setPrompter(Prompter *prompter) { m_prompter = prompter; }

    // Every file a save or a queue writes goes through this sink (tests make a step fail).
    FileSink &fileSink() { return m_sink ? *m_sink : m_disk; }
    void setFileSink(FileSink *sink) { m_sink = sink; }

    // Where contacts are imported from (the user's address book unless a test puts another).
    ContactSource &contacts() { return m_contacts ? *m_contacts : m_addressBook; }
    void setContacts(ContactSource *source) { m_contacts = source; }

    // Hands a written report to the desktop's HTML viewer; without one nothing is opened.
    using Viewer = std::function<void(const QString &path)>;
    void setViewer(Viewer viewer) { m_viewer = std::move(viewer); }
    void show(const QString &path) const;

    QString defaultsFolder() const;
    // Where per-user plan folders go: Users/ in the program folder when it can be written,
    // else in the user's data folder.
    QString usersFolder() const;

signals:
    // Panel 1 of the status bar changed.
    void statusTextChanged(const QString &text);
    void currentPalmUserChanged(const QString &user);

private:
    QString m_palmUser;
    std::unique_ptr<TB4Server> m_server;
    PlanKind m_kind = PlanKind::Default;
    Prompter *m_prompter = nullptr;
    FileSink m_disk;
    FileSink *m_sink = nullptr;
    Viewer m_viewer;
    AddressBookSource m_addressBook;
    ContactSource *m_contacts = nullptr;
};

// The program's one instance, made by the entry procedure (or a test) and reached only by the
// application layer.
AppState &appState();
// Starts the program-wide state afresh (each test case starts from a clean program).
void resetAppState();
