// The program as the command line starts it: a plan named there, and the installed tree.
#include "app/commandline.h"
#include "app/frmmain.h"
#include "plan/appstate.h"
#include "support/guitest.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void planFolderOf_data() {
        QTest::addColumn<QString>("path"); // under a folder holding plan/ with a plan in it
        QTest::addColumn<QString>("folder");
        const char *rows[][3] = {{"the folder", "plan", "plan"},
                                 {"its plan file", "plan/VowlineDB.pdb", "plan"},
                                 {"missing", "nowhere", ""},
                                 {"folder without a plan", "empty", ""},
                                 {"another file", "plan/VowlGuestDB.pdb", ""},
                                 {"empty", "", ""}};
        for (const auto &r : rows)
            QTest::newRow(r[0]) << r[1] << r[2];
    }
    void planFolderOf() {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QTemporaryDir root;
        QDir(root.path()).mkpath(QStringLiteral("empty"));
        QDir(root.path()).mkpath(QStringLiteral("plan"));
        writePlanFile(root.filePath(QStringLiteral("plan")), QStringLiteral("Smith"));
        writeAll(root.filePath(QStringLiteral("plan/VowlGuestDB.pdb")), "x");
        QString problem;
        const QString found =
            CommandLine::planFolderOf(path.isEmpty() ? path : root.filePath(path), &problem);
        QCOMPARE(found, folder.isEmpty() ? QString() : root.filePath(folder));
        QCOMPARE(problem.isEmpty(), !folder.isEmpty());
    }

    // A plan named on the command line opens without the start dialog; a bad one is reported
    // and the new plan stays.
    void planAtStart_data() {
        QTest::addColumn<bool>("good");
        QTest::newRow("good") << true;
        QTest::newRow("bad") << false;
    }
    void planAtStart() {
        QFETCH(bool, good);
        QTemporaryDir plans;
        writePlanFile(plans.path(), QStringLiteral("From the command line"));
        const QString path = good ? plans.filePath(QStringLiteral("VowlineDB.pdb"))
                                  : plans.filePath(QStringLiteral("missing"));
        MainWindowFixture f;
        // No notice of the missing handheld: the user knows what they are opening.
        if (!good)
            f.prompter().expectMessage(QStringLiteral("The wedding plan %1 could not be opened.  "
                                                      "It does not exist.  Vowline Desktop starts "
                                                      "with a new plan instead.")
                                           .arg(path),
                                       QStringLiteral("Vowline Desktop"),
                                       Prompter::Icon::Exclamation);
        frmMain &w = f.create();
        w.openAtStart(path);
        w.StartUp();
        QTRY_VERIFY(!w.loading()); // no start dialog: it would block here
        VERIFY_PROMPTS(f.prompter());
        QCOMPARE(appState().currentSetFolder, good ? plans.path() : QString());
        QCOMPARE(appState().plan.db(Schema::DbId::Plan).records().item(1).text("ownr"),
                 good ? QStringLiteral("From the command line") : QString());
        QCOMPARE(w.statusText(), good ? QStringLiteral("Vowline - User Database")
                                      : QStringLiteral("Vowline - Default Database"));
        // The status bar names the plan.
        QCOMPARE(f.find<QLabel>(QStringLiteral("sbStatusText"))->text(),
                 good ? QStringLiteral("From the command line — all changes saved")
                      : QStringLiteral("New plan"));
    }

    // Run by the installed-program check with the installed, read-only program folder: a
    // save for a user goes to the user's data folder and leaves the program folder alone.
    void installedProgramSavesInTheDataFolder() {
        const QString program = qEnvironmentVariable("VOWLINE_INSTALLED_PROGRAM");
        if (program.isEmpty())
            QSKIP("run by the installed_program test");
        MainWindowFixture f;
        appState().programFolder = program;
        f.expectNoPalmUser();
        f.create();
        f.startUp();
        QVERIFY(appState().plan.db(Schema::DbId::RelTypes).records().count() > 0);
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                               QStringLiteral("/Users/Smith");
        QCOMPARE(appState().usersFolder() + QStringLiteral("/Smith"), folder);
        QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("TXTownr")),
                         QStringLiteral("Smith wedding"));
        expectUserNamePrompt(f.prompter(), QStringLiteral("Smith"));
        expectSavedMessage(f.prompter(), folder);
        f.find<QAction>(QStringLiteral("mnuFileSave"))->trigger();
        VERIFY_PROMPTS(f.prompter());
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 9);
        QVERIFY(!QFileInfo::exists(program + QStringLiteral("/Users")));
    }
};

VOWLINE_TEST(TestCommandLine)
#include "tst_commandline.moc"
