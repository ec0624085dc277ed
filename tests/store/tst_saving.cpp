// Saving's refusals and failures, through a stand-in window. The successful saves, Save As and
// the HotSync queue are tested through the real window (tests/app/tst_planflows.cpp).
#include "plan/appstate.h"
#include "plan/saving.h"
#include "rules/details.h"
#include "store/pdbcontainer.h"
#include "store/safefile.h"
#include "store/setwriter.h"
#include "support/failingsink.h"
#include "support/scriptedprompter.h"
#include "support/testenv.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using Schema::DbId;
using Answer = Prompter::Answer;
using Buttons = Prompter::Buttons;

namespace {

const auto kExclamation = Prompter::Icon::Exclamation;

// Answers from the script, and runs `meanwhile` once, as the first question titled `title` is
// answered: what another program does while the question is open.
class ActingPrompter : public ScriptedPrompter {
public:
    QString title;
    std::function<void()> meanwhile;

    Answer message(const QString &text, const QString &caption, Icon icon,
                   Buttons buttons) override {
        const Answer answer = ScriptedPrompter::message(text, caption, icon, buttons);
        if (caption == title && meanwhile)
            std::exchange(meanwhile, nullptr)();
        return answer;
    }
};

// A fresh program folder holding a modified default plan, with the script installed, and a
// folder to save to.
struct SaveFixture {
    TestProgramFolder program;
    AppState &s = appState();
    NoWindow window;
    ActingPrompter p;
    QTemporaryDir dir;

    SaveFixture() {
        newPlan();
        s.setPrompter(&p);
    }
    ~SaveFixture() {
        s.setPrompter(nullptr);
        s.setFileSink(nullptr);
    }
    void newPlan() {
        ScriptedPrompter quiet;
        PlanSet fresh;
        buildDefaultSet(fresh, s.server(), s.programFolder, quiet);
        s.plan.replace(std::move(fresh));
        setName(QStringLiteral("Plan"));
        s.plan.markModified();
    }
    void setName(const QString &name) {
        s.plan.applyQuietly(
            [&](PlanEdit &edit) { DetailsRecord::store(edit, Schema::Details::kOwner, name); });
    }
    void load(const QString &folder, Prompter &prompter) {
        PlanSet fresh;
        loadSetFromFolder(fresh, s.server(), folder, program.path(), prompter);
        s.plan.replace(std::move(fresh));
    }
    bool save() { return Saving::saveToFolder(s, window); }
    // Saves into `folder`, which the plan then calls its own.
    bool saveTo(const QString &folder) {
        s.currentSetFolder = folder;
        expectSavedMessage(p, folder);
        return save() && p.done();
    }
};

void expectSaveError(ScriptedPrompter &p, const QString &folder) {
    p.expectMessage(QStringLiteral("There was an error writing the files to the folder, ") +
                        folder +
                        QStringLiteral(".\rMake sure the folder is not full or write "
                                       "protected. \r"),
                    QStringLiteral("Save Error"), kExclamation)
        .prefixOnly();
}

// A guest file the plan cannot use: the bytes it holds, when it is a regular file.
QByteArray makeGuestFile(const QString &path, const QString &shape) {
    QByteArray bytes;
    if (shape == u"damaged" || shape.startsWith(u"newer")) {
        PalmDatabase db;
        db.setName(QStringLiteral("VowlGuestDB"));
        db.write(db.records().add(), "gnam", QStringLiteral("Ann"));
        bytes = db.toBytes();
        const int appInfo = qFromBigEndian<quint32>(bytes.constData() + 52);
        if (shape == u"damaged") // one flipped byte: the record's field count
            bytes[qFromBigEndian<quint32>(bytes.constData() + 78) + 1] ^= 0x5A;
        else
            qToBigEndian<quint16>(2, bytes.data() + appInfo + 4); // encoding version 2
        writeAll(path, bytes);
    } else if (shape == u"no permission") {
        bytes = "guests";
        writeAll(path, bytes);
        ::chmod(QFile::encodeName(path).constData(), 0);
    } else if (shape == u"oversized") {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.resize(Pdb::kMaxFileBytes + 1); // sparse: takes no room on the disk
    } else {
        makeNonFile(path, shape);
    }
    return bytes;
}

// Ways a "Save & Install" stops before the queue is complete; a null user is a plan name the
// user does not give. The message ends in why.
struct QueueCase {
    const char *name;
    bool jpilot;
    FailingSink::Op op;
    int call; // the save itself makes the first nine of each
    const char *user;
    const char *because;
};
const QueueCase kQueueCases[] = {
    {"fifth copy", false, FailingSink::Op::Create, 5, "Ann", "simulated failure"},
    {"full disk", false, FailingSink::Op::FullDisk, 2, "Ann", "No space left on device"},
    {"last copy into place", false, FailingSink::Op::Replace, 9, "Ann", "simulated failure"},
    {"j-pilot full disk", true, FailingSink::Op::FullDisk, 1, "Ann", "No space left on device"},
    {"j-pilot list into place", true, FailingSink::Op::Replace, 1, "Ann", "simulated failure"},
    {"unknown user", false, FailingSink::Op::Create, 99, "Nobody",
     "\"Nobody\" is not a Palm user of this computer."},
    {"no plan name", false, FailingSink::Op::Create, 99, nullptr, ""},
};

// Installing the handheld's program: its folder and file, and the user it is queued for.
const struct InstallCase {
    const char *name;
    bool folder, file;
    const char *user, *message, *title;
} kInstallCases[] = {
    {"no folder", false, false, "Ann",
     "The path containing the install files is missing.  Try installing Vowline Suite again.  If "
     "the problem persists, contact the developer.",
     "Palm Install Error"},
    {"no file", true, false, "Ann",
     "The PalmOS install file is missing from the Vowline directory.  Please reinstall Vowline "
     "Suite.  If the problem persists, contact the developer.",
     "Palm Install Error"},
    {"queued", true, true, "Ann",
     "The Vowline program application file will be installed on your PalmOS handheld during "
     "your next HotSync.\rNOTE:  No databases will be installed.  In order for the program to "
     "work correctly, please create or open a database set and install that to your handheld.",
     "Vowline Install"},
    {"unknown user", true, true, "Nobody",
     "There was an error while attempting to schedule the Vowline PalmOS application for "
     "HotSync.  Try reinstalling Vowline Desktop.  If the problem persists, contact the "
     "developer.\r\"Nobody\" is not a Palm user of this computer.",
     "Palm Install Error"},
};

} // namespace

