// Start-up, the Palm users and the File menu of the main window.
#include "appsettings.h"
#include "commandline.h"
#include "frmmain.h"
#include "frmstartup.h"
#include "store/appstate.h"
#include "store/saving.h"
#include "views/detailstab.h"
#include "vowlineapplication.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QToolBar>

namespace {

const QString kOpenFilter = QStringLiteral("Vowline Database Files (*.pdb)|VowlineDB.pdb");

// Builds a new plan from the defaults folder and refreshes the window.
void buildDefaultPlan(frmMain &window) {
    AppState &s = appState();
    s.defaultSet = true;
    refreshPlan(s.set, s.server, s.programFolder, true, window, s.prompter());
    s.defaultSet = false;
}

} // namespace

void frmMain::StartUp() {
    AppState &s = appState();
    s.loading = true;
    bool haveUsers = false;
    try {
        s.lastHotSyncUser = s.server.LastHotSyncUser();
        s.palmUsers = s.server.PalmUserList();
        haveUsers = !s.palmUsers.isEmpty();
    } catch (const StoreError &) {
        haveUsers = false;
    }

    if (!haveUsers) {
        s.palmUsers.clear();
        s.prompter().tell(
            tr("No Palm Device is installed on this computer, or you have not done a HotSync.") +
                u'\r' +
                tr("You must create a new Wedding Database Set to use with Vowline Desktop.  "
                   "Your changes will not be saved on your handheld, but can be saved to a "
                   "local folder."),
            tr("No Palm User"), Prompter::Icon::Exclamation);
        disablePalmOnlyCommands();
        s.currentPalmUser.clear();
        buildDefaultPlan(*this);
        s.markPlanSaved(AppState::PlanKind::Default);
        show();
        return;
    }

    // A combo box selects its first entry by itself: only a name that matches the last
    // HotSync user may be selected, or the plan would quietly go to somebody else's handheld.
    int lastUserIndex = -1;
    for (const QString &user : std::as_const(s.palmUsers)) {
        m_users->addItem(user);
        if (s.lastHotSyncUser.compare(user, Qt::CaseInsensitive) == 0)
            lastUserIndex = m_users->count() - 1;
    }
    m_users->setCurrentIndex(lastUserIndex);
    if (s.lastHotSyncUser.isEmpty()) {
        s.prompter().tell(tr("You have not done a HotSync on this computer. Please select the Palm "
                             "User manually."),
                          tr("Palm Desktop Information"), Prompter::Icon::Information);
    }
    s.currentPalmUser = m_users->currentText();
    buildDefaultPlan(*this);
    s.markPlanSaved(AppState::PlanKind::User);
    show();
}

void frmMain::disablePalmOnlyCommands() {
    m_users->setEnabled(false);
    for (const char *name : {"mnuFileSaveAll", "mnuFileHotSync", "mnuOptionsInstall"}) {
        if (auto *action = findChild<QAction *>(QString::fromLatin1(name)))
            action->setEnabled(false);
    }
    QAction *saveInstall = toolbarButton(4);
    saveInstall->setEnabled(false);
    saveInstall->setToolTip(QString());
}

void frmMain::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (!m_activated && appState().loading) {
        m_activated = true;
        // After the window is on screen, as its first activation.
        QTimer::singleShot(0, this, &frmMain::FirstActivation);
    }
}

void frmMain::FirstActivation() {
    AppState &s = appState();
    if (!s.loading)
        return;
    m_activated = true;
    s.noUsers = m_users->count() == 0;
    if (m_planAtStart) {
        openPlanAtStart(*m_planAtStart);
        s.loading = false;
        return;
    }
    {
        frmStartup start(this);
        start.exec();
    }
    switch (s.startChoice) {
    case 1: {
        const QString last = AppSettings::lastFolder();
        if (loadFolder(last))
            s.currentSetFolder = last;
        break;
    }
    case 2:
        OpenHotSyncFiles();
        break;
    default:
        break; // the default plan stays
    }
    s.loading = false;
}

void frmMain::openPlanAtStart(const QString &path) {
    AppState &s = appState();
    QString problem;
    const QString folder = CommandLine::planFolderOf(path, &problem);
    if (folder.isEmpty()) {
        s.prompter().tell(tr("The wedding plan %1 could not be opened.  %2  Vowline Desktop "
                             "starts with a new plan instead.")
                              .arg(QDir::toNativeSeparators(path), problem),
                          kProgramTitle, Prompter::Icon::Exclamation);
        return;
    }
    if (loadFolder(folder))
        s.currentSetFolder = folder;
}

bool frmMain::loadFolder(const QString &folder) {
    AppState &s = appState();
    // The load builds a new set and replaces the open one only when it is complete, so a load
    // that fails midway (out of memory) leaves the open plan as it was.
    try {
        loadSetFromFolder(s.set, s.server, folder, s.programFolder, s.prompter());
    } catch (const std::exception &error) {
        reportUnexpected(error);
        return false;
    }
    refreshPlan(s.set, s.server, s.programFolder, false, *this, s.prompter());
    s.markPlanSaved(AppState::PlanKind::User);
    return true;
}

