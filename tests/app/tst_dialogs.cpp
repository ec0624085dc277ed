#include "app/frmabout.h"
#include "app/frmstartup.h"
#include "app/qtprompter.h"
#include "support/guitest.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QToolButton>

using Choice = frmStartup::Choice;

namespace {

// An executable shell script that leaves `marker` behind when it runs.
void writeTool(const QString &folder, const QString &name, const QString &marker) {
    const QString path = folder + u'/' + name;
    writeAll(path, marker.isEmpty() ? QByteArray("#!/nonexistent/interpreter\n")
                                    : "#!/bin/sh\n: > '" + marker.toUtf8() + "'\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_prompter = ScriptedPrompter();
        m_path = qgetenv("PATH");
    }
    void cleanup() { qputenv("PATH", m_path); }

    // Start dialog

    void unavailableEntriesAreDisabled_data() {
        QTest::addColumn<QString>("lastFolder");
        QTest::addColumn<bool>("noUsers");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("disabled");
        QTest::addColumn<QString>("enabled");
        const struct {
            const char *name, *last;
            bool noUsers;
            const char *user, *disabled, *enabled;
        } rows[] = {{"no last folder", "", false, "Ann", "Last", "HotSync"},
                    {"no Palm users", "/plans/smith", true, "", "HotSync", "Last"},
                    {"no Palm user chosen", "/plans/smith", false, "", "HotSync", "Last"}};
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.last << r.noUsers << r.user << r.disabled << r.enabled;
    }

    void unavailableEntriesAreDisabled() {
        QFETCH(QString, lastFolder);
        QFETCH(bool, noUsers);
        QFETCH(QString, user);
        QFETCH(QString, disabled);
        QFETCH(QString, enabled);
        frmStartup dialog(lastFolder, noUsers, user);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto *picture = dialog.findChild<QToolButton *>(QStringLiteral("pic") + disabled);
        auto *caption = dialog.findChild<QLabel *>(QStringLiteral("lbl") + disabled);
        QVERIFY(picture && !picture->isEnabled() && caption && !caption->isEnabled());
        QVERIFY(dialog.findChild<QWidget *>(QStringLiteral("pic") + enabled)->isEnabled());
        QVERIFY(dialog.findChild<QWidget *>(QStringLiteral("lbl") + enabled)->isEnabled());

        // Tab passes it by; clicks and its access key do nothing.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("pic") + enabled);
        QTest::mouseClick(picture, Qt::LeftButton);
        QTest::mouseClick(caption, Qt::LeftButton);
        QTest::keyClick(&dialog, disabled == QStringLiteral("Last") ? Qt::Key_L : Qt::Key_H,
                        Qt::AltModifier);
        QTest::qWait(150); // an access key presses its picture after a short animation
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.choice(), Choice::NewPlan);
    }

    // A click on a picture or its caption, or the keyboard, chooses; anything else leaves New.
    void choosing_data() {
        QTest::addColumn<QString>("click"); // a picture or caption; empty: the keys below
        QTest::addColumn<int>("tabs");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<Choice>("choice");
        const int keypad = int(Qt::KeypadModifier), alt = int(Qt::AltModifier);
        const int enter = int(Qt::Key_Return), space = int(Qt::Key_Space);
        QTest::newRow("picture new") << "picNew" << 0 << 0 << 0 << Choice::NewPlan;
        QTest::newRow("caption last") << "lblLast" << 0 << 0 << 0 << Choice::LastFile;
        QTest::newRow("picture hotsync") << "picHotSync" << 0 << 0 << 0 << Choice::HotSync;
        QTest::newRow("tab, enter") << "" << 1 << enter << 0 << Choice::LastFile;
        QTest::newRow("tab, tab, space") << "" << 2 << space << 0 << Choice::HotSync;
        QTest::newRow("keypad enter") << "" << 2 << int(Qt::Key_Enter) << keypad << Choice::HotSync;
        QTest::newRow("access key hotsync") << "" << 0 << int(Qt::Key_H) << alt << Choice::HotSync;
        QTest::newRow("escape leaves New")
            << "" << 1 << int(Qt::Key_Escape) << 0 << Choice::NewPlan;
    }
    void choosing() {
        QFETCH(QString, click);
        QFETCH(int, tabs);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(Choice, choice);
        frmStartup dialog(QStringLiteral("/plans/smith"), false, QStringLiteral("Ann"));
        QCOMPARE(dialog.choice(), Choice::NewPlan); // until something else is chosen
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("picNew"));
        if (!click.isEmpty()) {
            QTest::mouseClick(dialog.findChild<QWidget *>(click), Qt::LeftButton);
        } else {
            for (int i = 0; i < tabs; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                            Qt::KeyboardModifiers(modifiers));
        }
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.choice(), choice);
    }

    // The Open dialog shows one pattern, the one that filters.
    void fileDialogFilter() {
        QCOMPARE(
            QtPrompter::qtFilter(QStringLiteral("Vowline Database Files (*.pdb)|VowlineDB.pdb")),
            QStringLiteral("Vowline Database Files (VowlineDB.pdb)"));
        QCOMPARE(QtPrompter::qtFilter(QStringLiteral("Web Pages|*.htm;*.html")),
                 QStringLiteral("Web Pages (*.htm *.html)"));
    }

    // About box

    // "System Info..." starts the first system-information tool that runs, or says there is none.
    void sysInfoStartsTool_data() {
        QTest::addColumn<QStringList>("working");
        QTest::addColumn<QStringList>("broken");
        QTest::addColumn<QString>("started");
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
            m_prompter.expectMessage(QStringLiteral("System Information Is Unavailable At This "
                                                    "Time"),
                                     QStringLiteral("Vowline Desktop"), Prompter::Icon::None,
                                     Prompter::Buttons::Ok);
        frmAbout about(m_prompter);
        about.show();
        clickButton(&about, QStringLiteral("cmdSysInfo"));
        VERIFY_PROMPTS(m_prompter);
        QVERIFY(about.isVisible());
        if (!started.isEmpty()) {
            QTRY_VERIFY(QFile::exists(markers.filePath(started)));
            QTest::qWait(50);
            QCOMPARE(QDir(markers.path()).entryList(QDir::Files), QStringList{started});
        }
    }

private:
    ScriptedPrompter m_prompter;
    QByteArray m_path;
};

VOWLINE_TEST(TestDialogs)
#include "tst_dialogs.moc"