class TestSaving : public QObject {
    Q_OBJECT
private slots:
    // Without a plan name (empty, blank or cancelled) nothing is saved.
    void noPlanNameNoSave() {
        for (const std::optional<QString> &answer :
             {std::optional<QString>(QString()), std::optional<QString>(u"   "_qs),
              std::optional<QString>()}) {
            SaveFixture t;
            t.s.currentSetFolder = t.dir.path();
            t.setName(QString());
            expectPlanNamePrompt(t.p, answer);
            QVERIFY(!t.save());
            VERIFY_PROMPTS(t.p);
            QVERIFY(t.s.plan.isModified());
            QVERIFY(QDir(t.dir.path()).isEmpty());
        }
    }

    // A user folder that exists is written over only on Yes; No (Save As instead) is tested
    // through the real window.
    void existingUserFolder() {
        for (const Answer answer : {Answer::Yes, Answer::Cancel}) {
            SaveFixture t;
            const QString smith = t.program.path() + QStringLiteral("/Users/Smith");
            QDir().mkpath(smith);
            writeAll(smith + QStringLiteral("/VowlineDB.pdb"), "older plan");
            const bool yes = answer == Answer::Yes;
            expectUserNamePrompt(t.p, QStringLiteral("Smith"));
            t.p.expectMessage(QStringLiteral("The User Name, Smith, already exists.  Do you want "
                                             "to overwrite the data?"),
                              QStringLiteral("Overwrite Data"), kExclamation, Buttons::YesNoCancel,
                              answer);
            if (yes)
                expectSavedMessage(t.p, smith);
            QCOMPARE(t.save(), yes);
            VERIFY_PROMPTS(t.p);
            QCOMPARE(t.s.currentPalmUser(), yes ? QStringLiteral("Smith") : QString());
            QCOMPARE(t.s.currentSetFolder, yes ? smith : QString());
            QCOMPARE(readAll(smith + QStringLiteral("/VowlineDB.pdb")) == "older plan", !yes);
            QCOMPARE(t.s.plan.isModified(), !yes);
        }
    }

