#include "app/appsettings.h"
#include "app/frmmain.h"
#include "plan/appstate.h"
#include "support/guitest.h"
#include "views/guesttab.h"
#include "widgets/listgrid.h"
#include "widgets/twips.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

namespace {

const auto kInfo = Prompter::Icon::Information;
const auto kExclamation = Prompter::Icon::Exclamation;
const QString kNoHotSync = QStringLiteral(
    "You have not done a HotSync on this computer. Please select the Palm User manually.");

// A Palm database component whose every read runs out of memory.
class OutOfMemoryServer : public TB4Server {
public:
    std::unique_ptr<PalmDatabase> OpenDatabase(const QString &) const override {
        throw std::bad_alloc();
    }
};

// Collects the pages the program asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

// The access key of a caption ("Save && &Install" has I), or none.
QChar accessKey(const QString &text) {
    static const QRegularExpression key(QStringLiteral("(?:^|[^&])(?:&&)*&([^&])"));
    const auto match = key.match(text);
    return match.hasMatch() ? match.captured(1).at(0).toUpper() : QChar();
}

void clashes(const QStringList &captions, const QString &where, QStringList &problems) {
    QHash<QChar, QString> seen;
    for (const QString &caption : captions) {
        const QChar key = accessKey(caption);
        if (key.isNull())
            problems << QStringLiteral("%1: \"%2\" has no access key").arg(where, caption);
        else if (seen.contains(key))
            problems << QStringLiteral("%1: \"%2\" and \"%3\" share Alt+%4")
                            .arg(where, seen[key], caption, key);
        seen.insert(key, caption);
    }
}

// The captions of these actions; each submenu is checked on its own.
QStringList actionCaptions(const QList<QAction *> &actions, QStringList &problems) {
    QStringList captions;
    for (const QAction *action : actions) {
        if (action->isSeparator() || !action->isVisible() || action->text().isEmpty())
            continue;
        captions << action->text();
        if (const QMenu *menu = action->menu())
            clashes(actionCaptions(menu->actions(), problems),
                    QStringLiteral("menu \"%1\"").arg(menu->title()), problems);
    }
    return captions;
}

// The captions under `root` that show while it does, except in the pages of tab widgets
// (each page is a world of its own), which go to `tabs`.
void collect(const QWidget *root, QStringList &captions, QList<const QTabWidget *> &tabs) {
    for (const QWidget *w : root->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        // Lines a form repeats (three addresses) are reached with Tab within their frame.
        if (w->isWindow() || w->isHidden() || w->property("reachedByTab").toBool() ||
            qobject_cast<const QMenuBar *>(w) || qobject_cast<const QMenu *>(w))
            continue;
        const auto *button = qobject_cast<const QAbstractButton *>(w);
        const auto *label = qobject_cast<const QLabel *>(w);
        const auto *group = qobject_cast<const QGroupBox *>(w);
        if (const auto *tabWidget = qobject_cast<const QTabWidget *>(w)) {
            tabs << tabWidget;
            continue;
        }
        // A label that names a control ("Name:") is how the keyboard reaches it.
        if (label && label->buddy())
            captions << label->text();
        else if (label && label->text().endsWith(u':'))
            captions << QString(label->text()).remove(u'&');
        // Buttons with icons only (the toolbar's) and OK / Cancel, which Enter and Escape
        // reach, need no key.
        else if (button && !qobject_cast<const QToolButton *>(w) &&
                 !QStringList{"", "OK", "Cancel"}.contains(button->text()))
            captions << button->text();
        else if (group && group->isCheckable())
            captions << group->title();
        collect(w, captions, tabs);
    }
}

void pageProblems(QStringList captions, const QWidget *page, const QString &where,
                  QStringList &problems) {
    QList<const QTabWidget *> tabs;
    collect(page, captions, tabs);
    clashes(captions, where, problems);
    for (const QTabWidget *tab : tabs)
        for (int i = 0; i < tab->count(); ++i)
            pageProblems(captions, tab->widget(i), where + QStringLiteral(" / ") + tab->tabText(i),
                         problems);
}

// What is wrong with the access keys (Alt+letter) of `window`: a menu item, a button or a label
// naming a control without one, or two with the same key where both can be reached at once
// (the menu bar's titles and tab captions, the controls outside tab pages and one page of each
// tab widget; each menu's items among themselves).
QStringList accessKeyProblems(QWidget *window) {
    QStringList problems, outer;
    if (auto *main = qobject_cast<QMainWindow *>(window))
        outer = actionCaptions(main->menuBar()->actions(), problems);
    for (const QTabBar *bar : window->findChildren<QTabBar *>())
        for (int i = 0; i < bar->count(); ++i)
            if (!accessKey(bar->tabText(i)).isNull())
                outer << bar->tabText(i);
    pageProblems(outer, window, window->windowTitle(), problems);
    problems.removeDuplicates();
    return problems;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init() { QSettings().clear(); }

    // Start-up with the Palm users found: none (the "No Palm User" message, then the default
    // plan), three without a last HotSync user, and the last user in another letter case.
    void startUpWithPalmUsers_data() {
        QTest::addColumn<QStringList>("users");
        QTest::addColumn<QString>("lastUser");
        QTest::addColumn<QString>("current");
        const struct {
            const char *name;
            QStringList users;
            const char *last, *current;
        } rows[] = {
            {"no Palm users", {}, "", ""},
            {"three users, no last user", {"Ann", "Bea", "Cy"}, "", ""},
            {"last user in another case", {"Ann", "Bea"}, "bea", "Bea"},
            // A last user who is none of the Palm users selects nobody, not the first entry.
            {"stale last user", {"Ann", "Bea"}, "Zed", ""},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.users << QString(r.last) << QString(r.current);
    }
    void startUpWithPalmUsers() {
        QFETCH(QStringList, users);
        QFETCH(QString, lastUser);
        QFETCH(QString, current);
        MainWindowFixture f(users, lastUser);
        const bool any = !users.isEmpty();
        if (!any)
            f.expectNoPalmUser();
        else if (lastUser.isEmpty())
            f.prompter().expectMessage(kNoHotSync, QStringLiteral("Palm Desktop Information"),
                                       kInfo);
        // The start dialog: a blank last folder is none; the HotSync files need a Palm user.
        QSettings().setValue(QStringLiteral("Files/File1"), QStringLiteral("  "));
        bool lastOffered = true, hotSyncOffered = true;
        onNextModal(QStringLiteral("frmStartup"), [&](QDialog *d) {
            lastOffered = d->findChild<QWidget *>(QStringLiteral("picLast"))->isEnabled();
            hotSyncOffered = d->findChild<QWidget *>(QStringLiteral("picHotSync"))->isEnabled();
            clickButton(d, QStringLiteral("picNew"));
        });
        frmMain &w = f.create();
        w.StartUp();
        QTRY_VERIFY(!w.loading());
        QVERIFY(!lastOffered);
        QCOMPARE(hotSyncOffered, !current.isEmpty());
        VERIFY_PROMPTS(f.prompter()); // each shown once; no question for a known last user
        QVERIFY(w.isVisible());
        QCOMPARE(w.palmUserBox()->isEnabled(), any);
        QCOMPARE(w.palmUserBox()->isVisibleTo(&w), any);
        for (const char *name : {"mnuFileSaveAll", "mnuFileHotSync", "mnuOptionsInstall"})
            QVERIFY(f.find<QAction>(QString::fromLatin1(name))->isEnabled());
        QCOMPARE(w.palmUserBox()->count(), users.size());
        QCOMPARE(w.palmUserBox()->currentText(), current);
        QCOMPARE(appState().currentPalmUser(), current);
        QCOMPARE(w.statusText(), any ? QStringLiteral("Vowline - User Database")
                                     : QStringLiteral("Vowline - Default Database"));
        QCOMPARE(w.windowTitle(), current.isEmpty()
                                      ? QStringLiteral("Vowline Desktop")
                                      : QStringLiteral("Vowline Desktop - [%1]").arg(current));
        QVERIFY(appState().plan.db(Schema::DbId::RelTypes).records().count() > 0);
        QCOMPARE(appState().plan.db(Schema::DbId::Plan).records().count(), 1);
    }

    // Without a handheld: the notice can be silenced for good, and the HotSync commands say
    // what they need instead of acting.
    void quietStartWithoutHandheld() {
        {
            MainWindowFixture f({}, {});
            f.expectNoPalmUser(true);
            f.startUp();
            VERIFY_PROMPTS(f.prompter());
            const QString needs = QStringLiteral(
                " works with a Palm handheld, and no Palm user was found on this computer.\r\r"
                "Install Palm Desktop or J-Pilot, do a HotSync with your handheld, and start "
                "Vowline Desktop again.  Until then, Save to File keeps your plan in a folder.");
            for (const auto &[name, command] :
                 {std::pair{"mnuFileSaveAll", "Save & Install"},
                  std::pair{"mnuFileHotSync", "Open HotSync Files"},
                  std::pair{"mnuOptionsInstall", "Install Vowline on Handheld"}}) {
                f.prompter().expectMessage(QString::fromLatin1(command) + needs,
                                           QStringLiteral("No Palm User"), kInfo);
                f.trigger(name);
            }
            VERIFY_PROMPTS(f.prompter());
        }
        MainWindowFixture f({}, {}); // the notice was silenced
        f.startUp();
        VERIFY_PROMPTS(f.prompter());
    }

    void switchingUsers() {
        MainWindowFixture f({"Ann", "Bea"}, QStringLiteral("Ann"));
        writePlanFile(f.palmRoot() + QStringLiteral("/Bea/Backup"), QStringLiteral("Bea's plan"));
        frmMain &w = f.create();
        f.startUp();
        auto expectOpenQuestion = [&f](Prompter::Answer answer) {
            f.prompter().expectMessage(QStringLiteral("Do you want to open the Vowline Databases "
                                                      "associated with the new Palm User?"),
                                       QStringLiteral("Open New Database?"),
                                       Prompter::Icon::Question, Prompter::Buttons::YesNoCancel,
                                       answer);
        };

        // Cancel puts the box back.
        expectOpenQuestion(Prompter::Answer::Cancel);
        w.palmUserBox()->setCurrentIndex(1);
        emit w.palmUserBox()->activated(1);
        QCOMPARE(w.palmUserBox()->currentText(), QStringLiteral("Ann"));

        // No: the open plan now belongs to the picked user and counts as changed.
        expectOpenQuestion(Prompter::Answer::No);
        w.palmUserBox()->setCurrentIndex(1);
        emit w.palmUserBox()->activated(1);
        QCOMPARE(w.windowTitle(), QStringLiteral("Vowline Desktop - [Bea]"));
        QCOMPARE(w.statusText(), QStringLiteral("Vowline - User Database (modified)"));
        QVERIFY(appState().plan.isModified());
        QCOMPARE(appState().plan.db(Schema::DbId::Plan).records().item(1).text("ownr"), QString());

        // Yes with changes, not saving them: Bea's own plan is loaded.
        appState().setCurrentPalmUser(QStringLiteral("Ann"));
        expectOpenQuestion(Prompter::Answer::Yes);
        f.prompter().expectMessage(
            QStringLiteral("The Current Wedding Plan has been modified.  Do you want to save and "
                           "install your changes for the current user?"),
            QStringLiteral("Save Changes?"), Prompter::Icon::Question,
            Prompter::Buttons::YesNoCancel, Prompter::Answer::No);
        emit w.palmUserBox()->activated(1);
        VERIFY_PROMPTS(f.prompter());
        QCOMPARE(w.windowTitle(), QStringLiteral("Vowline Desktop - [Bea]"));
        QCOMPARE(w.statusText(), QStringLiteral("Vowline - User Database"));
        QVERIFY(!appState().plan.isModified());
        QCOMPARE(appState().plan.db(Schema::DbId::Plan).records().item(1).text("ownr"),
                 QStringLiteral("Bea's plan"));
        QCOMPARE(appState().plan.set().path(Schema::DbId::Plan),
                 f.palmRoot() + QStringLiteral("/Bea/Backup/VowlineDB.pdb"));
    }

    // The toolbar and the status bar hide and show again; without the toolbar the Palm-user
    // box moves to the menu bar, within reach.
    void hidingTheBars() {
        MainWindowFixture f;
        frmMain &w = f.create();
        w.show();
        f.trigger("mnuViewToolbar");
        f.trigger("mnuViewStatusBar");
        QVERIFY(!w.toolBar()->isVisible() && !w.statusBar()->isVisible());
        QVERIFY(!f.find<QAction>(QStringLiteral("mnuViewToolbar"))->isChecked());
        QVERIFY(w.palmUserBox()->isVisible() && !w.toolBar()->isAncestorOf(w.palmUserBox()));
        f.trigger("mnuViewToolbar");
        QVERIFY(w.toolBar()->isVisible() && w.toolBar()->isAncestorOf(w.palmUserBox()));
    }

    // What one session leaves in the settings, the next starts from; start choice 1 opens the
    // last plan folder.
    void settingsRoundTripAndMinimizedClose() {
        QTemporaryDir plans;
        writePlanFile(plans.path(), QStringLiteral("Last time"));
        {
            MainWindowFixture f;
            frmMain &w = f.create();
            f.expectNoPalmUser();
            f.startUp();
            w.move(Twips::toPixels(300), Twips::toPixels(450));
            w.resize(Twips::toPixels(12000), Twips::toPixels(8010));
            w.guests()->grid()->setColumnWidthTwips(2, 2400);
            appState().currentSetFolder = plans.path();
            QVERIFY(w.close());
        }
        QSettings s;
        QCOMPARE(s.value("Settings/MainLeft").toString(), QStringLiteral("300"));
        QCOMPARE(s.value("Settings/MainHeight").toString(), QStringLiteral("8010"));
        QCOMPARE(s.value("Settings/Guest2").toString(), QStringLiteral("2400"));
        QCOMPARE(s.value("Settings/Payment9").toString(), QStringLiteral("1140"));
        QCOMPARE(s.value("Files/File1").toString(), plans.path());
        QVERIFY(!s.value("Settings/path").toString().isEmpty());
        {
            MainWindowFixture f;
            frmMain &w = f.create();
            QCOMPARE(Twips::fromPixels(w.x()), 300);
            QCOMPARE(Twips::fromPixels(w.height()), 8010);
            QCOMPARE(w.guests()->grid()->columnWidthTwips(2), 2400);
            f.expectNoPalmUser();
            f.startUp("picLast");
            VERIFY_PROMPTS(f.prompter());
            QCOMPARE(appState().currentSetFolder, plans.path());
            QCOMPARE(appState().plan.db(Schema::DbId::Plan).records().item(1).text("ownr"),
                     QStringLiteral("Last time"));
            QCOMPARE(w.statusText(), QStringLiteral("Vowline - User Database"));
            w.move(Twips::toPixels(900), Twips::toPixels(900));
            w.guests()->grid()->setColumnWidthTwips(2, 3000);
            appState().currentSetFolder = QStringLiteral("/plans/second");
            w.showMinimized();
            QTRY_VERIFY(w.isMinimized());
            QVERIFY(w.close());
        }
        s.sync();
        QCOMPARE(s.value("Settings/MainLeft").toString(), QStringLiteral("300")); // kept
        QCOMPARE(s.value("Settings/Guest2").toString(), QStringLiteral("3000"));  // written
        QCOMPARE(s.value("Files/File1").toString(), QStringLiteral("/plans/second"));
    }

    // Opening through the dialog; a cancelled dialog, or memory running out while the next
    // plan is read, keeps the open plan. Replacing a modified plan asks to save it first:
    // Cancel keeps it (and the window, on Exit), No lets it go.
    void openAndClose() {
        MainWindowFixture f;
        frmMain &w = f.create();
        f.expectNoPalmUser();
        f.startUp();
        QTemporaryDir plans, second;
        writePlanFile(plans.path(), QStringLiteral("Smith wedding"));
        writePlanFile(second.path(), QStringLiteral("Second"));
        const auto expectOpen = [&](const QTemporaryDir *dir) {
            f.prompter().expectOpenFile(QStringLiteral("Open"),
                                        dir ? dir->filePath(QStringLiteral("VowlineDB.pdb"))
                                            : std::optional<QString>());
        };
        const auto isOpen = [&](const QString &owner) {
            QCOMPARE(appState().plan.db(Schema::DbId::Plan).records().item(1).text("ownr"), owner);
            QCOMPARE(appState().currentSetFolder, plans.path());
            QCOMPARE(w.statusText(), QStringLiteral("Vowline - User Database"));
        };
        expectOpen(&plans);
        f.trigger("mnuFileOpen");
        VERIFY_PROMPTS(f.prompter());
        QCOMPARE(f.prompter().lastStep()->folder, appState().programFolder);
        QCOMPARE(f.prompter().lastStep()->filter,
                 QStringLiteral("Vowline Database Files (*.pdb)|VowlineDB.pdb"));
        isOpen(QStringLiteral("Smith wedding"));
        expectOpen(nullptr);
        w.OpenPlan();
        isOpen(QStringLiteral("Smith wedding"));
        appState().setServer(std::make_unique<OutOfMemoryServer>());
        expectOpen(&second);
        f.prompter().expectMessage(QStringLiteral("There is not enough memory to finish this "
                                                  "command, so it was stopped."),
                                   QStringLiteral("Vowline Desktop"), kExclamation);
        f.trigger("mnuFileOpen");
        VERIFY_PROMPTS(f.prompter());
        isOpen(QStringLiteral("Smith wedding"));
        appState().setServer(std::make_unique<TB4Server>());
        appState().server().setLocations(HotSyncLocations{});

        appState().plan.markModified();
        const int tasks = appState().plan.db(Schema::DbId::Tasks).records().count();
        QVERIFY(tasks > 0);
        for (const auto answer :
             {Prompter::Answer::Cancel, Prompter::Answer::Cancel, Prompter::Answer::No})
            f.prompter().expectMessage(QStringLiteral("The current Wedding Plan has been "
                                                      "modified.  Do you want to save your "
                                                      "changes?"),
                                       QStringLiteral("Save Changes?"), Prompter::Icon::Question,
                                       Prompter::Buttons::YesNoCancel, answer);
        f.trigger("mnuFileClose");
        QCOMPARE(appState().plan.db(Schema::DbId::Tasks).records().count(), tasks);
        QVERIFY(appState().plan.isModified());
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        f.trigger("mnuFileClose");
        VERIFY_PROMPTS(f.prompter());
        QCOMPARE(appState().plan.db(Schema::DbId::Tasks).records().count(), 0);
        QCOMPARE(w.statusText(), QStringLiteral("Vowline - Default Database"));
        QVERIFY(!appState().plan.isModified());
    }

    // Alt+letter reaches every menu item and named control, each key once where it counts;
    // the standard shortcuts are shown on their commands and work.
    void accessKeysAndStandardShortcuts() {
        MainWindowFixture f({"Ann"}, QStringLiteral("Ann"));
        f.startUp();
        frmMain &w = f.window();
        QStringList problems = accessKeyProblems(&w);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
        for (const char *editor : {"cmdAddVendor", "cmdAddGuest"}) {
            onNextModal(QStringLiteral("frmRecordEditor"), [&](QDialog *dialog) {
                problems = accessKeyProblems(dialog);
                clickButton(dialog, QStringLiteral("cmdRecordCancel"));
            });
            f.find<QPushButton>(QString::fromLatin1(editor))->click();
            QVERIFY(modalHandlersDone());
            QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
        }

        const std::pair<const char *, QKeySequence> shortcuts[] = {
            {"mnuFileClose", QKeySequence(Qt::CTRL | Qt::Key_W)},
            {"mnuFileSaveAs", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
            {"mnuFileExit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
            {"mnuFilePrint", QKeySequence(Qt::CTRL | Qt::Key_P)}};
        for (const auto &[name, keys] : shortcuts)
            QCOMPARE(f.find<QAction>(QString::fromLatin1(name))->shortcut(), keys);

        // In a text box the clipboard keys are the box's own, and the Edit menu works on it.
        w.show();
        QApplication::setActiveWindow(&w);
        w.showTab(frmMain::DetailsPage);
        auto *box = f.find<QLineEdit>(QStringLiteral("TXTbnam"));
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        QTest::keyClicks(box, QStringLiteral("Juliet"));
        box->selectAll();
        QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Juliet"));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("JulietJuliet"));
        box->setSelection(0, 3);
        f.trigger("mnuEditCut");
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Jul"));
        box->setCursorPosition(box->text().size());
        f.trigger("mnuEditPaste");
        box->setSelection(0, 2);
        f.trigger("mnuEditCopy");
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("ie"));
        QCOMPARE(box->text(), QStringLiteral("ietJulietJul"));

        // The window's own: Close and Exit ask to save first, Save As asks where.
        const QString save = QStringLiteral(
            "The current Wedding Plan has been modified.  Do you want to save and install your "
            "changes?");
        for (const auto &[name, keys] : {shortcuts[0], shortcuts[1], shortcuts[2]}) {
            QSignalSpy triggered(f.find<QAction>(QString::fromLatin1(name)), &QAction::triggered);
            if (qstrcmp(name, "mnuFileSaveAs") == 0)
                f.prompter().expectSaveFile(QStringLiteral("Save As"), std::nullopt);
            else
                f.prompter().expectMessage(save, QStringLiteral("Save Changes?"),
                                           Prompter::Icon::Question, Prompter::Buttons::YesNoCancel,
                                           Prompter::Answer::Cancel);
            QTest::keySequence(&w, keys);
            QCOMPARE(triggered.count(), 1);
            VERIFY_PROMPTS(f.prompter());
        }
        QVERIFY(w.isVisible()); // Cancel kept it open
    }

    void helpOpensThePagesBesideTheProgram() {
        MainWindowFixture f;
        frmMain &w = f.create();
        writeAll(f.programFolder() + QStringLiteral("/VLHelp.htm"), "<html></html>");
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        f.trigger("mnuHelpHelp");
        w.toolbarButton(14)->trigger();
        // The manual is missing from this program folder: say so rather than fail quietly.
        f.prompter().expectMessage(
            QStringLiteral("The help page VowlineManual.htm is missing from the program "
                           "folder.  Please reinstall Vowline Desktop."),
            QStringLiteral("Vowline Desktop"), kExclamation);
        f.trigger("mnuHelpPalmOS");
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        VERIFY_PROMPTS(f.prompter());
        QCOMPARE(catcher.opened.size(), 2);
        QCOMPARE(catcher.opened[0].toLocalFile(),
                 f.programFolder() + QStringLiteral("/VLHelp.htm"));
    }
};

VOWLINE_TEST(TestMainWindow)
#include "tst_mainwindow.moc"
