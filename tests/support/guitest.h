#pragma once

#include "store/schema.h"
#include "support/scriptedprompter.h"
#include "support/testenv.h"

#include <QDialog>
#include <QTest>
#include <functional>
#include <memory>

class frmMain;
class ListGrid;
class QComboBox;

// Runs `handle` on the next modal dialog named `objectName` once it is shown (modal dialogs
// block in exec(), so the test reaches them from the event loop). Fails the test when no such
// dialog appears within `timeoutMs`. Calls queue up: each handles one dialog, in order.
// A check that fails in `handle`, or an exception from it, fails the test and rejects every
// open modal dialog (and any that opens later in the same test function), so that exec()
// returns and the test ends instead of hanging.
void onNextModal(const QString &objectName, std::function<void(QDialog *)> handle,
                 int timeoutMs = 5000);
// True when every handler queued by onNextModal has run.
bool modalHandlersDone();
// Closes the dialog by its OK or Cancel button (found by name).
void clickButton(QWidget *parent, const QString &buttonName);
// Picks `text` in a filter box as the user does: from its list, or typed into an editable box.
void choose(QComboBox *box, const QString &text);

// The control `name` under `parent`. Every form has its controls, so a missing one ends the run.
template <class T> T *child(const QObject *parent, const char *name) {
    T *found = parent->findChild<T *>(QLatin1StringView(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// Numbers and dates read as in the United States while it lives.
struct UsLocale {
    const QLocale saved;
    UsLocale() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    ~UsLocale() { QLocale::setDefault(saved); }
};

// A main window over a fresh program state: a throw-away program folder with the defaults,
// the scripted prompter installed, and no Palm users unless `palmUsers` are given.
class MainWindowFixture {
public:
    explicit MainWindowFixture(const QStringList &palmUsers = {}, const QString &lastUser = {});
    ~MainWindowFixture();

    frmMain &window() { return *m_window; }
    ScriptedPrompter &prompter() { return m_prompter; }
    QString programFolder() const { return m_program.path(); }
    QString palmRoot() const { return m_palm.path(); }
    // Builds the window (Window load); StartUp() is the test's to call.
    frmMain &create();
    // Starts the window (built if need be) the way the program does, leaving the start dialog by
    // the picture `choice` ("picNew", "picLast", "picHotSync").
    void startUp(const char *choice = "picNew");
    // The notice of a start without Palm users; `hideNextTime` ticks "Do not show this again".
    void expectNoPalmUser(bool hideNextTime = false);

    template <class T> T *find(const QString &name);
    // Runs the menu command (or toolbar action) of that name.
    void trigger(const char *action);

private:
    TestProgramFolder m_program;
    QTemporaryDir m_palm;
    ScriptedPrompter m_prompter;
    std::unique_ptr<frmMain> m_window;
};

// The tab tests' start: a main window over a fresh default plan, as a new plan opens. A test
// adds its records, then calls planSaved() so that only its own steps count as edits.
class TabTestWindow {
public:
    TabTestWindow();
    frmMain &window() { return m_fixture.window(); }
    ScriptedPrompter &prompter() { return m_fixture.prompter(); }
    MainWindowFixture &fixture() { return m_fixture; }
    void trigger(const char *action) { m_fixture.trigger(action); }
    void planSaved();
    static PalmDatabase &db(Schema::DbId id);
    // A mouse click on the push button of that name.
    void click(const char *button);
    ListGrid &grid(const char *name);
    // Sets controls as the user does, each given as "objectName=text": a filter box (its entry
    // picked, or the text typed) or a text box.
    void set(const QStringList &controls);
    // Opens `row` of `grid` by Enter; `handle` runs in the editor `dialog` that opens.
    void open(ListGrid &grid, int row, const char *dialog, std::function<void(QDialog *)> handle);
    // The texts of one column, data rows only.
    static QStringList column(ListGrid &grid, int col);

private:
    MainWindowFixture m_fixture;
};

template <class T> T *MainWindowFixture::find(const QString &name) {
    return reinterpret_cast<QObject *>(m_window.get())->findChild<T *>(name);
}
