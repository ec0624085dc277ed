// Saving's refusals and failures, through a stand-in window. The successful saves, Save As and
// the HotSync queue are tested through the real window (tests/app/tst_planflows.cpp).
#include "plan/appstate.h"
#include "store/pdbcontainer.h"
#include "store/safefile.h"
#include "plan/saving.h"
#include "rules/details.h"
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
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using Schema::DbId;
using Answer = Prompter::Answer;
using Buttons = Prompter::Buttons;

namespace {

const auto kExclamation = Prompter::Icon::Exclamation;

class FakeWindow : public SaveHost {
public:
    bool palmUserBoxEnabled() const override { return false; }
    QString palmUserBoxText() const override { return {}; }
    void storeDetails(PlanEdit &) override {}
};

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

// A fresh program folder holding a modified default plan, with the script installed.
struct SaveFixture {
    TestProgramFolder program;
    AppState &s = appState();
    FakeWindow window;
    ActingPrompter p;

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
};

// Puts a sink under the saves of the state for its lifetime.
struct UseSink {
    UseSink(AppState &state, FileSink &sink)
        : s(state) {
        s.setFileSink(&sink);
    }
    ~UseSink() { s.setFileSink(nullptr); }
    AppState &s;
};

void expectSaveError(ScriptedPrompter &p, const QString &folder) {
    p.expectMessage(QStringLiteral("There was an error writing the files to the folder, ") +
                        folder +
                        QStringLiteral(".\rMake sure the folder is not full or write "
                                       "protected. \r"),
                    QStringLiteral("Save Error"), kExclamation)
        .prefixOnly();
}

// A guest file of another shape: the bytes it holds (when it is a regular file).
QByteArray makeGuestFile(const QString &path, const QString &shape) {
    const QByteArray name = QFile::encodeName(path);
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
        ::chmod(name.constData(), 0);
    } else if (shape == u"oversized") {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.resize(Pdb::kMaxFileBytes + 1); // sparse: takes no room on the disk
    } else if (shape == u"folder") {
        QDir().mkdir(path);
    } else if (shape == u"fifo") {
        ::mkfifo(name.constData(), 0600);
    } else if (shape == u"dangling link") {
        QFile::link(path + QStringLiteral(".gone"), path);
    } else if (shape == u"link loop") {
        QFile::link(path, path);
    } else if (shape == u"link to /dev/zero") {
        QFile::link(QStringLiteral("/dev/zero"), path);
    }
    return bytes;
}

} // namespace

