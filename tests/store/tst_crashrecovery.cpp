// A save or a HotSync queue killed at any step leaves a folder that the next load (or the next
// start) turns into the whole old set or the whole new set, with nothing of it left behind,
// also when the folder has been moved since; two copies writing one folder never break it.
#include "plan/appstate.h"
#include "store/setwriter.h"
#include "store/tb4server.h"
#include "support/failingsink.h"
#include "support/scriptedprompter.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The files of a set whose every database holds one record marked `mark`; `count` of them,
// named in upper case when the set was copied through a system that changed the case.
std::vector<SetFile> setMarked(const QString &mark, int count, bool upper = false) {
    std::vector<SetFile> files;
    for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
        if (int(files.size()) == count)
            break;
        PalmDatabase db;
        db.setName(QString(info.name));
        db.write(db.records().add(), "ownr", mark);
        const QString name(info.fileName);
        files.push_back({upper ? name.toUpper() : name, db.toBytes()});
    }
    return files;
}

// Dies at its n-th file operation, as a kill ends the program; with `failing`, the save's
// ninth rename fails first, after the save counted as done, so that the later steps kill the
// putting back of the old files.
class KilledSink : public FailingSink {
public:
    KilledSink(int n, bool failing)
        : FailingSink(Op::Any, n, {}, true)
        , m_failing(failing) {}
    void replace(const QString &from, const QString &to) override {
        if (m_failing && ++m_replaces == 9)
            throw StoreError(QStringLiteral("simulated failure"));
        FailingSink::replace(from, to);
    }

private:
    bool m_failing;
    int m_replaces = 0;
};

// A folder in memory where possible: the syncs of some forty saves then cost nothing.
QString fastTempTemplate() {
    return QFileInfo(QStringLiteral("/dev/shm")).isWritable()
               ? QStringLiteral("/dev/shm/vowline-XXXXXX")
               : QDir::tempPath() + QStringLiteral("/vowline-XXXXXX");
}

// Rewrites a journal the way the previous version wrote it: absolute names throughout.
void makeJournalAbsolute(const QString &folder) {
    const QString path = folder + QStringLiteral("/.VowlineSave.journal");
    QByteArray text = readAll(path);
    if (text.isEmpty())
        return;
    QList<QByteArray> lines = text.split('\n');
    lines[0].replace("VowlineSave 2 ", "VowlineSave 1 ");
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QList<QByteArray> parts = lines[i].split('\t');
        for (QByteArray &part : parts) {
            if (!part.isEmpty() && !part.startsWith('/'))
                part = QFile::encodeName(folder) + '/' + part;
        }
        lines[i] = parts.join('\t');
    }
    writeAll(path, lines.join('\n'));
}

// Runs `work` in a child process that dies at its n-th file operation; the exit code: 7 when
// killed, 3 when the work failed, 0 when it was done.
int killedAt(int n, const std::function<void(FileSink &)> &work, bool failing = false) {
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            KilledSink dying(n, failing);
            work(dying);
        } catch (...) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

