#include "app/frmabout.h"
#include "app/frmstartup.h"
#include "store/appstate.h"
#include "support/guitest.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QToolButton>
#include <QUrl>
#include <memory>

namespace {

const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

// An executable shell script that leaves `marker` behind when it runs.
void writeTool(const QString &folder, const QString &name, const QString &marker) {
    const QString path = folder + u'/' + name;
    writeAll(path, marker.isEmpty() ? QByteArray("#!/nonexistent/interpreter\n")
                                    : "#!/bin/sh\n: > '" + marker.toUtf8() + "'\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
}

} // namespace

// Receives the URLs the about box opens instead of the desktop's browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_program = std::make_unique<TestProgramFolder>(false);
        m_prompter = std::make_unique<ScriptedPrompter>();
        appState().setPrompter(m_prompter.get());
        m_path = qgetenv("PATH");
        QSettings().remove(QStringLiteral("Files/File1"));
    }

    void cleanup() {
        qputenv("PATH", m_path);
        QSettings().remove(QStringLiteral("Files/File1"));
        appState().setPrompter(nullptr);
        m_prompter.reset();
        m_program.reset();
    }

    // Start dialog

    void escapeLeavesNewPlan() {
        appState().startChoice = 1;
        frmStartup dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Vowline Startup"));
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lblQuestion"))->text(),
                 QStringLiteral("Which Wedding Plan would you like to open?"));
        QCOMPARE(appState().startChoice, 3);
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(appState().startChoice, 3);
    }

    void entriesChoose_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("caption");
        QTest::newRow("picture new") << "picNew" << 3 << "";
        QTest::newRow("caption new") << "lblNew" << 3 << "Create &New Vowline";
        QTest::newRow("picture last") << "picLast" << 1 << "";
        QTest::newRow("caption last") << "lblLast" << 1 << "&Last File Used";
        QTest::newRow("picture hotsync") << "picHotSync" << 2 << "";
        QTest::newRow("caption hotsync") << "lblHotSync" << 2 << "Palm &HotSync Files";
    }

    void entriesChoose() {
        QFETCH(QString, name);
        QFETCH(int, choice);
        QFETCH(QString, caption);
        QSettings().setValue(QStringLiteral("Files/File1"), QStringLiteral("/plans/smith"));
        frmStartup dialog;
        dialog.show();
        auto *entry = dialog.findChild<QWidget *>(name);
        QVERIFY(entry && entry->isEnabled());
        if (auto *label = qobject_cast<QLabel *>(entry))
            QCOMPARE(label->text(), caption);
        QTest::mouseClick(entry, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(appState().startChoice, choice);
    }

    void unavailableEntriesAreDisabled_data() {
        QTest::addColumn<QString>("file1");
        QTest::addColumn<bool>("noUsers");
        QTest::addColumn<QString>("disabled");
        QTest::addColumn<QString>("enabled");
        QTest::newRow("no last folder") << "" << false << "Last"
                                        << "HotSync";
        QTest::newRow("blank last folder") << "  " << false << "Last"
                                           << "HotSync";
        QTest::newRow("no Palm users") << "/plans/smith" << true << "HotSync"
                                       << "Last";
    }

    void unavailableEntriesAreDisabled() {
        QFETCH(QString, file1);
        QFETCH(bool, noUsers);
        QFETCH(QString, disabled);
        QFETCH(QString, enabled);
        QSettings().setValue(QStringLiteral("Files/File1"), file1);
        appState().noUsers = noUsers;
        frmStartup dialog;
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto *picture = dialog.findChild<QToolButton *>(QStringLiteral("pic") + disabled);
        auto *caption = dialog.findChild<QLabel *>(QStringLiteral("lbl") + disabled);
        QVERIFY(picture && !picture->isEnabled() && caption && !caption->isEnabled());
        QVERIFY(dialog.findChild<QWidget *>(QStringLiteral("pic") + enabled)->isEnabled());
        QVERIFY(dialog.findChild<QWidget *>(QStringLiteral("lbl") + enabled)->isEnabled());

        // The disabled picture is drawn grey.
        const QImage grey = picture->icon()
                                .pixmap(picture->iconSize(), 1.0, QIcon::Disabled)
                                .toImage()
                                .convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < grey.height(); ++y)
            for (int x = 0; x < grey.width(); ++x) {
                const QRgb pixel = grey.pixel(x, y);
                QVERIFY(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel));
            }

        // Tab passes it by; clicks and its access key do nothing.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("pic") + enabled);
        QTest::mouseClick(picture, Qt::LeftButton);
        QTest::mouseClick(caption, Qt::LeftButton);
        QTest::keyClick(&dialog, disabled == QStringLiteral("Last") ? Qt::Key_L : Qt::Key_H,
                        Qt::AltModifier);
        QTest::qWait(150); // an access key presses its picture after a short animation
        QVERIFY(dialog.isVisible());
        QCOMPARE(appState().startChoice, 3);
    }

    void keyboardChooses_data() {
        QTest::addColumn<int>("tabs");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("choice");
        QTest::newRow("tab, enter") << 1 << int(Qt::Key_Return) << 0 << 1;
        QTest::newRow("tab, tab, space") << 2 << int(Qt::Key_Space) << 0 << 2;
        QTest::newRow("keypad enter") << 2 << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 2;
        QTest::newRow("access key hotsync") << 0 << int(Qt::Key_H) << int(Qt::AltModifier) << 2;
    }

    void keyboardChooses() {
        QFETCH(int, tabs);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, choice);
        QSettings().setValue(QStringLiteral("Files/File1"), QStringLiteral("/plans/smith"));
        frmStartup dialog;
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("picNew"));
        for (int i = 0; i < tabs; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                        Qt::KeyboardModifiers(modifiers));
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(appState().startChoice, choice);
    }

    // About box

    void aboutTexts() {
        frmAbout about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Vowline_Desktop"));
        auto text = [&](const char *name) {
            auto *label = about.findChild<QLabel *>(QString::fromLatin1(name));
            return label ? label->text() : QStringLiteral("<missing %1>").arg(name);
        };
        QCOMPARE(text("lblTitle"), QStringLiteral("Vowline Desktop"));
        QCOMPARE(text("lblVersion"), QStringLiteral("Version " VOWLINE_VERSION));
        QCOMPARE(text("lblDescription"),
                 QStringLiteral("Windows component for Vowline Suite.  The complete wedding "
                                "planner for the mobile couple - Vowline Desktop and Vowline "
                                "for PalmOS."));
        QVERIFY(text("lblDisclaimer").contains(QStringLiteral("warranty")));
        auto *ok = about.findChild<QPushButton *>(QStringLiteral("cmdOK"));
        auto *sysInfo = about.findChild<QPushButton *>(QStringLiteral("cmdSysInfo"));
        QVERIFY(ok && sysInfo);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
        QCOMPARE(sysInfo->text(), QStringLiteral("&System Info..."));

        about.show();
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!about.isVisible());
        VERIFY_PROMPTS(*m_prompter);
    }

    void sysInfoUnavailable() {
        QTemporaryDir empty;
        qputenv("PATH", empty.path().toUtf8());
        m_prompter->expectMessage(kUnavailable, QStringLiteral("Vowline Desktop"),
                                  Prompter::Icon::None, Prompter::Buttons::Ok);
        frmAbout about;
        about.show();
        clickButton(&about, QStringLiteral("cmdSysInfo"));
        VERIFY_PROMPTS(*m_prompter);
        QVERIFY(about.isVisible());
    }

    void sysInfoStartsTool_data() {
        QTest::addColumn<QStringList>("working");
        QTest::addColumn<QStringList>("broken");
        QTest::addColumn<QString>("started");
        QTest::newRow("first tool") << QStringList{"hardinfo"} << QStringList{} << "hardinfo";
        QTest::newRow("last tool") << QStringList{"lxtask"} << QStringList{} << "lxtask";
        QTest::newRow("earlier wins")
            << QStringList{"xfce4-taskmanager", "kinfocenter"} << QStringList{} << "kinfocenter";
        QTest::newRow("broken falls through")
            << QStringList{"lxtask"} << QStringList{"hardinfo"} << "lxtask";
        QTest::newRow("only broken") << QStringList{} << QStringList{"hardinfo"} << "";
    }

    void sysInfoStartsTool() {
        QFETCH(QStringList, working);
        QFETCH(QStringList, broken);
        QFETCH(QString, started);
        QTemporaryDir bin;
        QTemporaryDir markers;
        for (const QString &tool : working)
            writeTool(bin.path(), tool, markers.filePath(tool));
        for (const QString &tool : broken)
            writeTool(bin.path(), tool, QString());
        qputenv("PATH", bin.path().toUtf8());
        if (started.isEmpty())
            m_prompter->expectMessage(kUnavailable, QStringLiteral("Vowline Desktop"),
                                      Prompter::Icon::None, Prompter::Buttons::Ok);

        frmAbout about;
        QCOMPARE(about.StartSysInfo(), !started.isEmpty());
        VERIFY_PROMPTS(*m_prompter);
        if (!started.isEmpty()) {
            QTRY_VERIFY(QFile::exists(markers.filePath(started)));
            QTest::qWait(50);
            QCOMPARE(QDir(markers.path()).entryList(QDir::Files), QStringList{started});
        }
    }

    void iconOpensWebPage() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        const auto unset = qScopeGuard([] { QDesktopServices::unsetUrlHandler("https"); });
        frmAbout about;
        about.show();
        auto *icon = about.findChild<QToolButton *>(QStringLiteral("picIcon"));
        QVERIFY(icon);
        QTest::mouseClick(icon, Qt::LeftButton);
        QCOMPARE(catcher.urls,
                 QList<QUrl>{QUrl(QStringLiteral("https://www.vowline.com/desktop/"))});
        QVERIFY(about.isVisible());
        VERIFY_PROMPTS(*m_prompter);
    }

private:
    std::unique_ptr<TestProgramFolder> m_program;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    QByteArray m_path;
};

VOWLINE_TEST(TestDialogs)
#include "tst_dialogs.moc"