class TestSaving : public QObject {
    Q_OBJECT
private slots:
    void noPlanNameNoSave_data() {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::newRow("empty") << std::optional<QString>(QString());
        QTest::newRow("blank") << std::optional<QString>(QStringLiteral("   "));
        QTest::newRow("cancelled") << std::optional<QString>();
    }
    void noPlanNameNoSave() {
        QFETCH(std::optional<QString>, answer);
        SaveFixture t;
        QTemporaryDir dir;
        t.s.currentSetFolder = dir.path();
        t.setName(QString());
        expectPlanNamePrompt(t.p, answer);
        QVERIFY(!Saving::saveToFolder(t.s, t.window));
        VERIFY_PROMPTS(t.p);
        QVERIFY(t.s.plan.isModified());
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    // No (Save As instead) is tested through the real window.
    void existingUserFolder_data() {
        QTest::addColumn<Answer>("answer");
        QTest::newRow("yes overwrites") << Answer::Yes;
        QTest::newRow("cancel") << Answer::Cancel;
    }
    void existingUserFolder() {
        QFETCH(Answer, answer);
        SaveFixture t;
        const QString smith = t.program.path() + QStringLiteral("/Users/Smith");
        QDir().mkpath(smith);
        writeAll(smith + QStringLiteral("/VowlineDB.pdb"), "older plan");
        const bool yes = answer == Answer::Yes;
        expectUserNamePrompt(t.p, QStringLiteral("Smith"));
        t.p.expectMessage(QStringLiteral("The User Name, Smith, already exists.  Do you want to "
                                         "overwrite the data?"),
                          QStringLiteral("Overwrite Data"), kExclamation, Buttons::YesNoCancel,
                          answer);
        if (yes)
            expectSavedMessage(t.p, smith);
        QCOMPARE(Saving::saveToFolder(t.s, t.window), yes);
        VERIFY_PROMPTS(t.p);
        QCOMPARE(t.s.currentPalmUser(), yes ? QStringLiteral("Smith") : QString());
        QCOMPARE(t.s.currentSetFolder, yes ? smith : QString());
        QCOMPARE(readAll(smith + QStringLiteral("/VowlineDB.pdb")) == "older plan", !yes);
        QCOMPARE(t.s.plan.isModified(), !yes);
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
        QVERIFY(!Saving::saveToFolder(t.s, t.window));
        VERIFY_PROMPTS(t.p);
        QVERIFY(t.s.currentPalmUser().isEmpty());
        QVERIFY(t.s.currentSetFolder.isEmpty());
        QVERIFY(t.s.plan.isModified());
        QVERIFY(!QFileInfo::exists(t.program.path() + QStringLiteral("/Users")));
        QVERIFY(!QFileInfo::exists(t.program.path() + QStringLiteral("/a")));
    }

    void installNeedsASavedSetAndAKnownUser() {
        SaveFixture t;
        QTemporaryDir palm, dir;
        const QString root = makePalmDesktop(palm.path(), {"Ann"}, QStringLiteral("Ann"));
        t.s.server().setLocations(HotSyncLocations{root, QString()});
        t.s.setCurrentPalmUser(QStringLiteral("Ann"));
        t.s.currentSetFolder = dir.path();

        // A save that ends early queues nothing.
        t.setName(QString());
        expectPlanNamePrompt(t.p, std::nullopt);
        QVERIFY(!Saving::installForHotSync(t.s, t.window));
        VERIFY_PROMPTS(t.p);
        QVERIFY(QDir(root + QStringLiteral("/Ann/Install")).isEmpty());

        // A user the HotSync folders do not know cannot be scheduled.
        t.setName(QStringLiteral("Ann & Bob"));
        t.s.setCurrentPalmUser(QStringLiteral("Nobody"));
        expectSavedMessage(t.p, dir.path());
        t.p.expectMessage(QStringLiteral("The Databases could not be scheduled for HotSync.\r"
                                         "\"Nobody\" is not a Palm user of this computer."),
                          QStringLiteral("Save Error"), kExclamation);
        QVERIFY(!Saving::installForHotSync(t.s, t.window));
        VERIFY_PROMPTS(t.p);
    }

    // The nine are queued as one unit: a failure part-way leaves the queue as it was, byte
    // for byte; a success queues each file once.
    void queueIsAllOrNothing_data() {
        QTest::addColumn<bool>("jpilot");
        QTest::addColumn<FailingSink::Op>("op");
        QTest::addColumn<int>("call"); // the save itself makes the first nine of each
        QTest::newRow("fifth copy") << false << FailingSink::Op::Create << 5;
        QTest::newRow("full disk") << false << FailingSink::Op::FullDisk << 2;
        QTest::newRow("last copy into place") << false << FailingSink::Op::Replace << 9;
        QTest::newRow("j-pilot full disk") << true << FailingSink::Op::FullDisk << 1;
        QTest::newRow("j-pilot list into place") << true << FailingSink::Op::Replace << 1;
    }
    void queueIsAllOrNothing() {
        QFETCH(bool, jpilot);
        QFETCH(FailingSink::Op, op);
        QFETCH(int, call);
        SaveFixture t;
        QTemporaryDir palm, dir;
        QString queue;
        if (jpilot) {
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
        t.s.setCurrentPalmUser(QStringLiteral("Ann"));
        t.s.currentSetFolder = dir.path();
        {
            FailingSink sink(op, call, queue); // only the queue's own writes count
            UseSink useSink(t.s, sink);
            expectSavedMessage(t.p, dir.path());
            t.p.expectMessage(QStringLiteral("The Databases could not be scheduled for HotSync.\r"),
                              QStringLiteral("Save Error"), kExclamation)
                .prefixOnly();
            QVERIFY(!Saving::installForHotSync(t.s, t.window));
            VERIFY_PROMPTS(t.p);
            QCOMPARE(snapshot(queue), before);
        }

        for (int round = 0; round < 2; ++round) { // the second queues nothing twice
            t.s.plan.markModified();
            expectSavedMessage(t.p, dir.path());
            t.p.expectMessage(QStringLiteral("The Vowline Databases will be installed for Ann "
                                             "during the next HotSync."),
                              kProgramTitle, Prompter::Icon::None);
            QVERIFY(Saving::installForHotSync(t.s, t.window));
            VERIFY_PROMPTS(t.p);
        }
        for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
            const QString saved = dir.path() + u'/' + info.fileName;
            if (jpilot) {
                const QList<QByteArray> lines =
                    readAll(queue + QStringLiteral("/jpilot.install")).split('\n');
                QCOMPARE(lines.count(saved.toUtf8()), 1);
                QCOMPARE(lines.size(), 150 + 9 + 1);
            } else {
                QCOMPARE(readAll(queue + u'/' + info.fileName), readAll(saved));
            }
        }
    }

    void installHandheldApplication_data() {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<bool>("file");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::newRow("no folder")
            << false << false << "Ann"
            << "The path containing the install files is missing.  Try installing Vowline Suite "
               "again.  If the problem persists, contact the developer."
            << "Palm Install Error";
        QTest::newRow("no file")
            << true << false << "Ann"
            << "The PalmOS install file is missing from the Vowline directory.  Please reinstall "
               "Vowline Suite.  If the problem persists, contact the developer."
            << "Palm Install Error";
        QTest::newRow("queued")
            << true << true << "Ann"
            << "The Vowline program application file will be installed on your PalmOS handheld "
               "during your next HotSync.\rNOTE:  No databases will be installed.  In order for "
               "the program to work correctly, please create or open a database set and install "
               "that to your handheld."
            << "Vowline Install";
        QTest::newRow("unknown user")
            << true << true << "Nobody"
            << "There was an error while attempting to schedule the Vowline PalmOS application "
               "for HotSync.  Try reinstalling Vowline Desktop.  If the problem persists, contact "
               "the developer.\r\"Nobody\" is not a Palm user of this computer."
            << "Palm Install Error";
    }
    void installHandheldApplication() {
        QFETCH(bool, folder);
        QFETCH(bool, file);
        QFETCH(QString, user);
        QFETCH(QString, message);
        QFETCH(QString, title);
        SaveFixture t;
        QTemporaryDir palm;
        const QString root = makePalmDesktop(palm.path(), {"Ann"}, QStringLiteral("Ann"));
        t.s.server().setLocations(HotSyncLocations{root, QString()});
        t.s.setCurrentPalmUser(user);
        const QString os = t.program.path() + QStringLiteral("/PalmOS");
        if (!folder)
            QVERIFY(QDir(os).removeRecursively());
        if (file)
            writeAll(os + QStringLiteral("/VowlineInstall.prc"), "prc");
        t.p.expectMessage(message, title,
                          title == u"Vowline Install" ? Prompter::Icon::Information : kExclamation);
        Saving::installHandheldApplication(t.s);
        VERIFY_PROMPTS(t.p);
        QCOMPARE(readAll(root + QStringLiteral("/Ann/Install/VowlineInstall.prc")),
                 QByteArray(file && user == u"Ann" ? "prc" : ""));
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
        QTemporaryDir dir;
        t.s.currentSetFolder = dir.path();
        expectSavedMessage(t.p, dir.path());
        QVERIFY(Saving::saveToFolder(t.s, t.window));
        writeAll(dir.path() + QStringLiteral("/Details.htm"), "report"); // not part of the set
        const auto before = snapshot(dir.path());

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
        UseSink useSink(t.s, sink);
        expectSaveError(t.p, dir.path());
        QVERIFY(!Saving::saveToFolder(t.s, t.window));
        VERIFY_PROMPTS(t.p);
        if (op == FailingSink::Op::FullDisk) {
            QVERIFY(t.p.seen().last().endsWith(
                dir.path() + QStringLiteral("/VowlGuestDB.pdb cannot be written: No space "
                                            "left on device")));
        }
        QCOMPARE(snapshot(dir.path()), before);
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
        QTemporaryDir dir;
        writePlanFile(dir.path(), QStringLiteral("Plan"));
        const QString guests = dir.filePath(QStringLiteral("VowlGuestDB.pdb"));
        const QByteArray bytes = makeGuestFile(guests, shape);
        const SafeFile::Kind kind = SafeFile::probe(guests);
        t.p.expectMessage(QStringLiteral("Error loading Guest Database\r"),
                          QStringLiteral("Database Error"), Prompter::Icon::Information)
            .prefixOnly();
        t.load(dir.path(), t.p);
        VERIFY_PROMPTS(t.p);
        QVERIFY(t.p.seen().constLast().contains(QDir::toNativeSeparators(guests)));
        t.s.currentSetFolder = dir.path();

        const QString copy = guests + u'.' + (kept.isEmpty() ? QStringLiteral("newer") : kept) +
                             u'-' + QDate::currentDate().toString(Qt::ISODate);
        if (shape.startsWith(u"newer")) {
            t.p.expectMessage(guests + QStringLiteral(" was written by a newer version"),
                              QStringLiteral("Replace Newer File?"), kExclamation, Buttons::YesNo,
                              kept.isEmpty() ? Answer::No : Answer::Yes)
                .prefixOnly();
        } else if (kept.isEmpty()) {
            expectSaveError(t.p, dir.path());
        }
        if (shape == u"damaged")
            t.p.expectMessage(guests +
                                  QStringLiteral(" could not be read when this plan was "
                                                 "opened.  Before this save replaces it, it "
                                                 "is kept as ") +
                                  copy + u'.',
                              QStringLiteral("Vowline Desktop"), Prompter::Icon::Information);
        if (!kept.isEmpty())
            expectSavedMessage(t.p, dir.path());
        QCOMPARE(Saving::saveToFolder(t.s, t.window), !kept.isEmpty());
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
    // is open, it is asked about again.
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
        QTemporaryDir dir, other;
        t.s.currentSetFolder = dir.path();
        expectSavedMessage(t.p, dir.path());
        QVERIFY(Saving::saveToFolder(t.s, t.window));
        const QString tables = dir.filePath(QStringLiteral("Vowl_tables.pdb"));
        if (change == u"appeared")
            QVERIFY(QFile::remove(tables));
        ScriptedPrompter quiet;
        t.load(dir.path(), quiet);
        VERIFY_PROMPTS(quiet);

        // Another copy of the program adds a guest, or the first table.
        const QString changed =
            change == u"appeared" ? tables : dir.filePath(QStringLiteral("VowlGuestDB.pdb"));
        if (change == u"removed") {
            QVERIFY(QFile::remove(changed));
        } else {
            PalmDatabase db;
            db.write(db.records().add(), "gnam", QStringLiteral("Added elsewhere"));
            db.save(changed);
        }
        const QByteArray theirs = readAll(changed);
        t.s.plan.markModified();
        const bool twice = change == u"rewritten twice";
        if (twice) {
            t.p.title = QStringLiteral("Files Changed on Disk");
            t.p.meanwhile = [&] {
                PalmDatabase db;
                db.write(db.records().add(), "gnam", QStringLiteral("Added again"));
                db.save(changed);
            };
        }
        for (int asked = 0; asked < (twice ? 2 : answer == Answer::Ok ? 0 : 1); ++asked) {
            t.p.expectMessage(
                QStringLiteral("Since this Wedding Plan was opened, another program has changed "
                               "its files in the folder %1: %2.  Do you want to overwrite them?\r"
                               "Yes overwrites them with this plan.  No saves this plan to another "
                               "folder instead.  Cancel saves nothing.")
                    .arg(dir.path(), QFileInfo(changed).fileName()),
                QStringLiteral("Files Changed on Disk"), kExclamation, Buttons::YesNoCancel,
                answer);
        }
        if (answer == Answer::No) {
            t.p.expectSaveFile(QStringLiteral("Save As"),
                               other.filePath(QStringLiteral("VowlineDB.pdb")));
            expectSavedMessage(t.p, other.path());
        } else if (answer != Answer::Cancel) {
            expectSavedMessage(t.p, dir.path());
        }
        QCOMPARE(Saving::saveToFolder(t.s, t.window), answer != Answer::Cancel);
        VERIFY_PROMPTS(t.p);
        const bool kept = answer == Answer::No || answer == Answer::Cancel;
        QCOMPARE(readAll(changed) == theirs, kept);
        if (!kept) // this plan's (empty) list, not what the other program wrote
            QCOMPARE(t.s.server().OpenDatabase(changed)->records().count(), 0);
        QCOMPARE(t.s.plan.isModified(), answer == Answer::Cancel);
        if (answer == Answer::Cancel)
            return;
        QCOMPARE(t.s.currentSetFolder, answer == Answer::No ? other.path() : dir.path());
        QCOMPARE(QDir(t.s.currentSetFolder).entryList(QDir::Files).size(), 9);
        // What was written is what the plan knows now: the next save asks nothing.
        t.s.plan.markModified();
        expectSavedMessage(t.p, t.s.currentSetFolder);
        QVERIFY(Saving::saveToFolder(t.s, t.window));
        VERIFY_PROMPTS(t.p);
    }

    // Another copy of the program is saving the folder (its lock is taken here through a
    // second descriptor): a save waits a moment, then says so and writes nothing, and opening
    // the folder waits as well; once the other copy lets go, the save goes through.
    void anotherCopyIsSaving() {
        SaveFixture t;
        QTemporaryDir dir;
        t.s.currentSetFolder = dir.path();
        expectSavedMessage(t.p, dir.path());
        QVERIFY(Saving::saveToFolder(t.s, t.window));
        t.s.plan.markModified();
        const int other =
            ::open(QFile::encodeName(dir.filePath(QStringLiteral(".VowlineSave.lock"))).constData(),
                   O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        QVERIFY(other >= 0);
        QCOMPARE(::flock(other, LOCK_EX), 0);
        const auto before = snapshot(dir.path());
        const auto wait = FolderLock::wait();
        FolderLock::setWait(std::chrono::milliseconds(100));
        t.p.expectMessage(QStringLiteral("Another copy of Vowline Desktop is saving this plan in "
                                         "%1 right now.  Nothing was saved; save again once that "
                                         "copy has finished.")
                              .arg(dir.path()),
                          QStringLiteral("Save Error"), kExclamation);
        QVERIFY(!Saving::saveToFolder(t.s, t.window));
        VERIFY_PROMPTS(t.p);
        QCOMPARE(snapshot(dir.path()), before);
        QVERIFY(t.s.plan.isModified());
        try {
            t.load(dir.path(), t.p);
            QFAIL("opened while another copy was saving");
        } catch (const StoreError &e) {
            QCOMPARE(e.cause(), StoreError::Cause::Busy);
        }
        FolderLock::setWait(wait);

        std::thread done([other] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ::close(other);
        });
        expectSavedMessage(t.p, dir.path());
        const bool saved = Saving::saveToFolder(t.s, t.window);
        done.join();
        QVERIFY(saved);
        VERIFY_PROMPTS(t.p);
        QVERIFY(!t.s.plan.isModified());
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral(".VowlineSave.lock"))));
    }

    // Where the files go, the user's choices stand: a read-only file stays, a link stays a
    // link, and the program's own folders are never written.
    void targetsThatAreNotPlainFiles_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("read-only file") << "read-only";
        QTest::newRow("program folder") << "program";
        QTest::newRow("defaults folder") << "defaults";
        QTest::newRow("link to a file elsewhere") << "link";
    }
    void targetsThatAreNotPlainFiles() {
        QFETCH(QString, target);
        SaveFixture t;
        QTemporaryDir dir, elsewhere;
        QString folder = dir.path();
        const QString guests = dir.filePath(QStringLiteral("VowlGuestDB.pdb"));
        const QString real = elsewhere.filePath(QStringLiteral("guests.pdb"));
        if (target == u"read-only") {
            writeAll(guests, "guests");
            QVERIFY(QFile::setPermissions(guests, QFile::ReadOwner | QFile::ReadGroup));
        } else if (target == u"link") {
            writeAll(real, "guests");
            QVERIFY(QFile::link(real, guests));
        } else {
            folder = target == u"program" ? t.program.path() : t.program.defaults();
        }
        const auto before = snapshot(folder);
        t.s.currentSetFolder = folder;
        if (target == u"link")
            expectSavedMessage(t.p, folder);
        else
            expectSaveError(t.p, folder);
        QCOMPARE(Saving::saveToFolder(t.s, t.window), target == u"link");
        VERIFY_PROMPTS(t.p);
        if (target == u"link") {
            QVERIFY(QFileInfo(guests).isSymLink());
            QCOMPARE(t.s.server().OpenDatabase(real)->name(), QStringLiteral("VowlGuestDB"));
            QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden),
                     QStringList{QStringLiteral("guests.pdb")});
        } else {
            QCOMPARE(snapshot(folder), before);
        }
    }

    // A plan copied through a system that changed the letter case of its names opens whole
    // and is saved back under the names it has.
    void namesInAnotherLetterCase_data() {
        QTest::addColumn<bool>("upper");
        QTest::newRow("upper case") << true;
        QTest::newRow("lower case") << false;
    }
    void namesInAnotherLetterCase() {
        QFETCH(bool, upper);
        SaveFixture t;
        QTemporaryDir dir;
        t.s.currentSetFolder = dir.path();
        t.s.plan.db(DbId::Guest)
            .write(t.s.plan.db(DbId::Guest).records().add(), "gnam", QStringLiteral("Ann"));
        expectSavedMessage(t.p, dir.path());
        QVERIFY(Saving::saveToFolder(t.s, t.window));
        QStringList names;
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files)) {
            names << (upper ? name.toUpper() : name.toLower());
            QVERIFY(QFile::rename(dir.filePath(name), dir.filePath(names.constLast())));
        }
        names.sort();

        t.newPlan();
        ScriptedPrompter quiet;
        t.load(dir.path(), quiet);
        VERIFY_PROMPTS(quiet);
        QCOMPARE(t.s.plan.db(DbId::Guest).records().item(1).text("gnam"), QStringLiteral("Ann"));
        QCOMPARE(t.s.plan.db(DbId::Plan).records().count(), 1);
        t.s.plan.db(DbId::Guest)
            .write(t.s.plan.db(DbId::Guest).records().add(), "gnam", QStringLiteral("Bob"));
        expectSavedMessage(t.p, dir.path());
        QVERIFY(Saving::saveToFolder(t.s, t.window));
        VERIFY_PROMPTS(t.p);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), names);
        QCOMPARE(
            t.s.server().OpenDatabase(dir.filePath(upper ? "VOWLGUESTDB.PDB" : "vowlguestdb.pdb"))
                ->records()
                .count(),
            2);
    }

    void unwritableFolders() {
        SaveFixture t;
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/plain-file");
        writeAll(file, "x");
        t.s.currentSetFolder = file + QStringLiteral("/plan");
        expectSaveError(t.p, t.s.currentSetFolder);
        QVERIFY(!Saving::saveToFolder(t.s, t.window));
        VERIFY_PROMPTS(t.p);
        QCOMPARE(readAll(file), QByteArray("x"));
        QVERIFY(t.s.plan.isModified());

        // A real full disk is noticed, even when it only shows at the flush.
        QFile full(QStringLiteral("/dev/full"));
        if (full.open(QIODevice::WriteOnly)) {
            FileSink disk;
            QVERIFY_THROWS_EXCEPTION(StoreError, disk.fill(full, QByteArray(100, 'x')));
        }
        // A file is never written over anything but a file: replacing a pipe or device would
        // put a plain file in its place.
        const QString pipe = dir.filePath(QStringLiteral("pipe"));
        if (::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0) {
            QVERIFY_THROWS_EXCEPTION(StoreError,
                                     SafeFile::writeAtomically(pipe, QByteArray(100, 'x')));
            QCOMPARE(SafeFile::probe(pipe), SafeFile::Kind::Special);
        }
    }

    // On a small real file system the first write stops short and only the next says why: the
    // message gives the system's words.
    void fullDiskInTheSystemsWords() {
        QTemporaryDir dir;
        const QByteArray mountPoint = QFile::encodeName(dir.path());
        if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("a small file system cannot be mounted here");
        struct Unmount {
            QByteArray at;
            ~Unmount() { ::umount2(at.constData(), MNT_DETACH); }
        } unmount{mountPoint};
        SaveFixture t;
        t.s.currentSetFolder = dir.path();
        PalmDatabase &guests = t.s.plan.db(DbId::Guest);
        for (int i = 0; i < 2000; ++i)
            guests.write(guests.records().add(), "gnam", QStringLiteral("Guest number %1").arg(i));
        expectSaveError(t.p, dir.path());
        QVERIFY(!Saving::saveToFolder(t.s, t.window));
        VERIFY_PROMPTS(t.p);
        QVERIFY2(t.p.seen().constLast().endsWith(QStringLiteral("No space left on device")),
                 qPrintable(t.p.seen().constLast()));
        QVERIFY(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }
};

VOWLINE_TEST(TestSaving)
#include "tst_saving.moc"
