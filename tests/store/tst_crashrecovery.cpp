// A save killed at any step of writing the set leaves a folder that the next load turns into
// the whole old set or the whole new set, with nothing of the save left behind.
#include "store/appstate.h"
#include "store/setwriter.h"
#include "support/failingsink.h"
#include "support/scriptedprompter.h"
#include "support/testenv.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Ends the process, the way a kill does, as it reaches its n-th file operation.
class DyingSink : public FileSink {
public:
    explicit DyingSink(int n)
        : m_n(n) {}
    void create(const QString &path, const QByteArray &bytes, const QString &target) override {
        step();
        FileSink::create(path, bytes, target);
    }
    void fill(QFileDevice &file, const QByteArray &bytes) override {
        step(); // the file exists, still empty
        FileSink::fill(file, bytes);
    }
    void keep(const QString &path, const QString &backup) override {
        step();
        FileSink::keep(path, backup);
    }
    void replace(const QString &from, const QString &to) override {
        step();
        FileSink::replace(from, to);
    }
    bool remove(const QString &path) override {
        step();
        return FileSink::remove(path);
    }
    void syncFolder(const QString &folder) override {
        step();
        FileSink::syncFolder(folder);
    }

private:
    void step() {
        if (++m_count == m_n)
            ::_exit(7);
    }
    int m_n;
    int m_count = 0;
};

// The files of a set whose every database holds one record marked `mark`; `count` of them.
std::vector<SetFile> setMarked(const QString &mark, int count) {
    std::vector<SetFile> files;
    for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
        if (int(files.size()) == count)
            break;
        PalmDatabase db;
        db.setName(QString(info.name));
        db.write(db.records().add(), "ownr", mark);
        files.push_back({QString(info.fileName), db.toBytes()});
    }
    return files;
}

} // namespace

class TestCrashRecovery : public QObject {
    Q_OBJECT
private slots:
    void killedAtEveryStep_data() {
        QTest::addColumn<int>("oldFiles");
        QTest::newRow("over a whole set") << 9;
        QTest::newRow("over a set of four files") << 4;
    }
    void killedAtEveryStep() {
        QFETCH(int, oldFiles);
        TestProgramFolder program;
        // In memory where possible: the syncs of some forty saves then cost nothing.
        QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                              ? QStringLiteral("/dev/shm/vowline-XXXXXX")
                              : QDir::tempPath() + QStringLiteral("/vowline-XXXXXX"));
        const QString folder = dir.path();
        const auto oldSet = setMarked(QStringLiteral("old"), oldFiles);
        const auto newSet = setMarked(QStringLiteral("new"), 9);
        FileSink disk;
        writeSet(folder, newSet, disk);
        const auto newFolder = snapshot(folder);

        int steps = 0;
        for (int n = 1;; ++n) {
            QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(folder));
            writeSet(folder, oldSet, disk);
            const auto oldFolder = snapshot(folder);

            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                try {
                    DyingSink dying(n);
                    writeSet(folder, newSet, dying);
                } catch (...) {
                    ::_exit(3);
                }
                ::_exit(0);
            }
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status));
            const int code = WEXITSTATUS(status);
            QVERIFY2(code == 7 || code == 0, qPrintable(QString::number(code)));

            ScriptedPrompter prompter;
            AppState &s = appState();
            loadSetFromFolder(s.set, s.server, folder, program.path(), prompter);
            VERIFY_PROMPTS(prompter);
            const auto after = snapshot(folder);
            QVERIFY2(after == oldFolder || after == newFolder,
                     qPrintable(QStringLiteral("killed at step %1: %2")
                                    .arg(n)
                                    .arg(after.keys().join(QStringLiteral(", ")))));
            const QString mark = after == newFolder ? QStringLiteral("new") : QStringLiteral("old");
            QCOMPARE(s.set.db(Schema::DbId::Party).records().item(1).text("ownr"), mark);
            if (code == 0) {
                steps = n - 1;
                break;
            }
        }
        // Nine files written, old ones kept, the journal, nine renames, the clean-up.
        QVERIFY2(steps > 9 * 2 + 9, qPrintable(QString::number(steps)));
    }
};

VOWLINE_TEST(TestCrashRecovery)
#include "tst_crashrecovery.moc"
