// What stands where the settings store keeps its file: anything but a file is reported before
// Qt opens it, and the program runs on its defaults, never hanging and leaving the thing alone.
#include "app/appsettings.h"
#include "store/safefile.h"
#include "support/scriptedprompter.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Reads and writes a setting in a child process: 0 when it started from the defaults, -1 when
// it hung (and was stopped).
int settingsInAChild() {
    const pid_t child = ::fork();
    if (child == 0) {
        QSettings settings;
        const bool defaults = !settings.contains(QStringLiteral("Settings/MainWidth"));
        settings.setValue(QStringLiteral("Settings/MainWidth"), QStringLiteral("9000"));
        settings.sync();
        ::_exit(defaults ? 0 : 1);
    }
    for (int waited = 0; waited < 5000; waited += 10) {
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
        ::usleep(10 * 1000);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return -1;
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        setUpTestEnvironment(); // the store back in the test's own place
    }

    void notAFile_data() {
        QTest::addColumn<bool>("organization"); // the organisation's file, not the program's
        QTest::addColumn<QString>("shape");
        for (const char *shape : {"fifo", "folder", "dangling link"}) {
            QTest::addRow("%s", shape) << false << shape;
            QTest::addRow("organisation's file, %s", shape) << true << shape;
        }
        QTest::newRow("a file") << false << "file";
    }
    void notAFile() {
        QFETCH(bool, organization);
        QFETCH(QString, shape);
        const QFileInfo own(QSettings().fileName());
        const QString file =
            organization ? own.absolutePath() + u'.' + own.suffix() : own.absoluteFilePath();
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        QFile::remove(file);
        const QByteArray name = QFile::encodeName(file);
        if (shape == u"fifo")
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        else if (shape == u"folder")
            QVERIFY(QDir().mkdir(file));
        else if (shape == u"dangling link")
            QVERIFY(QFile::link(file + QStringLiteral(".gone"), file));
        else
            writeAll(file, "[Settings]\nMainWidth=9000\n");
        const SafeFile::Kind kind = SafeFile::probe(file);
        struct Remove {
            QString path;
            ~Remove() {
                QDir(path).removeRecursively();
                QFile::remove(path);
            }
        } remove{file};

        ScriptedPrompter prompter;
        if (shape != u"file") {
            prompter.expectMessage(
                QStringLiteral("The settings file %1 is not a file: it is %2.  Vowline Desktop "
                               "starts with its default settings and leaves it as it is; changes "
                               "to the settings are not kept this time.")
                    .arg(file, SafeFile::describe(kind)),
                kProgramTitle, Prompter::Icon::Exclamation);
        }
        QCOMPARE(AppSettings::checkSettingsFile(prompter), shape == u"file");
        VERIFY_PROMPTS(prompter);
        if (shape == u"file")
            return;
        QCOMPARE(settingsInAChild(), 0);
        QCOMPARE(SafeFile::probe(file), kind);
        QSettings().clear(); // what the child kept for this run
    }
};

VOWLINE_TEST(TestSettingsFile)
#include "tst_settingsfile.moc"
