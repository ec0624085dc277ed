#include "frmmain.h"

#include "appsettings.h"
#include "editors/categorylists.h"
#include "frmabout.h"
#include "plan/appstate.h"
#include "plan/printmod.h"
#include "printing.h"
#include "rules/displayforms.h"
#include "views/budgettab.h"
#include "views/detailstab.h"
#include "views/guesttab.h"
#include "views/guesttransfer.h"
#include "views/partytab.h"
#include "views/paymentstab.h"
#include "views/seatingtab.h"
#include "views/taskstab.h"
#include "views/vendorstab.h"
#include "widgets/listgrid.h"
#include "widgets/twips.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>
#include <QUrl>

namespace {

// Sizes of the frame, in twips: the window's starting and smallest size.
constexpr int kMinWidth = 11895;
constexpr int kMinHeight = 7470;
constexpr int kUserBoxWidth = 3900;

enum EditCommand { Cut, Copy, Paste };

// A disabled button must look disabled whatever the theme's picture: grey and faded.
QIcon withPlainDisabledState(const QIcon &icon) {
    QIcon result;
    for (int size : {16, 22, 24, 32, 48}) {
        const QPixmap normal = icon.pixmap(QSize(size, size));
        QImage faded = normal.toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < faded.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(faded.scanLine(y));
            for (int x = 0; x < faded.width(); ++x) {
                const int grey = 128 + qGray(line[x]) / 2;
                line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 2 / 5);
            }
        }
        result.addPixmap(normal, QIcon::Normal);
        result.addPixmap(QPixmap::fromImage(faded), QIcon::Disabled);
    }
    return result;
}

// A toolbar picture: the desktop's icon theme first, Qt's own pictures next, and a drawn
// letter when neither has one.
QIcon toolbarIcon(const QString &image) {
    struct Source {
        const char *image;
        const char *themeNames;
        QStyle::StandardPixmap fallback;
    };
    static const Source sources[] = {
        {"New", "document-new", QStyle::SP_FileIcon},
        {"Open", "document-open", QStyle::SP_DialogOpenButton},
        {"Save", "document-save", QStyle::SP_DialogSaveButton},
        // A coloured picture: a grey one looks the same whether it can be pressed or not.
        {"SaveInst", "mail-send-receive,pda", QStyle::SP_CustomBase},
        {"Print", "document-print-preview,document-print", QStyle::SP_FileDialogContentsView},
        {"Cut", "edit-cut", QStyle::SP_CustomBase},
        {"Copy", "edit-copy", QStyle::SP_CustomBase},
        {"Paste", "edit-paste", QStyle::SP_CustomBase},
        {"Gift", "emblem-favorite,starred", QStyle::SP_CustomBase},
        {"Guests", "system-users,avatar-default,x-office-address-book", QStyle::SP_CustomBase},
        {"Help2", "help-browser,help-contents,help-about", QStyle::SP_DialogHelpButton},
    };
    for (const Source &s : sources) {
        if (image != QLatin1String(s.image))
            continue;
        for (const QString &name : QString::fromLatin1(s.themeNames).split(u',')) {
            const QIcon themed = QIcon::fromTheme(name);
            if (!themed.isNull())
                return themed;
        }
        if (s.fallback != QStyle::SP_CustomBase)
            return qApp->style()->standardIcon(s.fallback);
    }
    QPixmap letter(24, 24);
    letter.fill(Qt::transparent);
    QPainter p(&letter);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x5b, 0x7d, 0xb1));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(letter.rect().adjusted(1, 1, -1, -1), 5, 5);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(14);
    p.setFont(font);
    p.drawText(letter.rect(), Qt::AlignCenter, image.left(1));
    return QIcon(letter);
}

QAction *menuItem(QMenu *menu, const QString &objectName, const QString &caption) {
    QAction *action = menu->addAction(caption);
    action->setObjectName(objectName);
    return action;
}