    void badUserNames_data() {
        QTest::addColumn<QString>("user");
        QTest::newRow("slash") << QStringLiteral("a/b");
        QTest::newRow("backslash") << QStringLiteral("a\\b");
        QTest::newRow("dot dot") << QStringLiteral("..");
        QTest::newRow("dot") << QStringLiteral(".");
        QTest::newRow("leading blank") << QStringLiteral(" Smith");
        QTest::newRow("trailing blank") << QStringLiteral("Smith ");
        QTest::newRow("nul") << QStringLiteral("Sm") + QChar(0) + QStringLiteral("ith");
        QTest::newRow("blank only") << QStringLiteral("   ");
    }
    void badUserNames() {
        QFETCH(QString, user);
        SaveFixture t;
        expectUserNamePrompt(t.p, user);
        if (user.trimmed().isEmpty())
            t.p.expectMessage(QStringLiteral("Databases were NOT saved."), QStringLiteral("Error"),
                              kExclamation);
        else
            t.p.expectMessage(QStringLiteral("The User Name becomes the name of a folder"),
                              QStringLiteral("User Name"), kExclamation)
                .prefixOnly();
        QVERIFY(!t.save());
        VERIFY_PROMPTS(t.p);
        QVERIFY(t.s.currentPalmUser().isEmpty() && t.s.currentSetFolder.isEmpty());
        QVERIFY(t.s.plan.isModified());
        QVERIFY(!QFileInfo::exists(t.program.path() + QStringLiteral("/Users")));
        QVERIFY(!QFileInfo::exists(t.program.path() + QStringLiteral("/a")));
    }

