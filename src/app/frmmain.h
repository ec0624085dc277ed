#pragma once

#include "plan/formcontext.h"
#include "plan/saving.h"
#include "views/tabhost.h"

#include <QMainWindow>
#include <optional>

class AppState;
struct PlanFocus;
class BudgetTab;
class DetailsTab;
class GuestTab;
class ListGrid;
class ListTab;
class PartyTab;
class PaymentsTab;
class QAction;
class QComboBox;
class QLabel;
class QTabWidget;
class QTimer;
class QToolBar;
class SeatingTab;
class TasksTab;
class VendorsTab;

// The main window: the eight tabs of the plan with their lists, the menus, the toolbar, the
// status bar and the Palm-user box. It hands each tab the plan and the prompter; the tabs
// follow the plan's changes themselves.
class frmMain : public QMainWindow, public TabHost, public SaveHost {
    Q_OBJECT
public:
    explicit frmMain(AppState &state, QWidget *parent = nullptr);
    ~frmMain() override;

    AppState &state() { return m_state; }
    // True from start-up until the first activation has been handled.
    bool loading() const { return m_loading; }

    // The entry procedure after the window exists: reads the Palm users, builds the default
    // plan and shows the window.
    void StartUp();
    // The first activation: the start dialog and the plan chosen there.
    void FirstActivation();
    // A plan named on the command line: opened at the first activation instead of asking.
    void openAtStart(const QString &path) { m_planAtStart = path; }

    // Shows the open plan's Palm user in the caption.
    void RefreshCaption();

    QTabWidget *mainTab() const { return m_tabs; }
    void showTab(Tab tab) override;
    void editCategoryList(CategoryKind list) override;
    DetailsTab *details() const { return m_details; }
    PartyTab *party() const { return m_party; }
    GuestTab *guests() const { return m_guests; }
    VendorsTab *vendors() const { return m_vendors; }
    SeatingTab *seating() const { return m_seating; }
    TasksTab *tasks() const { return m_tasks; }
    PaymentsTab *payments() const { return m_payments; }
    BudgetTab *budget() const { return m_budget; }
    // The seven lists, in the order of their settings keys.
    QList<ListGrid *> grids() const;
    QComboBox *palmUserBox() const { return m_users; }
    QToolBar *toolBar() const { return m_toolBar; }
    // Toolbar positions 1 to 14, separators included.
    QAction *toolbarButton(int position) const;
    // The plan's kind and state, as the status bar's words are chosen from.
    QString statusText() const;

    // What a save asks of the window.
    bool palmUserBoxEnabled() const override;
    QString palmUserBoxText() const override;
    void storeDetails(PlanEdit &edit) override;

    // The save question before a plan is replaced; false when the command must stop.
    // `palmUser` chooses between saving and installing.
    bool SavePrompt(bool palmUser);

    // File menu.
    bool NewPlan();
    void OpenPlan();
    void ClosePlan();
    void OpenHotSyncFiles();
    void SaveToFile();
    void SaveAndInstall();
    void SaveAs();

    // Options menu.
    void sortParty();
    void sortGuests();
    void sortVendors();

    // Toolbar button 12: the gifts view and back.
    void toggleGiftView();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void buildTabs();
    void setToolbarShown(bool shown);
    void setStatusBarShown(bool shown);
    void editCommand(int which);
    void openProgramFile(const QString &fileName);
    void showAbout();
    void showGiftButtonFor(bool giftsShown);
    // After an undo or redo: the page that shows the change, with its record selected.
    void reveal(const PlanFocus &focus);
    void palmUserPicked(int index);
    void restorePalmUserBox();
    void hidePalmUserBox();
    // Without Palm users the HotSync commands explain what they need instead; true then.
    bool needsPalmUser(const QString &command);
    // Every filter box back on its first entry, and the lists with them.
    void fillFilterBoxes();
    // The open plan was replaced: filter boxes, details, and for a loaded plan a word when it
    // has no details.
    void planReplaced(bool loaded);
    // Builds a new plan from the defaults folder.
    void buildDefaultPlan();
    // Opens the set in `folder`; false (and the open plan kept) when the load failed.
    bool loadFolder(const QString &folder);
    bool loadForPalmUser(const QString &user);
    void openPlanAtStart(const QString &path);
    ListTab *currentListTab() const;

    AppState &m_state;
    const FormContext m_forms;
    QTabWidget *m_tabs = nullptr;
    DetailsTab *m_details = nullptr;
    PartyTab *m_party = nullptr;
    GuestTab *m_guests = nullptr;
    VendorsTab *m_vendors = nullptr;
    SeatingTab *m_seating = nullptr;
    TasksTab *m_tasks = nullptr;
    PaymentsTab *m_payments = nullptr;
    BudgetTab *m_budget = nullptr;
    QToolBar *m_toolBar = nullptr;
    QComboBox *m_users = nullptr;
    QLabel *m_usersLabel = nullptr;
    QWidget *m_usersCorner = nullptr;
    QAction *m_usersInToolBar = nullptr;
    QLabel *m_statusText = nullptr;
    QLabel *m_date = nullptr;
    QLabel *m_time = nullptr;
    QTimer *m_clock = nullptr;
    QAction *m_viewToolbar = nullptr;
    QAction *m_viewStatusBar = nullptr;
    bool m_activated = false;
    // From start-up until the first activation has been handled (and during Open HotSync
    // Files): a change of the Palm-user box then neither asks nor loads.
    bool m_loading = false;
    std::optional<QString> m_planAtStart;
    // The toolbar's end, where the Palm-user box begins.
    QAction *m_toolbarEnd = nullptr;
    // No Palm user was found at start: the Palm-user box stays hidden.
    bool m_noPalmUsers = false;
};