QMenu *addMenu(QMenuBar *bar, const QString &objectName, const QString &caption) {
    QMenu *menu = bar->addMenu(caption);
    menu->setObjectName(objectName);
    return menu;
}

} // namespace

frmMain::frmMain(AppState &state, QWidget *parent)
    : QMainWindow(parent)
    , m_state(state)
    , m_forms{state.plan, state.prompter(), state.contacts()} {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kProgramTitle);
    buildTabs();
    buildToolBar();
    buildMenus();
    buildStatusBar();
    Printing::addCommands(*this);
    setMinimumSize(Twips::toPixels(kMinWidth), Twips::toPixels(kMinHeight));

    connect(&state, &AppState::currentPalmUserChanged, this, &frmMain::RefreshCaption);
    connect(&state.plan, &Plan::reset, this, &frmMain::fillFilterBoxes);
    connect(&state.plan, &Plan::revisited, this, &frmMain::reveal);
    // Ctrl+Z belongs to a text box while the box has typing of its own to undo.
    qApp->installEventFilter(this);

    // Window load.
    AppSettings::loadWindowSettings(*this);
    showTab(DetailsPage);
    m_details->fillTimeLists();
}

frmMain::~frmMain() {
    qApp->removeEventFilter(this);
}

// --- Building ------------------------------------------------------------------------------

void frmMain::buildTabs() {
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("MainTab"));
    m_details = new DetailsTab(m_forms, *this);
    m_party = new PartyTab(m_forms, *this);
    m_guests = new GuestTab(m_forms, *this);
    m_vendors = new VendorsTab(m_forms, *this);
    m_seating = new SeatingTab(m_forms, *this);
    m_tasks = new TasksTab(m_forms, *this);
    m_payments = new PaymentsTab(m_forms, *this);
    m_budget = new BudgetTab(m_forms, *this);
    m_tabs->addTab(m_details, tr("Details"));
    m_tabs->addTab(m_party, tr("Party"));
    m_tabs->addTab(m_guests, tr("Guests"));
    m_tabs->addTab(m_vendors, tr("Vendors"));
    m_tabs->addTab(m_seating, tr("Seating"));
    m_tabs->addTab(m_tasks, tr("Tasks"));
    m_tabs->addTab(m_payments, tr("Payments"));
    m_tabs->addTab(m_budget, tr("Budget"));
    setCentralWidget(m_tabs);
    // Ctrl+Page Down / Page Up move between the tabs wherever the focus is, lists included.
    auto *next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this);
    connect(next, &QShortcut::activated, this,
            [this] { m_tabs->setCurrentIndex((m_tabs->currentIndex() + 1) % m_tabs->count()); });
    auto *previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this);
    connect(previous, &QShortcut::activated, this, [this] {
        m_tabs->setCurrentIndex((m_tabs->currentIndex() + m_tabs->count() - 1) % m_tabs->count());
    });
    auto *nextTab = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(nextTab, &QShortcut::activated, next, &QShortcut::activated);
    auto *previousTab = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this);
    connect(previousTab, &QShortcut::activated, previous, &QShortcut::activated);
}

