#include "frmmain.h"

#include "appsettings.h"
#include "editors/categorylists.h"
#include "editors/frmeditcats.h"
#include "frmabout.h"
#include "reports/printmod.h"
#include "store/appstate.h"
#include "store/saving.h"
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
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

namespace {

// Sizes of the frame, in twips.
constexpr int kMinWidth = 11895;
constexpr int kMinHeight = 7470;
constexpr int kToolbarHeight = 480;
constexpr int kStatusBarHeight = 270;
constexpr int kTabLeft = 60;
constexpr int kUserBoxWidth = 3900;

enum EditCommand { Cut, Copy, Paste };

// A toolbar picture: the desktop's icon theme first, Qt's own pictures next, and a drawn
// letter when neither has one.
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

} // namespace

frmMain::frmMain(QWidget *parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kProgramTitle);
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("frmMainClient"));
    setCentralWidget(central);
    buildTabs();
    buildToolBar();
    buildMenus();
    buildStatusBar();
    setMinimumSize(Twips::toPixels(kMinWidth), Twips::toPixels(kMinHeight));

    // Window load.
    AppSettings::loadWindowSettings(*this);
    appState().changed = false;
    showTab(DetailsPage);
    m_details->fillTimeLists();
    applyLayout();
}

frmMain::~frmMain() = default;

// --- Building ------------------------------------------------------------------------------

void frmMain::buildTabs() {
    m_tabs = new QTabWidget(centralWidget());
    m_tabs->setObjectName(QStringLiteral("MainTab"));
    m_details = new DetailsTab(*this);
    m_party = new PartyTab(*this);
    m_guests = new GuestTab(*this);
    m_vendors = new VendorsTab(*this);
    m_seating = new SeatingTab(*this);
    m_tasks = new TasksTab(*this);
    m_payments = new PaymentsTab(*this);
    m_details->setSeatingSetupBoxes(m_seating->noTablesBox(), m_seating->peoplePerBox());
    connect(m_seating, &SeatingTab::storeDetailsRequested, this, [this] { StoreDetails(); });
    m_tabs->addTab(m_details, tr("Details"));
    m_tabs->addTab(m_party, tr("Party"));
    m_tabs->addTab(m_guests, tr("Guests"));
    m_tabs->addTab(m_vendors, tr("Vendors"));
    m_tabs->addTab(m_seating, tr("Seating"));
    m_tabs->addTab(m_tasks, tr("Tasks"));
    m_tabs->addTab(m_payments, tr("Payments"));
}