    // The nine are queued as one unit: a save that ends early, an unknown user or a failure
    // part-way leaves the queue as it was, byte for byte; a success queues each file once.
    void queueIsAllOrNothing_data() { addRows(kQueueCases); }
    void queueIsAllOrNothing() {
        const QueueCase &c = currentRow(kQueueCases);
        SaveFixture t;
        QTemporaryDir palm;
        QString queue;
        if (c.jpilot) {
            QDir().mkpath(palm.path() + QStringLiteral("/backup"));
            writeAll(palm.path() + QStringLiteral("/jpilot.rc"), "user Ann\n");
            QByteArray list;
            for (int i = 0; i < 150; ++i)
                list += "/queued/earlier/file" + QByteArray::number(i) + ".pdb\n";
            writeAll(palm.path() + QStringLiteral("/jpilot.install"), list);
            t.s.server().setLocations(HotSyncLocations{QString(), palm.path()});
            queue = palm.path();
        } else {
            const QString root = makePalmDesktop(palm.path(), {"Ann"}, QStringLiteral("Ann"));
            t.s.server().setLocations(HotSyncLocations{root, QString()});
            queue = root + QStringLiteral("/Ann/Install");
            QDir().mkpath(queue);
            writeAll(queue + QStringLiteral("/VowlGuestDB.pdb"), "earlier guests");
            writeAll(queue + QStringLiteral("/Vowl_tables.pdb"), "earlier tables");
            writeAll(queue + QStringLiteral("/Other.prc"), "another program");
        }
        const auto before = snapshot(queue);
        t.s.setCurrentPalmUser(QString::fromLatin1(c.user ? c.user : "Ann"));
        t.s.currentSetFolder = t.dir.path();
        FailingSink sink(c.op, c.call, queue); // only the queue's own writes count
        t.s.setFileSink(&sink);
        if (c.user) {
            expectSavedMessage(t.p, t.dir.path());
            t.p.expectMessage(QStringLiteral("The Databases could not be scheduled for HotSync.\r"),
                              QStringLiteral("Save Error"), kExclamation)
                .prefixOnly();
        } else {
            t.setName(QString());
            expectPlanNamePrompt(t.p, std::nullopt);
        }
        QVERIFY(!Saving::installForHotSync(t.s, t.window));
        VERIFY_PROMPTS(t.p);
        QVERIFY(t.p.seen().constLast().endsWith(QString::fromUtf8(c.because)));
        QCOMPARE(snapshot(queue), before);

        t.s.setFileSink(nullptr);
        t.setName(QStringLiteral("Plan"));
        t.s.setCurrentPalmUser(QStringLiteral("Ann"));
        for (int round = 0; round < 2; ++round) { // the second queues nothing twice
            t.s.plan.markModified();
            expectSavedMessage(t.p, t.dir.path());
            t.p.expectMessage(QStringLiteral("The Vowline Databases will be installed for Ann "
                                             "during the next HotSync."),
                              kProgramTitle, Prompter::Icon::None);
            QVERIFY(Saving::installForHotSync(t.s, t.window));
            VERIFY_PROMPTS(t.p);
        }
        const QList<QByteArray> lines =
            readAll(queue + QStringLiteral("/jpilot.install")).split('\n');
        for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
            const QString saved = t.dir.path() + u'/' + info.fileName;
            if (c.jpilot)
                QCOMPARE(lines.count(saved.toUtf8()), 1);
            else
                QCOMPARE(readAll(queue + u'/' + info.fileName), readAll(saved));
        }
        if (c.jpilot)
            QCOMPARE(lines.size(), 150 + 9 + 1);
    }

    void installHandheldApplication_data() { addRows(kInstallCases); }
    void installHandheldApplication() {
        const InstallCase &c = currentRow(kInstallCases);
        SaveFixture t;
        const QString root = makePalmDesktop(t.dir.path(), {"Ann"}, QStringLiteral("Ann"));
        t.s.server().setLocations(HotSyncLocations{root, QString()});
        t.s.setCurrentPalmUser(c.user);
        const QString os = t.program.path() + QStringLiteral("/PalmOS");
        if (!c.folder)
            QVERIFY(QDir(os).removeRecursively());
        if (c.file)
            writeAll(os + QStringLiteral("/VowlineInstall.prc"), "prc");
        const bool queued = qstrcmp(c.title, "Vowline Install") == 0;
        t.p.expectMessage(c.message, c.title, queued ? Prompter::Icon::Information : kExclamation);
        Saving::installHandheldApplication(t.s);
        VERIFY_PROMPTS(t.p);
        QCOMPARE(readAll(root + QStringLiteral("/Ann/Install/VowlineInstall.prc")),
                 QByteArray(queued ? "prc" : ""));
    }

    void failedSaveKeepsThePreviousSet_data() {
        QTest::addColumn<FailingSink::Op>("op");
        QTest::addColumn<int>("call");
        QTest::newRow("fifth file") << FailingSink::Op::Create << 5;
        QTest::newRow("full disk") << FailingSink::Op::FullDisk << 2;
        QTest::newRow("keeping an old file") << FailingSink::Op::Keep << 4;
        QTest::newRow("third replace") << FailingSink::Op::Replace << 3;
        QTest::newRow("last replace") << FailingSink::Op::Replace << 9;
    }
    void failedSaveKeepsThePreviousSet() {
        QFETCH(FailingSink::Op, op);
        QFETCH(int, call);
        SaveFixture t;
        const QString dir = t.dir.path();
        QVERIFY(t.saveTo(dir));
        writeAll(dir + QStringLiteral("/Details.htm"), "report"); // not part of the set
        const auto before = snapshot(dir);

        // A fresh plan whose paths still point at the defaults, different in every file.
        t.newPlan();
        QStringList paths;
        for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
            PalmDatabase &db = t.s.plan.db(info.id);
            db.write(db.records().add(), "ownr", QStringLiteral("After"));
            paths << t.s.plan.set().path(info.id);
        }
        QVERIFY(paths.contains(t.program.defaults() + QStringLiteral("/VowlEventsM.pdb")));
        FailingSink sink(op, call);
        t.s.setFileSink(&sink);
        expectSaveError(t.p, dir);
        QVERIFY(!t.save());
        VERIFY_PROMPTS(t.p);
        if (op == FailingSink::Op::FullDisk) {
            QVERIFY(t.p.seen().last().endsWith(
                dir + QStringLiteral("/VowlGuestDB.pdb cannot be written: No space "
                                     "left on device")));
        }
        QCOMPARE(snapshot(dir), before);
        QVERIFY(t.s.plan.isModified());
        for (const Schema::DatabaseInfo &info : Schema::kDatabases)
            QCOMPARE(t.s.plan.set().path(info.id), paths.at(int(info.id)));
    }
    // A guest file the plan could not use is reported at load, and no save destroys it: what
    // could not be read stops the save, a damaged or newer file is kept under a second name.
    void filesThePlanCouldNotUse_data() {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QString>("kept"); // the second name's kind; empty: the save is refused
        for (const char *shape : {"folder", "fifo", "dangling link", "link loop",
                                  "link to /dev/zero", "oversized", "no permission"})
            QTest::newRow(shape) << shape << "";
        QTest::newRow("damaged") << "damaged"
                                 << "damaged";
        QTest::newRow("newer, kept") << "newer yes"
                                     << "newer";
        QTest::newRow("newer, declined") << "newer no"
                                         << "";
    }
    void filesThePlanCouldNotUse() {
        QFETCH(QString, shape);
        QFETCH(QString, kept);
        if (shape == u"no permission" && ::geteuid() == 0)
            QSKIP("permissions do not stop the administrator from reading");
        SaveFixture t;
        const QString dir = t.dir.path();
        writePlanFile(dir, QStringLiteral("Plan"));
        const QString guests = dir + QStringLiteral("/VowlGuestDB.pdb");
        const QByteArray bytes = makeGuestFile(guests, shape);
        const SafeFile::Kind kind = SafeFile::probe(guests);
        t.p.expectMessage(QStringLiteral("Error loading Guest Database\r"),
                          QStringLiteral("Database Error"), Prompter::Icon::Information)
            .prefixOnly();
        t.load(dir, t.p);
        VERIFY_PROMPTS(t.p);
        QVERIFY(t.p.seen().constLast().contains(QDir::toNativeSeparators(guests)));
        t.s.currentSetFolder = dir;

        const QString copy = guests + u'.' + (kept.isEmpty() ? QStringLiteral("newer") : kept) +
                             u'-' + QDate::currentDate().toString(Qt::ISODate);
        if (shape.startsWith(u"newer")) {
            t.p.expectMessage(guests + QStringLiteral(" was written by a newer version"),
                              QStringLiteral("Replace Newer File?"), kExclamation, Buttons::YesNo,
                              kept.isEmpty() ? Answer::No : Answer::Yes)
                .prefixOnly();
        } else if (kept.isEmpty()) {
            expectSaveError(t.p, dir);
        }
        if (shape == u"damaged")
            t.p.expectMessage(guests +
                                  QStringLiteral(" could not be read when this plan was "
                                                 "opened.  Before this save replaces it, it "
                                                 "is kept as ") +
                                  copy + u'.',
                              QStringLiteral("Vowline Desktop"), Prompter::Icon::Information);
        if (!kept.isEmpty())
            expectSavedMessage(t.p, dir);
        QCOMPARE(t.save(), !kept.isEmpty());
        VERIFY_PROMPTS(t.p);
        if (kept.isEmpty()) {
            QCOMPARE(SafeFile::probe(guests), kind);
            if (kind == SafeFile::Kind::Regular && bytes.size() > 0)
                QCOMPARE(readAll(guests), bytes);
            QVERIFY(!QFileInfo::exists(copy));
        } else {
            QCOMPARE(readAll(copy), bytes);
            QCOMPARE(t.s.server().OpenDatabase(guests)->records().count(), 0);
        }
    }

    // A file of the plan that another program wrote (or made) since the plan was opened is
    // overwritten only when the user says so: No saves the plan elsewhere, Cancel saves
    // nothing. A file that went away is simply written again. Written again while the question
    // is open, it is asked about again. What was written is what the plan knows then: the next
    // save asks nothing.
    void filesChangedOnDisk_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<Answer>("answer"); // Ok: no question
        QTest::newRow("rewritten, overwrite") << "rewritten" << Answer::Yes;
        QTest::newRow("rewritten again while asked") << "rewritten twice" << Answer::Yes;
        QTest::newRow("rewritten, save elsewhere") << "rewritten" << Answer::No;
        QTest::newRow("rewritten, cancel") << "rewritten" << Answer::Cancel;
        QTest::newRow("appeared, overwrite") << "appeared" << Answer::Yes;
        QTest::newRow("appeared, cancel") << "appeared" << Answer::Cancel;
        QTest::newRow("removed") << "removed" << Answer::Ok;
    }
    void filesChangedOnDisk() {
        QFETCH(QString, change);
        QFETCH(Answer, answer);
        SaveFixture t;
        QTemporaryDir other;
        const QString dir = t.dir.path();
        QVERIFY(t.saveTo(dir));
        const QString tables = dir + QStringLiteral("/Vowl_tables.pdb");
        if (change == u"appeared")
            QVERIFY(QFile::remove(tables));
        ScriptedPrompter quiet;
        t.load(dir, quiet);
        VERIFY_PROMPTS(quiet);

        // Another copy of the program adds a guest, or the first table.
        const QString changed =
            change == u"appeared" ? tables : dir + QStringLiteral("/VowlGuestDB.pdb");
        auto writeOther = [&changed](const char *name) {
            PalmDatabase db;
            db.write(db.records().add(), "gnam", QString::fromLatin1(name));
            db.save(changed);
        };
        if (change == u"removed")
            QVERIFY(QFile::remove(changed));
        else
            writeOther("Added elsewhere");
        const QByteArray theirs = readAll(changed);
        t.s.plan.markModified();
        const bool twice = change == u"rewritten twice";
        if (twice) {
            t.p.title = QStringLiteral("Files Changed on Disk");
            t.p.meanwhile = [&] {
                writeOther("Added again");
            };
        }
        for (int asked = 0; asked < (twice ? 2 : answer == Answer::Ok ? 0 : 1); ++asked) {
            t.p.expectMessage(
                QStringLiteral("Since this Wedding Plan was opened, another program has changed "
                               "its files in the folder %1: %2.  Do you want to overwrite them?\r"
                               "Yes overwrites them with this plan.  No saves this plan to another "
                               "folder instead.  Cancel saves nothing.")
                    .arg(dir, QFileInfo(changed).fileName()),
                QStringLiteral("Files Changed on Disk"), kExclamation, Buttons::YesNoCancel,
                answer);
        }
        if (answer == Answer::No)
            t.p.expectSaveFile(QStringLiteral("Save As"),
                               other.filePath(QStringLiteral("VowlineDB.pdb")));
        if (answer != Answer::Cancel)
            expectSavedMessage(t.p, answer == Answer::No ? other.path() : dir);
        QCOMPARE(t.save(), answer != Answer::Cancel);
        VERIFY_PROMPTS(t.p);
        const bool kept = answer == Answer::No || answer == Answer::Cancel;
        QCOMPARE(readAll(changed) == theirs, kept);
        if (!kept) // this plan's (empty) list, not what the other program wrote
            QCOMPARE(t.s.server().OpenDatabase(changed)->records().count(), 0);
        QCOMPARE(t.s.plan.isModified(), answer == Answer::Cancel);
        if (answer == Answer::Cancel)
            return;
        QCOMPARE(t.s.currentSetFolder, answer == Answer::No ? other.path() : dir);
        QCOMPARE(QDir(t.s.currentSetFolder).entryList(QDir::Files).size(), 9);
        t.s.plan.markModified();
        QVERIFY(t.saveTo(t.s.currentSetFolder));
    }

    // Another copy of the program is saving the folder (its lock is taken here through a
    // second descriptor): a save waits a moment, then says so and writes nothing, and opening
    // the folder waits as well; once the other copy lets go, the save goes through.
    void anotherCopyIsSaving() {
        SaveFixture t;
        const QString dir = t.dir.path();
        QVERIFY(t.saveTo(dir));
        t.s.plan.markModified();
        const QString lock = dir + QStringLiteral("/.VowlineSave.lock");
        const int other =
            ::open(QFile::encodeName(lock).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        QVERIFY(other >= 0);
        QCOMPARE(::flock(other, LOCK_EX), 0);
        const auto before = snapshot(dir);
        const auto wait = FolderLock::wait();
        FolderLock::setWait(std::chrono::milliseconds(100));
        t.p.expectMessage(QStringLiteral("Another copy of Vowline Desktop is saving this plan in "
                                         "%1 right now.  Nothing was saved; save again once that "
                                         "copy has finished.")
                              .arg(dir),
                          QStringLiteral("Save Error"), kExclamation);
        QVERIFY(!t.save());
        VERIFY_PROMPTS(t.p);
        QCOMPARE(snapshot(dir), before);
        QVERIFY(t.s.plan.isModified());
        try {
            t.load(dir, t.p);
            QFAIL("opened while another copy was saving");
        } catch (const StoreError &e) {
            QCOMPARE(e.cause(), StoreError::Cause::Busy);
        }
        FolderLock::setWait(wait);

        std::thread done([other] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ::close(other);
        });
        const bool saved = t.saveTo(dir);
        done.join();
        QVERIFY(saved);
        QVERIFY(!t.s.plan.isModified());
        QVERIFY(!QFileInfo::exists(lock));
    }

    // Where the files go, the user's choices stand: a read-only file stays, a link stays a
    // link, the program's own folders are never written, and a folder that cannot be made
    // (under a plain file) is reported.
    void targetsThatAreNotPlainFiles_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("read-only file") << "read-only";
        QTest::newRow("program folder") << "program";
        QTest::newRow("defaults folder") << "defaults";
        QTest::newRow("under a plain file") << "under a file";
        QTest::newRow("link to a file elsewhere") << "link";
    }
    void targetsThatAreNotPlainFiles() {
        QFETCH(QString, target);
        SaveFixture t;
        QTemporaryDir elsewhere;
        QString folder = t.dir.path();
        const QString guests = folder + QStringLiteral("/VowlGuestDB.pdb");
        const QString real = elsewhere.filePath(QStringLiteral("guests.pdb"));
        if (target == u"read-only") {
            writeAll(guests, "guests");
            QVERIFY(QFile::setPermissions(guests, QFile::ReadOwner | QFile::ReadGroup));
        } else if (target == u"link") {
            writeAll(real, "guests");
            QVERIFY(QFile::link(real, guests));
        } else if (target == u"under a file") {
            writeAll(guests, "x");
            folder = guests + QStringLiteral("/plan");
        } else {
            folder = target == u"program" ? t.program.path() : t.program.defaults();
        }
        const auto before = snapshot(t.dir.path());
        const auto programBefore = snapshot(folder);
        t.s.currentSetFolder = folder;
        if (target == u"link")
            expectSavedMessage(t.p, folder);
        else
            expectSaveError(t.p, folder);
        QCOMPARE(t.save(), target == u"link");
        VERIFY_PROMPTS(t.p);
        if (target == u"link") {
            QVERIFY(QFileInfo(guests).isSymLink());
            QCOMPARE(t.s.server().OpenDatabase(real)->name(), QStringLiteral("VowlGuestDB"));
            QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden),
                     QStringList{QStringLiteral("guests.pdb")});
        } else {
            QCOMPARE(snapshot(t.dir.path()), before);
            QCOMPARE(snapshot(folder), programBefore);
            QVERIFY(t.s.plan.isModified());
        }
    }

    // A plan copied through a system that changed the letter case of its names opens whole
    // and is saved back under the names it has.
    void namesInAnotherLetterCase() {
        for (const bool upper : {true, false}) {
            SaveFixture t;
            const QString dir = t.dir.path();
            PalmDatabase &guests = t.s.plan.db(DbId::Guest);
            guests.write(guests.records().add(), "gnam", QStringLiteral("Ann"));
            QVERIFY(t.saveTo(dir));
            QStringList names;
            for (const QString &name : QDir(dir).entryList(QDir::Files)) {
                names << (upper ? name.toUpper() : name.toLower());
                QVERIFY(QFile::rename(dir + u'/' + name, dir + u'/' + names.constLast()));
            }
            names.sort();

            t.newPlan();
            ScriptedPrompter quiet;
            t.load(dir, quiet);
            VERIFY_PROMPTS(quiet);
            PalmDatabase &loaded = t.s.plan.db(DbId::Guest);
            QCOMPARE(loaded.records().item(1).text("gnam"), QStringLiteral("Ann"));
            QCOMPARE(t.s.plan.db(DbId::Plan).records().count(), 1);
            loaded.write(loaded.records().add(), "gnam", QStringLiteral("Bob"));
            QVERIFY(t.saveTo(dir));
            QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name), names);
            const QString file = dir + (upper ? "/VOWLGUESTDB.PDB" : "/vowlguestdb.pdb");
            QCOMPARE(t.s.server().OpenDatabase(file)->records().count(), 2);
        }
    }
};

VOWLINE_TEST(TestSaving)
#include "tst_saving.moc"