void frmMain::buildMenus() {
    QMenuBar *bar = menuBar();

    QMenu *file = addMenu(bar, QStringLiteral("mnuFile"), tr("&File"));
    QAction *newPlan = menuItem(file, QStringLiteral("mnuFileNew"), tr("&New"));
    newPlan->setShortcut(QKeySequence::New);
    connect(newPlan, &QAction::triggered, this, [this] { NewPlan(); });
    QAction *open = menuItem(file, QStringLiteral("mnuFileOpen"), tr("&Open"));
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, &frmMain::OpenPlan);
    QAction *close = menuItem(file, QStringLiteral("mnuFileClose"), tr("&Close"));
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(close, &QAction::triggered, this, &frmMain::ClosePlan);
    file->addSeparator();
    connect(menuItem(file, QStringLiteral("mnuFileHotSync"), tr("Open &HotSync Files")),
            &QAction::triggered, this, &frmMain::OpenHotSyncFiles);
    file->addSeparator();
    QAction *save = menuItem(file, QStringLiteral("mnuFileSave"), tr("&Save to File"));
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, &frmMain::SaveToFile);
    connect(menuItem(file, QStringLiteral("mnuFileSaveAll"), tr("Save && &Install")),
            &QAction::triggered, this, &frmMain::SaveAndInstall);
    QAction *saveAs = menuItem(file, QStringLiteral("mnuFileSaveAs"), tr("Save &As..."));
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(saveAs, &QAction::triggered, this, &frmMain::SaveAs);
    file->addSeparator();
    connect(menuItem(file, QStringLiteral("mnuFileImportGuests"), tr("I&mport Guests...")),
            &QAction::triggered, this, [this] {
                GuestTransfer::importGuests(this, m_forms, *this, m_state.currentSetFolder);
            });
    connect(menuItem(file, QStringLiteral("mnuFileExportGuests"), tr("&Export Guests...")),
            &QAction::triggered, this,
            [this] { GuestTransfer::exportGuests(m_forms, m_state.currentSetFolder); });
    file->addSeparator();
    QAction *exit = menuItem(file, QStringLiteral("mnuFileExit"), tr("E&xit"));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu *edit = addMenu(bar, QStringLiteral("mnuEdit"), tr("&Edit"));
    // Named after the step they take back or make again; disabled when there is none.
    QUndoStack &history = m_state.plan.history();
    QAction *undo = history.createUndoAction(edit, tr("&Undo"));
    undo->setObjectName(QStringLiteral("mnuEditUndo"));
    undo->setShortcut(QKeySequence::Undo);
    edit->addAction(undo);
    QAction *redo = history.createRedoAction(edit, tr("&Redo"));
    redo->setObjectName(QStringLiteral("mnuEditRedo"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    edit->addAction(redo);
    // On the toolbar too, after the fourteen buttons; their tooltips name the step.
    m_toolBar->insertSeparator(m_toolbarEnd);
    for (const auto &[action, image] : {std::pair{undo, QStringLiteral("edit-undo")},
                                        std::pair{redo, QStringLiteral("edit-redo")}}) {
        action->setIcon(withPlainDisabledState(QIcon::fromTheme(
            image, style()->standardIcon(action == undo ? QStyle::SP_ArrowBack
                                                        : QStyle::SP_ArrowForward))));
        m_toolBar->insertAction(m_toolbarEnd, action);
        if (QWidget *button = m_toolBar->widgetForAction(action))
            button->setAccessibleName(action == undo ? tr("Undo") : tr("Redo"));
    }
    edit->addSeparator();
    QAction *cut = menuItem(edit, QStringLiteral("mnuEditCut"), tr("Cu&t"));
    cut->setShortcut(QKeySequence::Cut);
    connect(cut, &QAction::triggered, this, [this] { editCommand(Cut); });
    QAction *copy = menuItem(edit, QStringLiteral("mnuEditCopy"), tr("&Copy"));
    copy->setShortcut(QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, [this] { editCommand(Copy); });
    QAction *paste = menuItem(edit, QStringLiteral("mnuEditPaste"), tr("&Paste"));
    paste->setShortcut(QKeySequence::Paste);
    connect(paste, &QAction::triggered, this, [this] { editCommand(Paste); });
    // The text boxes and lists handle these keys themselves; the menu only shows them.
    for (QAction *action : {cut, copy, paste})
        action->setShortcutContext(Qt::WidgetShortcut);
    edit->addSeparator();
    QAction *find = menuItem(edit, QStringLiteral("mnuEditFind"), tr("&Find..."));
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        if (ListTab *tab = currentListTab())
            tab->focusFind();
    });

    QMenu *view = addMenu(bar, QStringLiteral("mnuView"), tr("&View"));
    m_viewToolbar = menuItem(view, QStringLiteral("mnuViewToolbar"), tr("&Toolbar"));
    m_viewToolbar->setCheckable(true);
    m_viewToolbar->setChecked(true);
    connect(m_viewToolbar, &QAction::triggered, this, &frmMain::setToolbarShown);
    m_viewStatusBar = menuItem(view, QStringLiteral("mnuViewStatusBar"), tr("&Status Bar"));
    m_viewStatusBar->setCheckable(true);
    m_viewStatusBar->setChecked(true);
    connect(m_viewStatusBar, &QAction::triggered, this, &frmMain::setStatusBarShown);
    view->addSeparator();
    connect(menuItem(view, QStringLiteral("mnuViewWeb"), tr("On the &Web...")), &QAction::triggered,
            this, [] { QDesktopServices::openUrl(QUrl(frmAbout::kWebPage)); });

    QMenu *reports = addMenu(bar, QStringLiteral("mnuReports"), tr("&Reports"));
    struct ReportItem {
        const char *name;
        QString caption;
        Reports::Kind kind;
    };
    for (const ReportItem &item :
         {ReportItem{"mnuReportsDetails", tr("Wedding &Details"), Reports::Details},
          ReportItem{"mnuReportsParty", tr("Wedding &Party"), Reports::Party},
          ReportItem{"mnuReportsGuests", tr("&Guest List"), Reports::Guests},
          ReportItem{"mnuReportsVendors", tr("&Vendor List"), Reports::Vendors},
          ReportItem{"mnuReportsTasks", tr("Wedding &Tasks"), Reports::Tasks},
          ReportItem{"mnuReportsPayments", tr("Upcoming Pa&yments"), Reports::Payments},
          ReportItem{"mnuReportsSeating", tr("&Seating Chart"), Reports::Seating},
          ReportItem{"mnuReportsBudget", tr("&Budget"), Reports::Budget}}) {
        QAction *action = menuItem(reports, QString::fromLatin1(item.name), item.caption);
        action->setData(int(item.kind)); // the print commands offer the same reports
        connect(action, &QAction::triggered, this,
                [this, kind = item.kind] { PrintMod::runReportCommand(m_state, *this, kind); });
    }
    m_state.setViewer(
        [](const QString &path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });

    QMenu *options = addMenu(bar, QStringLiteral("mnuOptions"), tr("&Options"));
    connect(
        menuItem(options, QStringLiteral("mnuOptionsSortParty"), tr("Sort Wed. &Party by Name")),
        &QAction::triggered, this, &frmMain::sortParty);
    connect(menuItem(options, QStringLiteral("mnuOptionsSortGuests"), tr("Sort &Guests by Name")),
            &QAction::triggered, this, &frmMain::sortGuests);
    connect(menuItem(options, QStringLiteral("mnuOptionsSortVendors"), tr("Sort Ve&ndors by Name")),
            &QAction::triggered, this, &frmMain::sortVendors);
    options->addSeparator();
    connect(menuItem(options, QStringLiteral("mnuOptionsRelations"), tr("Edit &Relation Types")),
            &QAction::triggered, this, [this] { editCategoryList(CategoryKind::Relations); });
    connect(menuItem(options, QStringLiteral("mnuOptionsVendors"), tr("Edit &Vendor Types")),
            &QAction::triggered, this, [this] { editCategoryList(CategoryKind::VendorTypes); });
    connect(menuItem(options, QStringLiteral("mnuOptionsTimeframes"), tr("Edit &Timeframes")),
            &QAction::triggered, this, [this] { editCategoryList(CategoryKind::Timeframes); });
    connect(menuItem(options, QStringLiteral("mnuOptionsMeals"), tr("Edit &Meals")),
            &QAction::triggered, this, [this] { editCategoryList(CategoryKind::Meals); });
    options->addSeparator();
    connect(
        menuItem(options, QStringLiteral("mnuOptionsInstall"), tr("&Install Vowline on Handheld")),
        &QAction::triggered, this, [this] {
            if (!needsPalmUser(tr("Install Vowline on Handheld")))
                Saving::installHandheldApplication(m_state);
        });

    QMenu *help = addMenu(bar, QStringLiteral("mnuHelp"), tr("&Information"));
    connect(menuItem(help, QStringLiteral("mnuHelpAbout"), tr("&About")), &QAction::triggered, this,
            &frmMain::showAbout);
    QAction *helpPage = menuItem(help, QStringLiteral("mnuHelpHelp"), tr("&Help"));
    helpPage->setShortcut(QKeySequence::HelpContents);
    connect(helpPage, &QAction::triggered, this,
            [this] { openProgramFile(QStringLiteral("VLHelp.htm")); });
    connect(menuItem(help, QStringLiteral("mnuHelpPalmOS"), tr("Help with Palm&OS Version")),
            &QAction::triggered, this,
            [this] { openProgramFile(QStringLiteral("VowlineManual.htm")); });
}

