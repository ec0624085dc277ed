// Start-up, the Palm users and the File menu of the main window.
#include "appsettings.h"
#include "commandline.h"
#include "frmmain.h"
#include "frmstartup.h"
#include "plan/appstate.h"
#include "plan/saving.h"
#include "rules/taskorder.h"
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

// The tasks in the order of their timeframes, as every load leaves them. Part of the load,
// not an edit: a failure leaves them in the order they were read.
void sortTasks(PlanSet &set) {
    try {
        PlanEdit edit(set);
        TaskOrder::renumberTasks(edit);
        TaskOrder::sortTasks(edit);
    } catch (const StoreError &) {
        // The order is a convenience; the tasks themselves are all there.
    }
}

} // namespace

void frmMain::buildDefaultPlan() {
    AppState &s = m_state;
    PlanSet fresh;
    buildDefaultSet(fresh, s.server(), s.programFolder, s.prompter());
    s.plan.replace(std::move(fresh));
    planReplaced(false);
}

void frmMain::planReplaced(bool loaded) {
    RefreshCaption();
    if (loaded && m_state.plan.db(Schema::DbId::Plan).records().count() == 0) {
        m_state.prompter().tell(
            QStringLiteral("There are currently no Wedding Details associated with this Wedding "
                           "Plan.  If this is a new wedding plan, or your first time to run "
                           "Vowline Desktop, you may ignore this message."),
            QStringLiteral("Vowline Dekstop"), Prompter::Icon::Information);
    }
}

void frmMain::StartUp() {
    AppState &s = m_state;
    m_loading = true;
    bool haveUsers = false;
    try {
        s.lastHotSyncUser = s.server().LastHotSyncUser();
        s.palmUsers = s.server().PalmUserList();
        haveUsers = !s.palmUsers.isEmpty();
    } catch (const StoreError &) {
        // Unreadable Palm settings are no Palm users: the program works with local folders,
        // which the notice below says.
        haveUsers = false;
    }

    if (!haveUsers) {
        s.palmUsers.clear();
        // A couple without a handheld is told once, if they wish, and not when they opened a
        // plan by name.
        if (!m_planAtStart && !AppSettings::noPalmNoticeHidden()) {
            const bool hide = s.prompter().tellWithCheck(
                tr("No Palm Device is installed on this computer, or you have not done a "
                   "HotSync.") +
                    u'\r' +
                    tr("You must create a new Wedding Database Set to use with Vowline Desktop.  "
                       "Your changes will not be saved on your handheld, but can be saved to a "
                       "local folder."),
                tr("No Palm User"), Prompter::Icon::Exclamation, tr("Do not show this again"));
            if (hide)
                AppSettings::hideNoPalmNotice();
        }
        hidePalmUserBox();
        s.setCurrentPalmUser(QString());
        buildDefaultPlan();
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
    s.setCurrentPalmUser(m_users->currentText());
    buildDefaultPlan();
    s.markPlanSaved(AppState::PlanKind::User);
    show();
}

void frmMain::hidePalmUserBox() {
    // An empty box would only puzzle; the HotSync commands stay and say what they need.
    m_noPalmUsers = true;
    m_users->setEnabled(false);
    m_usersInToolBar->setVisible(false);
    m_usersCorner->setVisible(false);
}

bool frmMain::needsPalmUser(const QString &command) {
    if (!m_noPalmUsers)
        return false;
    m_state.prompter().tell(
        tr("%1 works with a Palm handheld, and no Palm user was found on this computer.\r\r"
           "Install Palm Desktop or J-Pilot, do a HotSync with your handheld, and start Vowline "
           "Desktop again.  Until then, Save to File keeps your plan in a folder.")
            .arg(command),
        tr("No Palm User"), Prompter::Icon::Information);
    return true;
}

void frmMain::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (!m_activated && m_loading) {
        m_activated = true;
        // After the window is on screen, as its first activation.
        QTimer::singleShot(0, this, &frmMain::FirstActivation);
    }
}

void frmMain::FirstActivation() {
    AppState &s = m_state;
    if (!m_loading)
        return;
    m_activated = true;
    if (m_planAtStart) {
        openPlanAtStart(*m_planAtStart);
        m_loading = false;
        return;
    }
    frmStartup::Choice choice;
    {
        frmStartup start(AppSettings::lastFolder().trimmed(), m_users->count() == 0,
                         s.currentPalmUser(), this);
        start.exec();
        choice = start.choice();
    }
    switch (choice) {
    case frmStartup::Choice::LastFile: {
        const QString last = AppSettings::lastFolder();
        if (loadFolder(last))
            s.currentSetFolder = last;
        break;
    }
    case frmStartup::Choice::HotSync:
        OpenHotSyncFiles();
        break;
    case frmStartup::Choice::NewPlan:
        break; // the default plan stays
    }
    m_loading = false;
}

void frmMain::openPlanAtStart(const QString &path) {
    AppState &s = m_state;
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
    AppState &s = m_state;
    // The load builds a new set and replaces the open one only when it is complete, so a load
    // that fails midway (out of memory) leaves the open plan as it was.
    PlanSet fresh;
    try {
        loadSetFromFolder(fresh, s.server(), folder, s.programFolder, s.prompter());
        sortTasks(fresh);
    } catch (const std::exception &error) {
        reportUnexpected(error);
        return false;
    }
    s.plan.replace(std::move(fresh));
    planReplaced(true);
    s.markPlanSaved(AppState::PlanKind::User);
    return true;
}