void frmMain::buildMenus() {
    QMenuBar *bar = menuBar();

    QMenu *file = bar->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction *newPlan = menuItem(file, QStringLiteral("mnuFileNew"), tr("&New"));
    newPlan->setShortcut(QKeySequence::New);
    connect(newPlan, &QAction::triggered, this, [this] { NewPlan(); });
    QAction *open = menuItem(file, QStringLiteral("mnuFileOpen"), tr("&Open"));
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, &frmMain::OpenPlan);
    connect(menuItem(file, QStringLiteral("mnuFileClose"), tr("&Close")), &QAction::triggered, this,
            &frmMain::ClosePlan);
    file->addSeparator();
    connect(menuItem(file, QStringLiteral("mnuFileHotSync"), tr("Open HotSync Files")),
            &QAction::triggered, this, &frmMain::OpenHotSyncFiles);
    file->addSeparator();
    QAction *save = menuItem(file, QStringLiteral("mnuFileSave"), tr("&Save to File"));
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, &frmMain::SaveToFile);
    connect(menuItem(file, QStringLiteral("mnuFileSaveAll"), tr("Save && &Install")),
            &QAction::triggered, this, &frmMain::SaveAndInstall);
    connect(menuItem(file, QStringLiteral("mnuFileSaveAs"), tr("Save As...")), &QAction::triggered,
            this, &frmMain::SaveAs);
    file->addSeparator();
    connect(menuItem(file, QStringLiteral("mnuFileImportGuests"), tr("I&mport Guests...")),
            &QAction::triggered, this, [this] { GuestTransfer::importGuests(this, *this); });
    connect(menuItem(file, QStringLiteral("mnuFileExportGuests"), tr("&Export Guests...")),
            &QAction::triggered, this, [] { GuestTransfer::exportGuests(); });
    file->addSeparator();
    connect(menuItem(file, QStringLiteral("mnuFileExit"), tr("E&xit")), &QAction::triggered, this,
            &QWidget::close);

    QMenu *edit = bar->addMenu(tr("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    menuItem(edit, QStringLiteral("mnuEditUndo"), tr("Undo")); // kept for its place; does nothing
    edit->addSeparator();
    QAction *cut = menuItem(edit, QStringLiteral("mnuEditCut"), tr("Cut"));
    connect(cut, &QAction::triggered, this, [this] { editCommand(Cut); });
    QAction *copy = menuItem(edit, QStringLiteral("mnuEditCopy"), tr("Copy"));
    connect(copy, &QAction::triggered, this, [this] { editCommand(Copy); });
    QAction *paste = menuItem(edit, QStringLiteral("mnuEditPaste"), tr("Paste"));
    connect(paste, &QAction::triggered, this, [this] { editCommand(Paste); });

    QMenu *view = bar->addMenu(tr("View"));
    view->setObjectName(QStringLiteral("mnuView"));
    m_viewToolbar = menuItem(view, QStringLiteral("mnuViewToolbar"), tr("Toolbar"));
    m_viewToolbar->setCheckable(true);
    m_viewToolbar->setChecked(true);
    connect(m_viewToolbar, &QAction::triggered, this, &frmMain::setToolbarShown);
    m_viewStatusBar = menuItem(view, QStringLiteral("mnuViewStatusBar"), tr("Status Bar"));
    m_viewStatusBar->setCheckable(true);
    m_viewStatusBar->setChecked(true);
    connect(m_viewStatusBar, &QAction::triggered, this, &frmMain::setStatusBarShown);
    view->addSeparator();
    connect(menuItem(view, QStringLiteral("mnuViewWeb"), tr("On the Web...")), &QAction::triggered,
            this, [] { QDesktopServices::openUrl(QUrl(frmAbout::kWebPage)); });

    QMenu *reports = bar->addMenu(tr("&Reports"));
    reports->setObjectName(QStringLiteral("mnuReports"));
    struct ReportItem {
        const char *name;
        QString caption;
        int kind;
    };
    for (const ReportItem &item : {ReportItem{"mnuReportsDetails", tr("Wedding Details"), 0},
                                   ReportItem{"mnuReportsParty", tr("Wedding Party"), 3},
                                   ReportItem{"mnuReportsGuests", tr("Guest List"), 4},
                                   ReportItem{"mnuReportsVendors", tr("Vendor List"), 5},
                                   ReportItem{"mnuReportsTasks", tr("Wedding Tasks"), 6},
                                   ReportItem{"mnuReportsPayments", tr("Upcoming Payments"), 7},
                                   ReportItem{"mnuReportsSeating", tr("&Seating Chart"), 8}}) {
        connect(menuItem(reports, QString::fromLatin1(item.name), item.caption),
                &QAction::triggered, this,
                [this, kind = item.kind] { PrintMod::runReportCommand(*this, kind); });
    }
    // Reports open in the desktop's HTML viewer; the program does not wait for it.
    PrintMod::setViewer(
        [](const QString &path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });

    QMenu *options = bar->addMenu(tr("&Options"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    connect(menuItem(options, QStringLiteral("mnuOptionsSortParty"), tr("Sort Wed. Party by Name")),
            &QAction::triggered, this, [this] { m_party->sortByName(); });
    connect(menuItem(options, QStringLiteral("mnuOptionsSortGuests"), tr("Sort Guests by Name")),
            &QAction::triggered, this, [this] { m_guests->sortByName(); });
    connect(menuItem(options, QStringLiteral("mnuOptionsSortVendors"), tr("Sort Vendors by Name")),
            &QAction::triggered, this, [this] { m_vendors->sortByName(); });
    options->addSeparator();
    connect(menuItem(options, QStringLiteral("mnuOptionsRelations"), tr("Edit &Relation Types")),
            &QAction::triggered, this, &frmMain::mnuOptionsRelations_Click);
    connect(menuItem(options, QStringLiteral("mnuOptionsVendors"), tr("Edit &Vendor Types")),
            &QAction::triggered, this, &frmMain::mnuOptionsVendors_Click);
    connect(menuItem(options, QStringLiteral("mnuOptionsTimeframes"), tr("Edit &Timeframes")),
            &QAction::triggered, this, &frmMain::mnuOptionsTimeframes_Click);
    options->addSeparator();
    connect(
        menuItem(options, QStringLiteral("mnuOptionsInstall"), tr("Install Vowline on Handheld")),
        &QAction::triggered, this, [] { Saving::installHandheldApplication(); });

    QMenu *help = bar->addMenu(tr("&Information"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(menuItem(help, QStringLiteral("mnuHelpAbout"), tr("&About")), &QAction::triggered, this,
            &frmMain::showAbout);
    QAction *helpPage = menuItem(help, QStringLiteral("mnuHelpHelp"), tr("&Help"));
    helpPage->setShortcut(QKeySequence::HelpContents);
    connect(helpPage, &QAction::triggered, this,
            [this] { openProgramFile(QStringLiteral("VLHelp.htm")); });
    connect(menuItem(help, QStringLiteral("mnuHelpPalm"), tr("Help with PalmOS Version")),
            &QAction::triggered, this,
            [this] { openProgramFile(QStringLiteral("VowlineManual.htm")); });
}

void frmMain::buildToolBar() {
    m_toolBar = new QToolBar(centralWidget());
    m_toolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(Twips::toPixels(330), Twips::toPixels(330)));

    struct Button {
        const char *key; // empty: a separator
        QString tooltip;
        const char *image;
    };
    const Button buttons[14] = {
        {"New", tr("New Wedding Plan"), "New"},
        {"Open", tr("Open Files"), "Open"},
        {"Save", tr("Save to File"), "Save"},
        {"SaveInst", tr("Save and Install"), "SaveInst"},
        {"", {}, ""},
        {"Print", tr("Print Preview"), "Print"},
        {"", {}, ""},
        {"Cut", tr("Cut"), "Cut"},
        {"Copy", tr("Copy"), "Copy"},
        {"Paste", tr("Paste"), "Paste"},
        {"", {}, ""},
        {"Gift", tr("Show Wedding Gifts"), "Gift"},
        {"", {}, ""},
        {"Help", QString(), "Help2"},
    };
    for (const Button &b : buttons) {
        if (!*b.key) {
            m_toolBar->addSeparator();
            continue;
        }
        // No text: a button without a tooltip must not show its key instead. Screen readers
        // get the key as the button's name.
        const QString key = QString::fromLatin1(b.key);
        QAction *action = m_toolBar->addAction(
            withPlainDisabledState(toolbarIcon(QString::fromLatin1(b.image))), QString());
        action->setObjectName(QStringLiteral("tb") + key);
        action->setProperty("key", key);
        action->setToolTip(b.tooltip);
        if (QWidget *button = m_toolBar->widgetForAction(action))
            button->setAccessibleName(key);
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

    m_usersLabel = new QLabel(tr("Palm &User:"), centralWidget());
    m_usersLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_users = new QComboBox(centralWidget());
    m_users->setObjectName(QStringLiteral("cboUsers"));
    m_users->setToolTip(tr("The Palm user this plan belongs to"));
    m_usersLabel->setBuddy(m_users);
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
    bar->setFixedHeight(
        std::max(Twips::toPixels(kStatusBarHeight), bar->fontMetrics().height() + 4));
    m_statusText = new QLabel(appState().statusText());
    m_statusText->setObjectName(QStringLiteral("sbStatusText"));
    m_date = new QLabel;
    m_time = new QLabel;
    m_date->setObjectName(QStringLiteral("sbDate"));
    m_time->setObjectName(QStringLiteral("sbTime"));
    bar->addWidget(m_statusText, 1);
    bar->addPermanentWidget(m_date);
    bar->addPermanentWidget(m_time);
    connect(&appState(), &AppState::statusTextChanged, m_statusText, &QLabel::setText);

    auto tick = [this] {
        const QLocale locale;
        m_date->setText(locale.toString(QDate::currentDate(), QLocale::ShortFormat));
        m_time->setText(locale.toString(QTime::currentTime(), QLocale::ShortFormat));
    };
    tick();
    m_clock = new QTimer(this);
    connect(m_clock, &QTimer::timeout, this, tick);
    m_clock->start(1000);
}

// --- Layout --------------------------------------------------------------------------------

void frmMain::applyLayout() {
    // The sizes were laid out for windows whose height counts the title bar and borders; Qt's
    // does not. The frame allowance covers those, corrected by the real menu bar's height so
    // that the tab control meets the status bar exactly.
    const int menuTwips = Twips::fromPixels(menuBar()->sizeHint().height());
    const int allowance = std::max(0, Twips::kFrameAllowance + Twips::kMenuBarHeight - menuTwips);
    const int w = Twips::fromPixels(width());
    const int h = Twips::fromPixels(height()) + allowance;
    const bool toolbarShown = m_viewToolbar->isChecked();
    const bool statusShown = m_viewStatusBar->isChecked();
    // Hidden bars give their room to the tab control and the five long lists.
    const int extra = (toolbarShown ? 0 : kToolbarHeight) + (statusShown ? 0 : kStatusBarHeight);
    const QList<ListGrid *> longLists = {m_party->grid(), m_guests->grid(), m_vendors->grid(),
                                         m_tasks->grid(), m_payments->grid()};

    m_toolBar->setGeometry(0, 0, width(), Twips::toPixels(kToolbarHeight));
    const int userBoxHeight = m_users->sizeHint().height();
    const int userBoxTop = (Twips::toPixels(kToolbarHeight) - userBoxHeight) / 2;
    m_tabs->move(Twips::toPixels(kTabLeft), toolbarShown ? Twips::toPixels(kToolbarHeight) : 0);
    if (w > 300) {
        m_tabs->resize(Twips::toPixels(w - 120), m_tabs->height());
        for (ListGrid *grid : longLists)
            grid->resize(Twips::toPixels(w - 360), grid->height());
        m_seating->seatingGrid()->resize(Twips::toPixels(w - 6195),
                                         m_seating->seatingGrid()->height());
        if (toolbarShown) {
            m_users->setGeometry(Twips::toPixels(w - 4200), userBoxTop,
                                 Twips::toPixels(kUserBoxWidth), userBoxHeight);
            const int labelWidth = m_usersLabel->sizeHint().width();
            m_usersLabel->setGeometry(m_users->x() - labelWidth - 6, userBoxTop, labelWidth,
                                      userBoxHeight);
        }
    }
    if (h > 3000) {
        m_tabs->resize(m_tabs->width(), Twips::toPixels(h - 1575 + extra));
        m_seating->tableGrid()->resize(m_seating->tableGrid()->width(), Twips::toPixels(h - 3370));
        m_seating->seatingGrid()->resize(m_seating->seatingGrid()->width(),
                                         Twips::toPixels(h - 2655));
        for (ListGrid *grid : longLists)
            grid->resize(grid->width(), Twips::toPixels(h - 2655 + extra));
    }
    m_users->raise();
    m_usersLabel->raise();
}

void frmMain::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    applyLayout();
}

void frmMain::setToolbarShown(bool shown) {
    m_viewToolbar->setChecked(shown);
    m_toolBar->setVisible(shown);
    // The Palm-user box sits at the toolbar's right end; without the toolbar it moves to the
    // menu bar's corner, so that the user can still be switched.
    QWidget *home = shown ? centralWidget() : m_usersCorner;
    if (m_users->parentWidget() != home) {
        const bool hadFocus = m_users->hasFocus();
        // In the menu bar the box keeps to the bar's height: a taller bar would take the room
        // the hidden toolbar gave to the lists.
        const int barHeight = menuBar()->sizeHint().height();
        m_users->setMaximumHeight(shown ? QWIDGETSIZE_MAX : std::max(barHeight - 2, 16));
        // Wide enough for a user's name even while it lists nobody.
        m_users->setMinimumWidth(shown ? 0 : Twips::toPixels(kUserBoxWidth / 2));
        for (QWidget *part :
             {static_cast<QWidget *>(m_usersLabel), static_cast<QWidget *>(m_users)}) {
            part->setParent(home);
            if (!shown)
                m_usersCorner->layout()->addWidget(part);
            part->show();
        }
        m_usersCorner->setVisible(!shown);
        if (hadFocus)
            m_users->setFocus();
    }
    applyLayout();
}

void frmMain::setStatusBarShown(bool shown) {
    m_viewStatusBar->setChecked(shown);
    statusBar()->setVisible(shown);
    applyLayout();
}

QList<ListGrid *> frmMain::grids() const {
    return {m_guests->grid(),         m_party->grid(), m_vendors->grid(), m_seating->tableGrid(),
            m_seating->seatingGrid(), m_tasks->grid(), m_payments->grid()};
}

QAction *frmMain::toolbarButton(int position) const {
    const QList<QAction *> actions = m_toolBar->actions();
    return position >= 1 && position <= actions.size() ? actions[position - 1] : nullptr;
}

QString frmMain::statusText() const {
    return m_statusText->text();
}

void frmMain::showTab(Tab tab) {
    m_tabs->setCurrentIndex(int(tab));
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
    const QString path = appState().programFolder + u'/' + fileName;
    if (!QFileInfo::exists(path)) {
        appState().prompter().tell(tr("The help page %1 is missing from the program folder.  "
                                      "Please reinstall Vowline Desktop.")
                                       .arg(fileName),
                                   kProgramTitle, Prompter::Icon::Exclamation);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void frmMain::showAbout() {
    frmAbout about(this);
    about.exec();
}

void frmMain::notAvailableYet() {
    appState().prompter().tell(
        tr("This command is not available in this version of Vowline Desktop."), kProgramTitle,
        Prompter::Icon::Information);
}

// --- Refreshes -----------------------------------------------------------------------------

void frmMain::FillFilterBoxes() {
    fillFilterBoxes(*this);
}

void frmMain::RefreshCaption() {
    setWindowTitle(kProgramTitle + QStringLiteral(" - [") + appState().currentPalmUser + u']');
}

void frmMain::UpdateDetails() {
    m_details->UpdateDetails();
}

void frmMain::UpdatePartyGrid() {
    m_party->UpdatePartyGrid();
}

void frmMain::UpdateGuestGrid() {
    m_guests->UpdateGuestGrid();
}

void frmMain::UpdateTableGrid() {
    m_seating->UpdateTableGrid();
}

void frmMain::UpdateSeatingGrid() {
    m_seating->UpdateSeatingGrid();
}

void frmMain::UpdateVendorsGrid() {
    m_vendors->UpdateVendorsGrid();
}

void frmMain::UpdateTasks() {
    m_tasks->UpdateTasks();
}

void frmMain::UpdatePayments() {
    m_payments->UpdatePayments();
}

void frmMain::SortTasks() {
    m_tasks->SortTasks();
}

QString frmMain::planName() const {
    return m_details->planName();
}

void frmMain::setPlanName(const QString &name) {
    m_details->setPlanName(name);
}

void frmMain::StoreDetails() {
    m_details->StoreDetails();
}

void frmMain::StampOwner() {
    m_details->StampOwner();
}

bool frmMain::palmUserBoxEnabled() const {
    return m_users->isEnabled();
}

QString frmMain::palmUserBoxText() const {
    return m_users->currentText();
}

// --- Category editors and the gifts view ---------------------------------------------------

void frmMain::editCategoryList(CategoryList list) {
    runCategoryEditor(static_cast<int>(list));
}

void frmMain::runCategoryEditor(int kind) {
    AppState &state = appState();
    state.categoryKind = kind;
    {
        frmEditCats editor(this);
        editor.exec();
    }
    if (state.changed)
        state.markPlanModified();
    // Every filter box is back on "All": the lists follow it.
    FillFilterBoxes();
    for (auto refresh :
         {&frmMain::UpdatePartyGrid, &frmMain::UpdateGuestGrid, &frmMain::UpdateVendorsGrid,
          &frmMain::UpdateTasks, &frmMain::UpdatePayments}) {
        try {
            (this->*refresh)();
        } catch (const std::exception &) {
        }
    }
}

void frmMain::mnuOptionsRelations_Click() {
    runCategoryEditor(0);
}

void frmMain::mnuOptionsTimeframes_Click() {
    runCategoryEditor(1);
}

void frmMain::mnuOptionsVendors_Click() {
    runCategoryEditor(2);
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
}