void frmMain::buildToolBar() {
    m_toolBar = addToolBar(tr("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(Twips::toPixels(330), Twips::toPixels(330)));
    // The bar's own menu would hide it behind the View menu's back.
    m_toolBar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    struct Button {
        const char *key; // empty: a separator
        QString tooltip;
        const char *image;
        QString name; // what a screen reader says
    };
    const Button buttons[14] = {
        {"New", tr("New Wedding Plan"), "New", tr("New wedding plan")},
        {"Open", tr("Open Files"), "Open", tr("Open")},
        {"Save", tr("Save to File"), "Save", tr("Save")},
        {"SaveInst", tr("Save and Install"), "SaveInst", tr("Save and install")},
        {"", {}, "", {}},
        {"Print", tr("Print Preview"), "Print", tr("Print preview")},
        {"", {}, "", {}},
        {"Cut", tr("Cut"), "Cut", tr("Cut")},
        {"Copy", tr("Copy"), "Copy", tr("Copy")},
        {"Paste", tr("Paste"), "Paste", tr("Paste")},
        {"", {}, "", {}},
        {"Gift", tr("Show Wedding Gifts"), "Gift", tr("Show wedding gifts")},
        {"", {}, "", {}},
        {"Help", QString(), "Help2", tr("Help")},
    };
    for (const Button &b : buttons) {
        if (!*b.key) {
            m_toolBar->addSeparator();
            continue;
        }
        // No text: a button without a tooltip must not show its key instead.
        const QString key = QString::fromLatin1(b.key);
        QAction *action = m_toolBar->addAction(
            withPlainDisabledState(toolbarIcon(QString::fromLatin1(b.image))), QString());
        action->setObjectName(QStringLiteral("tb") + key);
        action->setProperty("key", key);
        action->setToolTip(b.tooltip);
        if (QWidget *button = m_toolBar->widgetForAction(action))
            button->setAccessibleName(b.name);
    }
    connect(toolbarButton(1), &QAction::triggered, this, [this] { NewPlan(); });
    connect(toolbarButton(2), &QAction::triggered, this, &frmMain::OpenPlan);
    connect(toolbarButton(3), &QAction::triggered, this, &frmMain::SaveToFile);
    connect(toolbarButton(4), &QAction::triggered, this, &frmMain::SaveAndInstall);
    connect(toolbarButton(8), &QAction::triggered, this, [this] { editCommand(Cut); });
    connect(toolbarButton(9), &QAction::triggered, this, [this] { editCommand(Copy); });
    connect(toolbarButton(10), &QAction::triggered, this, [this] { editCommand(Paste); });
    connect(toolbarButton(12), &QAction::triggered, this, &frmMain::toggleGiftView);
    connect(m_guests, &GuestTab::giftsViewChanged, this, &frmMain::showGiftButtonFor);
    connect(toolbarButton(14), &QAction::triggered, this,
            [this] { openProgramFile(QStringLiteral("VLHelp.htm")); });

    // The Palm-user box sits at the right end of the toolbar.
    auto *spacer = new QWidget(m_toolBar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolbarEnd = m_toolBar->addWidget(spacer);
    auto *users = new QWidget(m_toolBar);
    users->setObjectName(QStringLiteral("PalmUserTools"));
    auto *usersRow = new QHBoxLayout(users);
    usersRow->setContentsMargins(0, 0, 6, 0);
    m_usersLabel = new QLabel(tr("Palm &User:"), users);
    m_users = new QComboBox(users);
    m_users->setObjectName(QStringLiteral("cboUsers"));
    m_users->setToolTip(tr("The Palm user this plan belongs to"));
    m_users->setAccessibleName(tr("Palm user"));
    m_users->setMinimumWidth(Twips::toPixels(kUserBoxWidth / 2));
    m_usersLabel->setBuddy(m_users);
    usersRow->addWidget(m_usersLabel);
    usersRow->addWidget(m_users);
    m_usersInToolBar = m_toolBar->addWidget(users);
    m_usersInToolBar->setProperty("box", QVariant::fromValue<QWidget *>(users));
    connect(m_users, &QComboBox::activated, this, &frmMain::palmUserPicked);

    // Where the Palm-user box goes while the toolbar is hidden.
    m_usersCorner = new QWidget(this);
    m_usersCorner->setObjectName(QStringLiteral("PalmUserCorner"));
    auto *cornerLayout = new QHBoxLayout(m_usersCorner);
    cornerLayout->setContentsMargins(0, 0, 6, 0);
    menuBar()->setCornerWidget(m_usersCorner, Qt::TopRightCorner);
    m_usersCorner->hide();
}

void frmMain::buildStatusBar() {
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    bar->setSizeGripEnabled(true);
    m_statusText = new QLabel(m_state.statusLine());
    m_statusText->setObjectName(QStringLiteral("sbStatusText"));
    m_date = new QLabel;
    m_time = new QLabel;
    m_date->setObjectName(QStringLiteral("sbDate"));
    m_time->setObjectName(QStringLiteral("sbTime"));
    bar->addWidget(m_statusText, 1);
    bar->addPermanentWidget(m_date);
    bar->addPermanentWidget(m_time);
    // The plan's name and state: they change with a load, a save and an edit of the name.
    const auto showStatus = [this] {
        m_statusText->setText(m_state.statusLine());
    };
    connect(&m_state, &AppState::statusTextChanged, m_statusText, showStatus);
    connect(&m_state.plan, &Plan::changed, m_statusText, showStatus);
    connect(&m_state.plan, &Plan::reset, m_statusText, showStatus);

    auto tick = [this] {
        const QLocale locale;
        m_date->setText(TextForms::date(QDate::currentDate(), locale));
        m_time->setText(TextForms::time(QTime::currentTime(), locale));
    };
    tick();
    m_clock = new QTimer(this);
    connect(m_clock, &QTimer::timeout, this, tick);
    m_clock->start(1000);
}

// --- The frame ----------------------------------------------------------------------------

void frmMain::setToolbarShown(bool shown) {
    m_viewToolbar->setChecked(shown);
    // The Palm-user box sits at the toolbar's right end; without the toolbar it moves to the
    // menu bar's corner, so that the user can still be switched.
    const bool hadFocus = m_users->hasFocus();
    QWidget *home = shown ? m_usersInToolBar->property("box").value<QWidget *>() : m_usersCorner;
    if (m_users->parentWidget() != home) {
        for (QWidget *part :
             {static_cast<QWidget *>(m_usersLabel), static_cast<QWidget *>(m_users)}) {
            part->setParent(home);
            home->layout()->addWidget(part);
            part->show();
        }
    }
    m_usersCorner->setVisible(!shown && !m_noPalmUsers);
    m_toolBar->setVisible(shown);
    if (hadFocus)
        m_users->setFocus();
}

void frmMain::setStatusBarShown(bool shown) {
    m_viewStatusBar->setChecked(shown);
    statusBar()->setVisible(shown);
}

QList<ListGrid *> frmMain::grids() const {
    return {m_guests->grid(),         m_party->grid(), m_vendors->grid(), m_seating->tableGrid(),
            m_seating->seatingGrid(), m_tasks->grid(), m_payments->grid()};
}

QAction *frmMain::toolbarButton(int position) const {
    const QList<QAction *> actions = m_toolBar->actions();
    return position >= 1 && position <= 14 && position <= actions.size() ? actions[position - 1]
                                                                         : nullptr;
}

QString frmMain::statusText() const {
    return m_state.statusText();
}

void frmMain::showTab(Tab tab) {
    m_tabs->setCurrentIndex(int(tab));
}

void frmMain::reveal(const PlanFocus &focus) {
    if (!focus.db)
        return;
    const Schema::DbId db = *focus.db;
    const auto gridsOver = [db](QWidget *page) {
        QList<ListGrid *> over;
        for (ListGrid *grid : page->findChildren<ListGrid *>()) {
            if (grid->listModel()->database() == db)
                over << grid;
        }
        return over;
    };
    // The page in front stays when it shows what changed (seating shows guests and tables);
    // otherwise the page of the database comes forward.
    static const std::pair<Schema::DbId, Tab> pages[] = {
        {Schema::DbId::Plan, DetailsPage},   {Schema::DbId::Party, PartyPage},
        {Schema::DbId::Guest, GuestsPage},   {Schema::DbId::Vendors, VendorsPage},
        {Schema::DbId::Tables, SeatingPage}, {Schema::DbId::Tasks, TasksPage}};
    const auto page = std::find_if(std::begin(pages), std::end(pages),
                                   [db](const auto &p) { return p.first == db; });
    const bool shown = !gridsOver(m_tabs->currentWidget()).isEmpty() ||
                       (page != std::end(pages) && m_tabs->currentIndex() == int(page->second));
    if (!shown && page != std::end(pages))
        showTab(page->second);
    if (!focus.record)
        return;
    for (ListGrid *grid : gridsOver(m_tabs->currentWidget())) {
        if (grid->selectRecord(focus.record))
            break;
    }
}

ListTab *frmMain::currentListTab() const {
    return qobject_cast<ListTab *>(m_tabs->currentWidget());
}

bool frmMain::eventFilter(QObject *watched, QEvent *event) {
    // While a text box has typing of its own to undo, Ctrl+Z takes that back first; a box with
    // nothing to undo lets the plan's Undo have the key.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) {
            QWidget *widget = qobject_cast<QWidget *>(watched);
            if (auto *combo = qobject_cast<QComboBox *>(widget); combo && combo->lineEdit())
                widget = combo->lineEdit();
            if (auto *line = qobject_cast<QLineEdit *>(widget); line && line->window() == this) {
                const bool own = key->matches(QKeySequence::Undo) ? line->isUndoAvailable()
                                                                  : line->isRedoAvailable();
                if (!own) {
                    key->ignore();
                    return true; // not overridden: the window's shortcut runs
                }
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- Edit and help commands -----------------------------------------------------------------

void frmMain::editCommand(int which) {
    QWidget *focus = QApplication::focusWidget();
    if (auto *combo = qobject_cast<QComboBox *>(focus); combo && combo->lineEdit())
        focus = combo->lineEdit();
    QClipboard *clipboard = QApplication::clipboard();
    auto put = [clipboard](const QString &text) {
        clipboard->clear();
        clipboard->setText(text);
    };
    if (auto *line = qobject_cast<QLineEdit *>(focus)) {
        if (which == Paste) {
            line->paste();
        } else if (line->hasSelectedText()) {
            put(line->selectedText());
            if (which == Cut && !line->isReadOnly())
                line->del();
        }
    } else if (auto *text = qobject_cast<QPlainTextEdit *>(focus)) {
        if (which == Paste) {
            text->paste();
        } else if (text->textCursor().hasSelection()) {
            put(text->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n'));
            if (which == Cut && !text->isReadOnly())
                text->textCursor().removeSelectedText();
        }
    } else if (auto *rich = qobject_cast<QTextEdit *>(focus)) {
        if (which == Paste) {
            rich->insertPlainText(clipboard->text());
        } else if (rich->textCursor().hasSelection()) {
            put(rich->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n'));
            if (which == Cut && !rich->isReadOnly())
                rich->textCursor().removeSelectedText();
        }
    }
}

void frmMain::openProgramFile(const QString &fileName) {
    const QString path = m_state.programFolder + u'/' + fileName;
    if (!QFileInfo::exists(path)) {
        m_state.prompter().tell(tr("The help page %1 is missing from the program folder.  "
                                   "Please reinstall Vowline Desktop.")
                                    .arg(fileName),
                                kProgramTitle, Prompter::Icon::Exclamation);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void frmMain::showAbout() {
    frmAbout about(m_state.prompter(), this);
    about.exec();
}

// --- The plan ------------------------------------------------------------------------------

void frmMain::RefreshCaption() {
    const QString user = m_state.currentPalmUser();
    setWindowTitle(user.isEmpty() ? kProgramTitle
                                  : kProgramTitle + QStringLiteral(" - [") + user + u']');
}

void frmMain::fillFilterBoxes() {
    for (ListTab *tab : {static_cast<ListTab *>(m_party), static_cast<ListTab *>(m_guests),
                         static_cast<ListTab *>(m_vendors), static_cast<ListTab *>(m_tasks),
                         static_cast<ListTab *>(m_payments)})
        tab->fillFilterBoxes();
}

bool frmMain::palmUserBoxEnabled() const {
    return m_users->isEnabled();
}

QString frmMain::palmUserBoxText() const {
    return m_users->currentText();
}

void frmMain::storeDetails(PlanEdit &edit) {
    m_details->storeInto(edit);
    m_seating->storeSetup(edit);
}

void frmMain::editCategoryList(CategoryKind list) {
    ::editCategoryList(m_forms, list, this);
    // Every filter box is back on "All": the lists follow it.
    fillFilterBoxes();
}

void frmMain::sortParty() {
    m_party->sortByName();
}

void frmMain::sortGuests() {
    m_guests->sortByName();
}

void frmMain::sortVendors() {
    m_vendors->sortByName();
}

void frmMain::toggleGiftView() {
    if (toolbarButton(12)->property("key").toString() == QLatin1String("Gift")) {
        m_guests->ShowGiftList();
    } else {
        showTab(GuestsPage);
        m_guests->showAllGuests();
    }
}

void frmMain::showGiftButtonFor(bool giftsShown) {
    // The button offers the other view: back to the guests while the gifts are shown.
    QAction *button = toolbarButton(12);
    button->setIcon(withPlainDisabledState(
        toolbarIcon(giftsShown ? QStringLiteral("Guests") : QStringLiteral("Gift"))));
    button->setToolTip(giftsShown ? tr("Show Wedding Guests") : tr("Show Wedding Gifts"));
    button->setProperty("key", giftsShown ? QStringLiteral("Guest") : QStringLiteral("Gift"));
    if (QWidget *widget = m_toolBar->widgetForAction(button))
        widget->setAccessibleName(giftsShown ? tr("Show wedding guests")
                                             : tr("Show wedding gifts"));
}