class TestCrashRecovery : public QObject {
    Q_OBJECT
private slots:
    // Killed at every step, then opened where it was or from where it has been moved to (the
    // journal names its files relative to its folder; one of the previous version, with
    // absolute names, is read the same way), with one file a link to a file elsewhere, beside
    // which the save works, with names in another letter case, and while a save that failed
    // after it counted as done puts the old files back.
    void killedAtEveryStep_data() {
        QTest::addColumn<int>("oldFiles");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<bool>("absoluteJournal");
        QTest::addColumn<bool>("linked");
        QTest::addColumn<bool>("upper");
        QTest::addColumn<bool>("failing");
        QTest::newRow("over a whole set") << 9 << false << false << false << false << false;
        QTest::newRow("over a set of four files") << 4 << false << false << false << false << false;
        QTest::newRow("folder moved") << 9 << true << false << false << false << false;
        QTest::newRow("folder moved, older journal")
            << 9 << true << true << false << false << false;
        QTest::newRow("one file linked from elsewhere")
            << 9 << false << false << true << false << false;
        QTest::newRow("linked, folder moved") << 9 << true << false << true << false << false;
        QTest::newRow("names in upper case") << 9 << false << false << false << true << false;
        QTest::newRow("killed putting back") << 9 << false << false << false << false << true;
    }
    void killedAtEveryStep() {
        QFETCH(int, oldFiles);
        QFETCH(bool, moved);
        QFETCH(bool, absoluteJournal);
        QFETCH(bool, linked);
        QFETCH(bool, upper);
        QFETCH(bool, failing);
        TestProgramFolder program;
        QTemporaryDir dir(fastTempTemplate());
        const QString folder = dir.filePath(QStringLiteral("plan"));
        const QString movedTo = dir.filePath(QStringLiteral("moved plan"));
        const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
        const auto oldSet = setMarked(QStringLiteral("old"), oldFiles, upper);
        const auto newSet = setMarked(QStringLiteral("new"), 9, upper);
        FileSink disk;
        // The folder as the old set left it, and what the new set makes of it.
        auto prepare = [&] {
            QDir(folder).removeRecursively();
            QDir(movedTo).removeRecursively();
            QDir(elsewhere).removeRecursively();
            QDir().mkpath(folder);
            QDir().mkpath(elsewhere);
            if (linked) {
                writeAll(elsewhere + QStringLiteral("/guests.pdb"), oldSet[1].bytes);
                QFile::link(elsewhere + QStringLiteral("/guests.pdb"),
                            folder + u'/' + oldSet[1].fileName);
            }
            writeSet(folder, oldSet, disk);
        };
        prepare();
        writeSet(folder, newSet, disk);
        const auto newFolder = snapshot(folder);
        const auto newElsewhere = snapshot(elsewhere);

        int steps = 0;
        for (int n = 1;; ++n) {
            prepare();
            const auto oldFolder = snapshot(folder);
            const auto oldElsewhere = snapshot(elsewhere);
            const int code = killedAt(
                n, [&](FileSink &dying) { writeSet(folder, newSet, dying); }, failing);
            const int done = failing ? 3 : 0; // the save failed, or was done
            QVERIFY2(code == 7 || code == done, qPrintable(QString::number(code)));
            if (absoluteJournal)
                makeJournalAbsolute(folder);
            QString opened = folder;
            if (moved) {
                QVERIFY(QDir().rename(folder, movedTo));
                opened = movedTo;
            }

            ScriptedPrompter prompter;
            PlanSet loaded;
            loadSetFromFolder(loaded, appState().server(), opened, program.path(), prompter);
            VERIFY_PROMPTS(prompter);
            const auto after = snapshot(opened);
            const bool isNew = after == newFolder && snapshot(elsewhere) == newElsewhere;
            const bool isOld = after == oldFolder && snapshot(elsewhere) == oldElsewhere;
            QVERIFY2(isNew || isOld,
                     qPrintable(QStringLiteral("killed at step %1: %2 | %3")
                                    .arg(n)
                                    .arg(after.keys().join(QStringLiteral(", ")),
                                         snapshot(elsewhere).keys().join(QStringLiteral(", ")))));
            const QString mark = isNew ? QStringLiteral("new") : QStringLiteral("old");
            QCOMPARE(loaded.db(Schema::DbId::Party).records().item(1).text("ownr"), mark);
            if (linked)
                QCOMPARE(loaded.db(Schema::DbId::Guest).records().item(1).text("ownr"), mark);
            if (code == done) {
                QVERIFY(failing ? isOld : isNew);
                steps = n - 1;
                break;
            }
        }
        // Nine files written, old ones kept, the journal, nine renames, the clean-up.
        QVERIFY2(steps > 9 * 2 + 9, qPrintable(QString::number(steps)));
    }

