#include "store/appstate.h"
#include "store/planview.h"
#include "store/saving.h"
#include "store/setwriter.h"
#include "support/scriptedprompter.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Schema::DbId;
using Answer = Prompter::Answer;
using Buttons = Prompter::Buttons;

namespace {

const auto kExclamation = Prompter::Icon::Exclamation;
const auto kPlain = Prompter::Icon::None;
const QString kTitle = QStringLiteral("Vowline Desktop");
const QString kUserNameTitle = QStringLiteral("User Name");

// The window as saving sees it: records the calls and does what the details tab would do.
class FakeWindow : public PlanWindow {
public:
    QStringList calls;
    QString name;
    bool boxEnabled = false;
    QString boxText;

    void FillFilterBoxes() override { calls << QStringLiteral("FillFilterBoxes"); }
    void RefreshCaption() override { calls << QStringLiteral("RefreshCaption"); }
    void UpdateDetails() override { calls << QStringLiteral("UpdateDetails"); }
    void UpdatePartyGrid() override { calls << QStringLiteral("UpdatePartyGrid"); }
    void UpdateGuestGrid() override { calls << QStringLiteral("UpdateGuestGrid"); }
    void UpdateTableGrid() override { calls << QStringLiteral("UpdateTableGrid"); }
    void UpdateSeatingGrid() override { calls << QStringLiteral("UpdateSeatingGrid"); }
    void UpdateVendorsGrid() override { calls << QStringLiteral("UpdateVendorsGrid"); }
    void UpdateTasks() override { calls << QStringLiteral("UpdateTasks"); }
    void UpdatePayments() override { calls << QStringLiteral("UpdatePayments"); }
    void SortTasks() override { calls << QStringLiteral("SortTasks"); }