bool frmMain::loadForPalmUser(const QString &user) {
    AppState &s = m_state;
    PlanSet fresh;
    try {
        loadSetForPalmUser(fresh, s.server(), user, s.programFolder, s.prompter());
        sortTasks(fresh);
    } catch (const std::exception &error) {
        reportUnexpected(error); // the open plan stays
        return false;
    }
    s.setCurrentPalmUser(user);
    s.currentSetFolder.clear();
    s.plan.replace(std::move(fresh));
    planReplaced(true);
    s.markPlanSaved(AppState::PlanKind::User);
    return true;
}

bool frmMain::SavePrompt(bool palmUser) {
    AppState &s = m_state;
    if (!s.plan.isModified())
        return true;
    const QString text =
        palmUser
            ? tr("The current Wedding Plan has been modified.  Do you want to save and install "
                 "your changes?")
            : tr("The current Wedding Plan has been modified.  Do you want to save your changes?");
    switch (s.prompter().message(text, tr("Save Changes?"), Prompter::Icon::Question,
                                 Prompter::Buttons::YesNoCancel)) {
    case Prompter::Answer::Yes:
        // Going on after a save that did not happen would drop the changes: stop instead.
        return palmUser ? Saving::installForHotSync(s, *this) : Saving::saveToFolder(s, *this);
    case Prompter::Answer::No:
        return true;
    default:
        return false;
    }
}

bool frmMain::NewPlan() {
    AppState &s = m_state;
    BusyPointer busy(s.prompter());
    if (!SavePrompt(!s.currentPalmUser().isEmpty()))
        return false;
    s.currentSetFolder.clear();
    s.setCurrentPalmUser(m_users->currentText());
    m_details->ClearDetails();
    buildDefaultPlan();
    s.markPlanSaved(AppState::PlanKind::Default);
    return true;
}

void frmMain::OpenPlan() {
    AppState &s = m_state;
    if (!SavePrompt(!s.currentPalmUser().isEmpty()))
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
    // The closed plan leaves no starter tasks behind: part of the new plan, not an edit.
    m_state.plan.applyQuietly([](PlanEdit &edit) { edit.removeAllRecords(Schema::DbId::Tasks); });
}

void frmMain::OpenHotSyncFiles() {
    AppState &s = m_state;
    if (needsPalmUser(tr("Open HotSync Files")))
        return;
    if (!SavePrompt(!s.currentPalmUser().isEmpty()))
        return;
    const bool wasLoading = std::exchange(m_loading, true);
    loadForPalmUser(m_users->currentText());
    m_loading = wasLoading;
}

void frmMain::SaveToFile() {
    Saving::saveToFolder(m_state, *this);
}

void frmMain::SaveAndInstall() {
    if (needsPalmUser(tr("Save & Install")))
        return;
    // No Palm user chosen (none found, or none selected): there is nobody to install for.
    if (m_users->currentText().isEmpty())
        Saving::saveToFolder(m_state, *this);
    else
        Saving::installForHotSync(m_state, *this);
}

void frmMain::SaveAs() {
    Saving::saveAs(m_state, *this);
}

void frmMain::restorePalmUserBox() {
    m_users->setCurrentIndex(m_users->findText(m_state.currentPalmUser()));
}

void frmMain::palmUserPicked(int index) {
    AppState &s = m_state;
    const QString picked = m_users->itemText(index);
    if (m_loading || picked == s.currentPalmUser())
        return;
    Prompter &ask = s.prompter();
    const auto answer = ask.message(
        tr("Do you want to open the Vowline Databases associated with the new Palm User?"),
        tr("Open New Database?"), Prompter::Icon::Question, Prompter::Buttons::YesNoCancel);
    if (answer == Prompter::Answer::Yes) {
        if (s.plan.isModified()) {
            const auto save = ask.message(tr("The Current Wedding Plan has been modified.  Do you "
                                             "want to save and install your changes "
                                             "for the current user?"),
                                          tr("Save Changes?"), Prompter::Icon::Question,
                                          Prompter::Buttons::YesNoCancel);
            if (save == Prompter::Answer::Cancel ||
                (save == Prompter::Answer::Yes && !Saving::installForHotSync(s, *this))) {
                restorePalmUserBox();
                return;
            }
        }
        if (!loadForPalmUser(picked))
            restorePalmUserBox();
    } else if (answer == Prompter::Answer::No) {
        // The plan stays and changes hands: unsaved, though no record changed.
        s.setCurrentPalmUser(picked);
        s.setPlanKind(AppState::PlanKind::User);
        s.plan.markModified();
    } else {
        restorePalmUserBox();
    }
}

void frmMain::closeEvent(QCloseEvent *event) {
    AppState &s = m_state;
    if (s.plan.isModified() && !SavePrompt(m_users->count() > 0)) {
        event->ignore();
        return;
    }
    AppSettings::saveWindowSettings(*this);
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible())
            window->close();
    }
    event->accept();
    s.plan.release();
}