bool frmMain::SavePrompt(bool palmUser) {
    AppState &s = appState();
    if (!s.changed)
        return true;
    const QString text =
        palmUser
            ? tr("The current Wedding Plan has been modified.  Do you want to save and install "
                 "your changes?")
            : tr("The current Wedding Plan has been modified.  Do you want to save your changes?");
    switch (s.prompter().message(text, tr("Save Changes?"), Prompter::Icon::Exclamation,
                                 Prompter::Buttons::YesNoCancel)) {
    case Prompter::Answer::Yes:
        // Going on after a save that did not happen would drop the changes: stop instead.
        return palmUser ? Saving::installForHotSync(*this) : Saving::saveToFolder(*this);
    case Prompter::Answer::No:
        return true;
    default:
        return false;
    }
}

bool frmMain::NewPlan() {
    AppState &s = appState();
    BusyPointer busy(s.prompter());
    if (!SavePrompt(!s.currentPalmUser.isEmpty()))
        return false;
    s.set.release();
    s.currentSetFolder.clear();
    s.currentPalmUser = m_users->currentText();
    m_details->ClearDetails();
    buildDefaultPlan(*this);
    s.markPlanSaved(AppState::PlanKind::Default);
    return true;
}

void frmMain::OpenPlan() {
    AppState &s = appState();
    if (!SavePrompt(!s.currentPalmUser.isEmpty()))
        return;
    const auto chosen = s.prompter().openFile(tr("Open"), s.programFolder, kOpenFilter);
    if (!chosen || chosen->trimmed().isEmpty())
        return;
    // The folder of the chosen file: the plan's nine files live side by side.
    const QString folder = QFileInfo(chosen->trimmed()).absolutePath();
    if (loadFolder(folder))
        s.currentSetFolder = folder;
}

void frmMain::ClosePlan() {
    // Only when the plan was really replaced: a cancelled save question keeps it whole.
    if (!NewPlan())
        return;
    try {
        appState().set.db(Schema::DbId::Tasks).records().removeAll();
    } catch (const StoreError &) {
    }
    UpdateTasks();
}

void frmMain::OpenHotSyncFiles() {
    AppState &s = appState();
    if (!SavePrompt(!s.currentPalmUser.isEmpty()))
        return;
    const QString user = m_users->currentText();
    s.loading = true;
    try {
        loadSetForPalmUser(s.set, s.server, user, s.programFolder, s.prompter());
    } catch (const std::exception &error) {
        s.loading = false;
        reportUnexpected(error); // the open plan stays
        return;
    }
    s.currentPalmUser = user;
    s.currentSetFolder.clear();
    refreshPlan(s.set, s.server, s.programFolder, false, *this, s.prompter());
    s.loading = false;
    s.markPlanSaved(AppState::PlanKind::User);
}

void frmMain::SaveToFile() {
    Saving::saveToFolder(*this);
}

void frmMain::SaveAndInstall() {
    // No Palm user chosen (none found, or none selected): there is nobody to install for.
    if (m_users->currentText().isEmpty())
        Saving::saveToFolder(*this);
    else
        Saving::installForHotSync(*this);
}

void frmMain::SaveAs() {
    Saving::saveAs(*this);
}

void frmMain::restorePalmUserBox() {
    m_users->setCurrentIndex(m_users->findText(appState().currentPalmUser));
}

void frmMain::palmUserPicked(int index) {
    AppState &s = appState();
    const QString picked = m_users->itemText(index);
    if (s.loading || picked == s.currentPalmUser)
        return;
    Prompter &ask = s.prompter();
    const auto answer = ask.message(
        tr("Do you want to open the Vowline Databases associated with the new Palm User?"),
        tr("Open New Database?"), Prompter::Icon::Question, Prompter::Buttons::YesNoCancel);
    if (answer == Prompter::Answer::Yes) {
        if (s.changed) {
            const auto save = ask.message(tr("The Current Wedding Plan has been modified.  Do you "
                                             "want to save and install your changes "
                                             "for the current user?"),
                                          tr("Save Changes?"), Prompter::Icon::Exclamation,
                                          Prompter::Buttons::YesNoCancel);
            if (save == Prompter::Answer::Cancel ||
                (save == Prompter::Answer::Yes && !Saving::installForHotSync(*this))) {
                restorePalmUserBox();
                return;
            }
        }
        try {
            loadSetForPalmUser(s.set, s.server, picked, s.programFolder, ask);
        } catch (const std::exception &error) {
            reportUnexpected(error); // the open plan stays
            restorePalmUserBox();
            return;
        }
        s.currentPalmUser = picked;
        s.currentSetFolder.clear();
        refreshPlan(s.set, s.server, s.programFolder, false, *this, ask);
        RefreshCaption();
        s.markPlanSaved(AppState::PlanKind::User);
    } else if (answer == Prompter::Answer::No) {
        s.currentPalmUser = picked;
        RefreshCaption();
        s.changed = true;
        s.setStatusText(AppState::kUserDatabaseModified);
    } else {
        restorePalmUserBox();
    }
}

void frmMain::closeEvent(QCloseEvent *event) {
    AppState &s = appState();
    if (s.changed && !SavePrompt(m_users->count() > 0)) {
        event->ignore();
        return;
    }
    AppSettings::saveWindowSettings(*this);
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible())
            window->close();
    }
    event->accept();
    s.set.release();
}