    QString planName() const override { return name; }
    void setPlanName(const QString &text) override {
        calls << QStringLiteral("setPlanName");
        name = text;
    }
    void StoreDetails() override {
        calls << QStringLiteral("StoreDetails");
        PalmDatabase &plan = appState().set.db(DbId::Plan);
        if (plan.records().count() == 0)
            plan.records().add();
        plan.write(plan.records().item(1), "ownr", name);
    }
    void StampOwner() override {
        calls << QStringLiteral("StampOwner");
        for (DbId id : {DbId::Party, DbId::Guest, DbId::Tasks, DbId::Vendors}) {
            PalmDatabase &db = appState().set.db(id);
            for (int n = 1; n <= db.records().count(); ++n)
                db.write(db.records().item(n), "ownr", name);
        }
    }
    bool palmUserBoxEnabled() const override { return boxEnabled; }
    QString palmUserBoxText() const override { return boxText; }
};

void addRecord(DbId id, std::initializer_list<std::pair<const char *, FieldValue>> values) {
    PalmDatabase &db = appState().set.db(id);
    Record &record = db.records().add();
    for (const auto &[code, value] : values) {
        const FieldKind kind = value.type() == FieldValue::Type::Boolean    ? FieldKind::Boolean
                               : value.type() == FieldValue::Type::DateTime ? FieldKind::Date
                                                                            : FieldKind::Text;
        db.write(record, FieldCode(QString::fromLatin1(code)), value, kind);
    }
}

// A modified plan with records in every database, out of name order.
void buildPlan() {
    ScriptedPrompter quiet;
    AppState &s = appState();
    buildDefaultSet(s.set, s.server, s.programFolder, quiet);
    const QDateTime june(QDate(2024, 6, 1), QTime(10, 30, 15));
    for (const char *name : {"Zed", "amy", "Bob"})
        addRecord(DbId::Party, {{"pnam", name}, {"ptyp", "Friend"}});
    addRecord(DbId::Guest, {{"gnam", "Carol"}, {"gcon", true}, {"rsvp", "3"}, {"gtag", "1"}});
    addRecord(DbId::Guest, {{"gnam", QStringLiteral("Zoë 日本")}, {"gcon", false}});
    addRecord(DbId::Guest, {{"gnam", "alice"}, {"gift", "Toaster"}, {"tnku", true}});
    addRecord(DbId::Vendors, {{"vnam", "Florist"}, {"vcos", "1200.50"}, {"ndat", june}});
    addRecord(DbId::Vendors, {{"vnam", "Baker"}, {"paid", true}, {"vnot", FieldValue()}});
    addRecord(DbId::Tasks, {{"evnt", "Book the band"}, {"alrm", june}, {"done", ""}});
    addRecord(DbId::Tables, {{"ttag", "1"}, {"maxs", "8"}, {"coun", "3"}, {"avai", "5"}});
    PalmDatabase &plan = s.set.db(DbId::Plan);
    plan.write(plan.records().item(1), "date", QDateTime(QDate(2024, 9, 14), QTime(15, 0)),
               FieldKind::Date);
    plan.write(plan.records().item(1), "bnam", "Juliet");
    s.markPlanModified();
    s.setStatusText(AppState::kUserDatabaseModified);
}

// Empty when both databases hold the same field list and records, value for value.
QString difference(const PalmDatabase &a, const PalmDatabase &b) {
    auto sameFields = [](const Fields &x, const Fields &y) {
        if (x.count() != y.count())
            return false;
        for (const Field &f : x) {
            const Field *g = y.find(f.code());
            if (!g || g->kind() != f.kind() || !(g->value() == f.value()))
                return false;
        }
        return true;
    };
    if (!sameFields(a.fieldList(), b.fieldList()))
        return QStringLiteral("field list");
    if (a.records().count() != b.records().count())
        return QStringLiteral("record count");
    for (int n = 1; n <= a.records().count(); ++n) {
        if (!sameFields(a.records().item(n).fields(), b.records().item(n).fields()))
            return QStringLiteral("record %1").arg(n);
    }
    return {};
}

QStringList names(DbId id, FieldCode code) {
    return appState().set.db(id).listValues(code);
}

// Every file of a folder, hidden ones included, with its bytes.
QMap<QString, QByteArray> snapshot(const QString &folder) {
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        files.insert(name, readAll(folder + u'/' + name));
    return files;
}

void expectSaved(ScriptedPrompter &p, const QString &folder) {
    p.expectMessage(QStringLiteral("The Vowline Databases have been saved to ") + folder, kTitle,
                    kPlain);
}

void expectSaveError(ScriptedPrompter &p, const QString &folder) {
    p.expectMessage(QStringLiteral("There was an error writing the files to the folder, ") +
                        folder +
                        QStringLiteral(".\rMake sure the folder is not full or write "
                                       "protected. \r"),
                    QStringLiteral("Save Error"), kExclamation)
        .prefixOnly();
}

// Fails the n-th call of one operation, the way a disk does.
class FailingSink : public FileSink {
public:
    enum class Op { Create, Keep, Replace, FullDisk };
    FailingSink(Op op, int n)
        : m_op(op)
        , m_n(n) {}

    void create(const QString &path, const QByteArray &bytes, const QString &target) override {
        hit(Op::Create);
        FileSink::create(path, bytes, target);
    }
    void fill(QFileDevice &file, const QByteArray &bytes) override {
        if (m_op == Op::FullDisk && ++m_calls >= m_n) {
            file.write(bytes.left(bytes.size() / 2)); // part of it lands, then the disk is full
            file.flush();
            throw StoreError(QStringLiteral("No space left on device"));
        }
        FileSink::fill(file, bytes);
    }
    void keep(const QString &path, const QString &backup) override {
        hit(Op::Keep);
        FileSink::keep(path, backup);
    }
    void replace(const QString &from, const QString &to) override {
        hit(Op::Replace);
        FileSink::replace(from, to);
    }

private:
    void hit(Op op) {
        if (op == m_op && ++m_calls == m_n)
            throw StoreError(QStringLiteral("simulated failure"));
    }
    Op m_op;
    int m_n;
    int m_calls = 0;
};

} // namespace