    // "Save & Install" killed at every step of queuing: when the program starts again the
    // queue holds the whole new set or exactly what it held before, and nothing else.
    void queueKilledAtEveryStep_data() {
        QTest::addColumn<bool>("jpilot");
        QTest::newRow("Palm Desktop") << false;
        QTest::newRow("J-Pilot") << true;
    }
    void queueKilledAtEveryStep() {
        QFETCH(bool, jpilot);
        TestProgramFolder program;
        QTemporaryDir dir(fastTempTemplate());
        const QString plan = dir.filePath(QStringLiteral("plan"));
        QDir().mkpath(plan);
        FileSink disk;
        writeSet(plan, setMarked(QStringLiteral("new"), 9), disk);
        QStringList paths;
        for (const Schema::DatabaseInfo &info : Schema::kDatabases)
            paths << plan + u'/' + info.fileName;

        HotSyncLocations where;
        QString queue;
        auto prepare = [&] {
            QDir(dir.filePath(QStringLiteral("palm"))).removeRecursively();
            if (jpilot) {
                queue = dir.filePath(QStringLiteral("palm/.jpilot"));
                QDir().mkpath(queue + QStringLiteral("/backup"));
                writeAll(queue + QStringLiteral("/jpilot.rc"), "user Ann\n");
                writeAll(queue + QStringLiteral("/jpilot.install"), "/queued/earlier.prc\n");
                where = HotSyncLocations{QString(), queue};
            } else {
                const QString root = makePalmDesktop(dir.filePath(QStringLiteral("palm")), {"Ann"},
                                                     QStringLiteral("Ann"));
                queue = root + QStringLiteral("/Ann/Install");
                QDir().mkpath(queue);
                writeAll(queue + QStringLiteral("/VowlGuestDB.pdb"), "earlier guests");
                writeAll(queue + QStringLiteral("/Other.prc"), "another program");
                where = HotSyncLocations{root, QString()};
            }
        };
        prepare();
        TB4Server(where).PalmInstallFiles(QStringLiteral("Ann"), paths, disk);
        const auto newQueue = snapshot(queue);

        int steps = 0;
        for (int n = 1;; ++n) {
            prepare();
            const auto oldQueue = snapshot(queue);
            const int code = killedAt(n, [&](FileSink &dying) {
                TB4Server(where).PalmInstallFiles(QStringLiteral("Ann"), paths, dying);
            });
            QVERIFY2(code == 7 || code == 0, qPrintable(QString::number(code)));
            TB4Server restarted(where);
            const auto after = snapshot(queue);
            QVERIFY2(after == oldQueue || after == newQueue,
                     qPrintable(QStringLiteral("killed at step %1: %2")
                                    .arg(n)
                                    .arg(after.keys().join(QStringLiteral(", ")))));
            if (code == 0) {
                steps = n - 1;
                break;
            }
        }
        QVERIFY2(steps > (jpilot ? 4 : 9 * 2 + 9), qPrintable(QString::number(steps)));
    }

    // Two copies of the program writing one folder at the same time: each waits for the other,
    // neither fails, and the folder always holds one whole set.
    void twoCopiesWriteOneFolder() {
        QTemporaryDir dir(fastTempTemplate());
        const QString folder = dir.path();
        const auto mine = setMarked(QStringLiteral("mine"), 9);
        const auto theirs = setMarked(QStringLiteral("theirs"), 9);
        constexpr int kRounds = 100;
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            char go = 0;
            if (::read(ready[0], &go, 1) != 1)
                ::_exit(2);
            int failures = 0;
            FileSink disk;
            for (int i = 0; i < kRounds; ++i) {
                try {
                    writeSet(folder, theirs, disk);
                } catch (const StoreError &) {
                    ++failures;
                }
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
        QStringList failures;
        FileSink disk;
        QCOMPARE(::write(ready[1], "g", 1), 1); // both start together
        for (int i = 0; i < kRounds; ++i) {
            try {
                writeSet(folder, mine, disk);
            } catch (const StoreError &error) {
                failures << error.description();
            }
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        ::close(ready[0]);
        ::close(ready[1]);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        const auto after = snapshot(folder);
        QCOMPARE(after.size(), 9);
        QMap<QString, QByteArray> expectMine, expectTheirs;
        for (int i = 0; i < 9; ++i) {
            expectMine.insert(mine[i].fileName, mine[i].bytes);
            expectTheirs.insert(theirs[i].fileName, theirs[i].bytes);
        }
        QVERIFY(after == expectMine || after == expectTheirs);
    }
};

VOWLINE_TEST(TestCrashRecovery)
#include "tst_crashrecovery.moc"
