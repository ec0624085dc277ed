#pragma once

#include "store/planview.h"
#include "views/tabhost.h"

#include <QMainWindow>
#include <optional>

class DetailsTab;
class GuestTab;
class ListGrid;
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

// The main window: the seven tabs of the plan with their lists, the menus, the toolbar, the
// status bar and the Palm-user box. It is the window the plan store refreshes after a load.
class frmMain : public QMainWindow, public PlanWindow, public TabHost {
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // The entry procedure after the window exists: reads the Palm users, builds the default
    // plan and shows the window.
    void StartUp();
    // The first activation: the start dialog and the plan chosen there.
    void FirstActivation();
    // A plan named on the command line: opened at the first activation instead of asking.
    void openAtStart(const QString &path) { m_planAtStart = path; }

    // Refreshes the plan store calls by name.
    void FillFilterBoxes() override;
    void RefreshCaption() override;
    void UpdateDetails() override;
    void UpdatePartyGrid() override;
    void UpdateGuestGrid() override;
    void UpdateTableGrid() override;
    void UpdateSeatingGrid() override;
    void UpdateVendorsGrid() override;
    void UpdateTasks() override;
    void UpdatePayments() override;
    void SortTasks() override;

    // What saving needs.
    QString planName() const override;
    void setPlanName(const QString &name) override;
    void StoreDetails() override;
    void StampOwner() override;
    bool palmUserBoxEnabled() const override;
    QString palmUserBoxText() const override;

    QTabWidget *mainTab() const { return m_tabs; }
    void showTab(Tab tab) override;
    PlanView &planView() override { return *this; }
    void editCategoryList(CategoryList list) override;
    DetailsTab *details() const { return m_details; }
    PartyTab *party() const { return m_party; }
    GuestTab *guests() const { return m_guests; }
    VendorsTab *vendors() const { return m_vendors; }
    SeatingTab *seating() const { return m_seating; }
    TasksTab *tasks() const { return m_tasks; }
    PaymentsTab *payments() const { return m_payments; }
    // The seven lists, in the order of their settings keys.
    QList<ListGrid *> grids() const;
    QComboBox *palmUserBox() const { return m_users; }
    QToolBar *toolBar() const { return m_toolBar; }
    // Toolbar positions 1 to 14, separators included.
    QAction *toolbarButton(int position) const;
    QString statusText() const;

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

    // Options menu: the category editors.
    void mnuOptionsRelations_Click();
    void mnuOptionsTimeframes_Click();
    void mnuOptionsVendors_Click();

    // Toolbar button 12: the gifts view and back.
    void toggleGiftView();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void buildTabs();
    void applyLayout();
    void setToolbarShown(bool shown);
    void setStatusBarShown(bool shown);
    void editCommand(int which);
    void openProgramFile(const QString &fileName);
    void showAbout();
    void notAvailableYet();
    void showGiftButtonFor(bool giftsShown);
    void palmUserPicked(int index);
    void restorePalmUserBox();
    void disablePalmOnlyCommands();
    void runCategoryEditor(int kind);
    // Opens the set in `folder`; false (and the open plan kept) when the load failed.
    bool loadFolder(const QString &folder);
    void openPlanAtStart(const QString &path);

    QTabWidget *m_tabs = nullptr;
    DetailsTab *m_details = nullptr;
    PartyTab *m_party = nullptr;
    GuestTab *m_guests = nullptr;
    VendorsTab *m_vendors = nullptr;
    SeatingTab *m_seating = nullptr;
    TasksTab *m_tasks = nullptr;
    PaymentsTab *m_payments = nullptr;
    QToolBar *m_toolBar = nullptr;
    QComboBox *m_users = nullptr;
    QLabel *m_usersLabel = nullptr;
    QWidget *m_usersCorner = nullptr;
    QLabel *m_statusText = nullptr;
    QLabel *m_date = nullptr;
    QLabel *m_time = nullptr;
    QTimer *m_clock = nullptr;
    QAction *m_viewToolbar = nullptr;
    QAction *m_viewStatusBar = nullptr;
    bool m_activated = false;
    std::optional<QString> m_planAtStart;
};