class TestSaving : public QObject {
    Q_OBJECT
private slots:
    void saveWritesTheWholeSet() {
        TestProgramFolder program;
        QTemporaryDir dir;
        buildPlan();
        AppState &s = appState();
        s.currentSetFolder = dir.path();
        FakeWindow window;
        // Any character may stand in a plan name; a NUL must not cut it or what follows.
        window.name = QStringLiteral("Romeo & Juliet ") + QChar(0) + QStringLiteral(" ♥");
        ScriptedPrompter p;
        expectSaved(p, dir.path());
        s.setPrompter(&p);
        QVERIFY(Saving::saveToFolder(window));
        VERIFY_PROMPTS(p);

        QVERIFY(!s.changed);
        QCOMPARE(s.statusText(), AppState::kUserDatabaseModified);
        QCOMPARE(s.currentSetFolder, dir.path());
        QCOMPARE(names(DbId::Party, "pnam"), QStringList({"amy", "Bob", "Zed"}));
        QCOMPARE(names(DbId::Guest, "gnam"),
                 QStringList({"alice", "Carol", QStringLiteral("Zoë 日本")}));
        QCOMPARE(names(DbId::Vendors, "vnam"), QStringList({"Baker", "Florist"}));
        QCOMPARE(window.calls, QStringList({"UpdatePartyGrid", "UpdateGuestGrid",
                                            "UpdateVendorsGrid", "StampOwner", "StoreDetails"}));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 9);
        for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
            const QString path = dir.path() + u'/' + info.fileName;
            QCOMPARE(s.set.path(info.id), path);
            const auto saved = s.server.OpenDatabase(path);
            QCOMPARE(saved->creator(), QStringLiteral("Vowl"));
            QCOMPARE(saved->type(), QString(info.type));
            QCOMPARE(saved->name(), QString(info.name));
            QCOMPARE(difference(*saved, s.set.db(info.id)), QString());
        }
        const auto guests = s.server.OpenDatabase(s.set.path(DbId::Guest));
        QCOMPARE(guests->records().item(3).text("ownr"), window.name);
        QVERIFY(guests->records().item(3).value("gcon") == FieldValue(false));
    }

    void planNamePrompt_data() {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::newRow("named") << std::optional<QString>(QStringLiteral("Romeo & Juliet"));
        QTest::newRow("empty") << std::optional<QString>(QString());
        QTest::newRow("cancelled") << std::optional<QString>();
    }
    void planNamePrompt() {
        QFETCH(std::optional<QString>, answer);
        TestProgramFolder program;
        QTemporaryDir dir;
        buildPlan();
        AppState &s = appState();
        s.currentSetFolder = dir.path();
        FakeWindow window;
        ScriptedPrompter p;
        p.expectMessage(QStringLiteral("You must enter a name for this Wedding Plan.  This is the "
                                       "name to be displayed on the main Vowline screen on your "
                                       "handheld."),
                        QStringLiteral("Missing Data"), kExclamation);
        p.expectInput(QStringLiteral("This Wedding Plan is for whom?\rex: Romeo & Juliet"),
                      QStringLiteral("Enter Name"), answer);
        const bool named = answer && !answer->isEmpty();
        if (named)
            expectSaved(p, dir.path());
        s.setPrompter(&p);
        QCOMPARE(Saving::saveToFolder(window), named);
        VERIFY_PROMPTS(p);
        QCOMPARE(window.calls.contains(QStringLiteral("StampOwner")), named);
        QCOMPARE(s.changed, !named);
        if (!named) {
            QVERIFY(QDir(dir.path()).isEmpty());
            return;
        }
        QCOMPARE(window.name, *answer);
        for (DbId id : {DbId::Party, DbId::Guest, DbId::Tasks, DbId::Vendors, DbId::Plan}) {
            const auto saved = s.server.OpenDatabase(s.set.path(id));
            for (int n = 1; n <= saved->records().count(); ++n)
                QCOMPARE(saved->records().item(n).text("ownr"), *answer);
        }
    }

    void perUserFolder_data() {
        QTest::addColumn<Answer>("overwrite");
        QTest::newRow("yes") << Answer::Yes;
        QTest::newRow("no runs Save As") << Answer::No;
        QTest::newRow("cancel") << Answer::Cancel;
    }
    void perUserFolder() {
        QFETCH(Answer, overwrite);
        TestProgramFolder program;
        buildPlan();
        AppState &s = appState();
        FakeWindow window;
        window.name = QStringLiteral("Smiths");
        const QString smith = program.path() + QStringLiteral("/Users/Smith");
        ScriptedPrompter p;
        s.setPrompter(&p);
        p.expectInput(QStringLiteral("Enter Vowline User Name for use with Vowline Desktop"),
                      kUserNameTitle, QStringLiteral("Smith"));
        expectSaved(p, smith);
        QVERIFY(Saving::saveToFolder(window));
        VERIFY_PROMPTS(p);
        QCOMPARE(s.currentPalmUser, QStringLiteral("Smith"));
        QCOMPARE(s.currentSetFolder, smith);
        QVERIFY(window.calls.contains(QStringLiteral("RefreshCaption")));
        QCOMPARE(snapshot(smith).size(), 9);

        // After a New the folder is forgotten: the same name meets the saved plan.
        s.currentSetFolder.clear();
        s.currentPalmUser.clear();
        s.markPlanModified();
        p.expectInput(QStringLiteral("Enter Vowline User Name for use with Vowline Desktop"),
                      kUserNameTitle, QStringLiteral("Smith"));
        p.expectMessage(QStringLiteral("The User Name, Smith, already exists.  Do you want to "
                                       "overwrite the data?"),
                        QStringLiteral("Overwrite Data"), kExclamation, Buttons::YesNoCancel,
                        overwrite);
        if (overwrite == Answer::Yes)
            expectSaved(p, smith);
        if (overwrite == Answer::No)
            p.expectSaveFile(QStringLiteral("Save As"), std::nullopt);
        QCOMPARE(Saving::saveToFolder(window), overwrite == Answer::Yes);
        VERIFY_PROMPTS(p);
        if (overwrite == Answer::No) {
            QCOMPARE(*p.lastStep()->folder, program.path());
            QCOMPARE(*p.lastStep()->filter,
                     QStringLiteral("Vowline Database Files (*.pdb)|VowlineDB.pdb"));
            QCOMPARE(p.lastStep()->defaultText, QStringLiteral("VowlineDB.pdb"));
        }
        const bool saved = overwrite == Answer::Yes;
        QCOMPARE(s.currentPalmUser, saved ? QStringLiteral("Smith") : QString());
        QCOMPARE(s.currentSetFolder, saved ? smith : QString());
        QCOMPARE(s.changed, !saved);
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
        TestProgramFolder program;
        buildPlan();
        AppState &s = appState();
        FakeWindow window;
        window.name = QStringLiteral("Plan");
        ScriptedPrompter p;
        p.expectInput(QStringLiteral("Enter Vowline User Name for use with Vowline Desktop"),
                      kUserNameTitle, user);
        if (user.trimmed().isEmpty())
            p.expectMessage(QStringLiteral("Databases were NOT saved."), QStringLiteral("Error"),
                            kExclamation);
        else
            p.expectMessage(QStringLiteral("The User Name becomes the name of a folder"),
                            kUserNameTitle, kExclamation)
                .prefixOnly();
        s.setPrompter(&p);
        QVERIFY(!Saving::saveToFolder(window));
        VERIFY_PROMPTS(p);
        QVERIFY(s.currentPalmUser.isEmpty());
        QVERIFY(s.currentSetFolder.isEmpty());
        QVERIFY(s.changed);
        QVERIFY(!QFileInfo::exists(program.path() + QStringLiteral("/Users")));
        QVERIFY(!QFileInfo::exists(program.path() + QStringLiteral("/a")));
    }

    void saveAsOverExistingSet() {
        TestProgramFolder program;
        QTemporaryDir used, fresh;
        writeAll(used.path() + QStringLiteral("/VowlineDB.pdb"), "an older plan");
        buildPlan();
        AppState &s = appState();
        FakeWindow window;
        window.name = QStringLiteral("Plan");
        ScriptedPrompter p;
        const QString overwrite = QStringLiteral("That location already contains a Vowline "
                                                 "database set.  Do you want to overwrite the "
                                                 "existing files?");
        // Cancel ends without touching anything, not even the folder of the next save.
        p.expectSaveFile(QStringLiteral("Save As"), used.path() + QStringLiteral("/VowlineDB.pdb"));
        p.expectMessage(overwrite, QStringLiteral("Overwrite?"), kExclamation, Buttons::YesNoCancel,
                        Answer::Cancel);
        s.setPrompter(&p);
        QVERIFY(!Saving::saveAs(window));
        VERIFY_PROMPTS(p);
        QVERIFY(s.currentSetFolder.isEmpty());

        // Another file name in the same folder would still write over the set there.
        p.expectSaveFile(QStringLiteral("Save As"), used.path() + QStringLiteral("/Plan.pdb"));
        p.expectMessage(overwrite, QStringLiteral("Overwrite?"), kExclamation, Buttons::YesNoCancel,
                        Answer::No);
        p.expectSaveFile(QStringLiteral("Save As"),
                         QStringLiteral("  ") + fresh.path() + QStringLiteral("/VowlineDB.pdb "));
        expectSaved(p, fresh.path());
        QVERIFY(Saving::saveAs(window));
        VERIFY_PROMPTS(p);
        QCOMPARE(readAll(used.path() + QStringLiteral("/VowlineDB.pdb")),
                 QByteArray("an older plan"));
        QCOMPARE(s.currentSetFolder, fresh.path());
        QCOMPARE(snapshot(fresh.path()).size(), 9);
    }

    void installForHotSync() {
        TestProgramFolder program;
        QTemporaryDir palm, dir;
        const QString root = makePalmDesktop(palm.path(), {"Ann"}, QStringLiteral("Ann"));
        AppState &s = appState();
        s.server.setLocations(HotSyncLocations{root, QString()});
        s.currentPalmUser = QStringLiteral("Ann");
        s.currentSetFolder = dir.path();
        buildPlan();
        FakeWindow window;
        ScriptedPrompter p;
        s.setPrompter(&p);
        const QString queue = root + QStringLiteral("/Ann/Install");

        // A save that ends early queues nothing.
        p.expectMessage(QStringLiteral("You must enter a name"), QStringLiteral("Missing Data"),
                        kExclamation)
            .prefixOnly();
        p.expectInput(QStringLiteral("This Wedding Plan is for whom?\rex: Romeo & Juliet"),
                      QStringLiteral("Enter Name"), std::nullopt);
        QVERIFY(!Saving::installForHotSync(window));
        VERIFY_PROMPTS(p);
        QVERIFY(QDir(queue).isEmpty());

        window.name = QStringLiteral("Ann & Bob");
        expectSaved(p, dir.path());
        p.expectMessage(QStringLiteral("The Vowline Databases will be installed for Ann during "
                                       "the next HotSync."),
                        kTitle, kPlain);
        QVERIFY(Saving::installForHotSync(window));
        VERIFY_PROMPTS(p);
        QVERIFY(!s.changed);
        QCOMPARE(snapshot(queue), snapshot(dir.path()));
        QCOMPARE(snapshot(queue).size(), 9);

        // A user the HotSync folders do not know cannot be scheduled.
        s.currentPalmUser = QStringLiteral("Nobody");
        expectSaved(p, dir.path());
        p.expectMessage(QStringLiteral("The Databases could not be scheduled for HotSync."),
                        QStringLiteral("Save Error"), kExclamation);
        QVERIFY(!Saving::installForHotSync(window));
        VERIFY_PROMPTS(p);
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
        TestProgramFolder program;
        QTemporaryDir palm;
        const QString root = makePalmDesktop(palm.path(), {"Ann"}, QStringLiteral("Ann"));
        AppState &s = appState();
        s.server.setLocations(HotSyncLocations{root, QString()});
        s.currentPalmUser = user;
        const QString os = program.path() + QStringLiteral("/PalmOS");
        if (!folder)
            QVERIFY(QDir(os).removeRecursively());
        if (file)
            writeAll(os + QStringLiteral("/VowlineInstall.prc"), "prc");
        ScriptedPrompter p;
        p.expectMessage(message, title,
                        title == u"Vowline Install" ? Prompter::Icon::Information : kExclamation);
        s.setPrompter(&p);
        Saving::installHandheldApplication();
        VERIFY_PROMPTS(p);
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
        TestProgramFolder program;
        QTemporaryDir dir;
        AppState &s = appState();
        FakeWindow window;
        window.name = QStringLiteral("Before");
        ScriptedPrompter p;
        s.setPrompter(&p);
        buildPlan();
        s.currentSetFolder = dir.path();
        expectSaved(p, dir.path());
        QVERIFY(Saving::saveToFolder(window));
        writeAll(dir.path() + QStringLiteral("/Details.htm"), "report"); // not part of the set
        const auto before = snapshot(dir.path());

        // A fresh plan whose paths still point at the defaults.
        buildPlan();
        QStringList paths;
        for (const Schema::DatabaseInfo &info : Schema::kDatabases)
            paths << s.set.path(info.id);
        QVERIFY(paths.contains(program.defaults() + QStringLiteral("/VowlEventsM.pdb")));
        window.name = QStringLiteral("After");
        FailingSink sink(op, call);
        Saving::ScopedFileSink useSink(sink);
        expectSaveError(p, dir.path());
        QVERIFY(!Saving::saveToFolder(window));
        VERIFY_PROMPTS(p);
        if (op == FailingSink::Op::FullDisk) {
            QVERIFY(p.seen().last().endsWith(
                dir.path() + QStringLiteral("/VowlGuestDB.pdb cannot be written: No space "
                                            "left on device")));
        }
        QCOMPARE(snapshot(dir.path()), before);
        QVERIFY(s.changed);
        for (const Schema::DatabaseInfo &info : Schema::kDatabases)
            QCOMPARE(s.set.path(info.id), paths.at(int(info.id)));
    }

    void unwritableFolders() {
        TestProgramFolder program;
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/plain-file");
        writeAll(file, "x");
        buildPlan();
        AppState &s = appState();
        s.currentSetFolder = file + QStringLiteral("/plan");
        FakeWindow window;
        window.name = QStringLiteral("Plan");
        ScriptedPrompter p;
        expectSaveError(p, s.currentSetFolder);
        s.setPrompter(&p);
        QVERIFY(!Saving::saveToFolder(window));
        VERIFY_PROMPTS(p);
        QCOMPARE(readAll(file), QByteArray("x"));
        QVERIFY(s.changed);

        // A real full disk is noticed, even when it only shows at the flush.
        QFile full(QStringLiteral("/dev/full"));
        if (full.open(QIODevice::WriteOnly)) {
            FileSink disk;
            QVERIFY_THROWS_EXCEPTION(StoreError, disk.fill(full, QByteArray(100, 'x')));
        }
    }
};

VOWLINE_TEST(TestSaving)
#include "tst_saving.moc"
