#include "plan/appstate.h"
#include "support/scriptedprompter.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Schema::DbId;

namespace {

// The set the loads of a test fill.
PlanSet g_set;

int count(DbId id) {
    return g_set.db(id).records().count();
}

const QString kDefaultTitle = QStringLiteral("Vowline Desktop");
const auto kInfo = Prompter::Icon::Information;

} // namespace

class TestSetLoading : public QObject {
    Q_OBJECT
private slots:
    void folderWithOnlyThePlan() {
        TestProgramFolder program;
        QTemporaryDir plans;
        writePlanFile(plans.path(), QStringLiteral("Romeo & Juliet"));
        ScriptedPrompter prompter;
        PlanSet &set = g_set;
        TB4Server &server = appState().server();
        loadSetFromFolder(set, server, plans.path(), program.path(), prompter);
        VERIFY_PROMPTS(prompter);

        QVERIFY(set.isOpen());
        QCOMPARE(set.db(DbId::Plan).records().item(1).text("ownr"),
                 QStringLiteral("Romeo & Juliet"));
        for (DbId id : {DbId::Party, DbId::Guest, DbId::Vendors, DbId::Tables})
            QCOMPARE(count(id), 0);
        for (DbId id : {DbId::Tasks, DbId::RelTypes, DbId::TimeFrames, DbId::VenTypes})
            QVERIFY(count(id) > 0); // from the defaults folder
        // Every path belongs to the set's own folder, so the next save writes all nine there.
        for (const auto &info : Schema::kDatabases)
            QCOMPARE(set.path(info.id), plans.path() + u'/' + info.fileName);
    }

    void defaultSetWithoutTimeframes() {
        TestProgramFolder program;
        QVERIFY(QFile::remove(program.defaults() + QStringLiteral("/VowlTimeFrames.pdb")));
        ScriptedPrompter prompter;
        prompter.expectMessage(QStringLiteral("There are no existing Timeframes."), kDefaultTitle,
                               kInfo);
        PlanSet &set = g_set;
        TB4Server &server = appState().server();
        buildDefaultSet(set, server, program.path(), prompter);
        VERIFY_PROMPTS(prompter);
        QCOMPARE(count(DbId::TimeFrames), 0);
        QVERIFY(count(DbId::Tasks) > 0 && count(DbId::RelTypes) > 0 && count(DbId::VenTypes) > 0);
        QCOMPARE(count(DbId::Plan), 1);
        QCOMPARE(set.path(DbId::Tasks), program.defaults() + QStringLiteral("/VowlEventsM.pdb"));
        QCOMPARE(set.path(DbId::TimeFrames),
                 program.defaults() + QStringLiteral("/VowlTimeFrames.pdb"));
    }

    void taskDefaultIsTheMFile() {
        TestProgramFolder program;
        const QString d = program.defaults();
        QVERIFY(QFile::rename(d + QStringLiteral("/VowlEventsM.pdb"),
                              d + QStringLiteral("/VowlEventsDB.pdb")));
        ScriptedPrompter prompter;
        prompter.expectMessage(QStringLiteral("There are no existing Wedding Tasks."),
                               kDefaultTitle, kInfo);
        PlanSet &set = g_set;
        TB4Server &server = appState().server();
        buildDefaultSet(set, server, program.path(), prompter);
        VERIFY_PROMPTS(prompter);
        QCOMPARE(count(DbId::Tasks), 0);

        // A plan folder without a task file does not take the wrongly named one either.
        QTemporaryDir plans;
        loadSetFromFolder(set, server, plans.path(), program.path(), prompter);
        QCOMPARE(count(DbId::Tasks), 0);
    }

    void missingDefaultsFolder() {
        TestProgramFolder program(false);
        ScriptedPrompter prompter;
        for (const char *text :
             {"There are no existing Wedding Tasks.", "There are no existing Relation Types.",
              "There are no existing Timeframes.", "There are no existing Vendor Types."})
            prompter.expectMessage(QString::fromLatin1(text), kDefaultTitle, kInfo);
        PlanSet &set = g_set;
        TB4Server &server = appState().server();
        buildDefaultSet(set, server, program.path(), prompter);
        VERIFY_PROMPTS(prompter);
        QVERIFY(set.isOpen());
    }

    // A damaged file is reported (or, for the tables, passed over) and left as it was; the
    // rest of the set loads.
    void damagedFilesInASet() {
        TestProgramFolder program;
        QTemporaryDir palm;
        const QString root = makePalmDesktop(palm.path(), {"Ann"}, QStringLiteral("Ann"));
        const QString backup = root + QStringLiteral("/Ann/Backup");
        writePlanFile(backup, QStringLiteral("Ann's plan"));
        writeAll(backup + QStringLiteral("/VowlGuestDB.pdb"), "not a database");
        writeAll(backup + QStringLiteral("/Vowl_tables.pdb"), "nor this");
        PlanSet &set = g_set;
        TB4Server &server = appState().server();
        server.setLocations(HotSyncLocations{root, QString()});

        ScriptedPrompter prompter;
        prompter.expectMessage(QStringLiteral("Error loading Guest Database"),
                               QStringLiteral("Database Error"), kInfo);
        loadSetForPalmUser(set, server, QStringLiteral("Ann"), program.path(), prompter);
        VERIFY_PROMPTS(prompter); // the tables file fails without a word
        QCOMPARE(set.db(DbId::Plan).records().item(1).text("ownr"), QStringLiteral("Ann's plan"));
        QCOMPARE(count(DbId::Guest), 0);
        QCOMPARE(set.path(DbId::Guest), backup + QStringLiteral("/VowlGuestDB.pdb"));
        QCOMPARE(readAll(backup + QStringLiteral("/VowlGuestDB.pdb")),
                 QByteArray("not a database"));

        // From a local folder the message names the file.
        QTemporaryDir plans;
        writeAll(plans.filePath(QStringLiteral("VowlVendDB.pdb")), "garbage");
        prompter
            .expectMessage(QStringLiteral("Error loading Vendor Database\r"),
                           QStringLiteral("Database Error"), kInfo)
            .prefixOnly();
        loadSetFromFolder(set, server, plans.path(), program.path(), prompter);
        VERIFY_PROMPTS(prompter);
        QVERIFY(prompter.seen().constLast().contains(QStringLiteral("VowlVendDB.pdb")));
        QCOMPARE(count(DbId::Vendors), 0);
        QCOMPARE(readAll(plans.filePath(QStringLiteral("VowlVendDB.pdb"))), QByteArray("garbage"));
    }

    // A Palm user without a backup folder gets the defaults, as for missing files; nothing is
    // looked for at the file-system root.
    void palmUserWithoutBackup() {
        TestProgramFolder program;
        QTemporaryDir palm;
        PlanSet &set = g_set;
        TB4Server &server = appState().server();
        server.setLocations(HotSyncLocations{makePalmDesktop(palm.path(), {}, QString()), {}});
        ScriptedPrompter prompter;
        loadSetForPalmUser(set, server, QStringLiteral("Ann"), program.path(), prompter);
        VERIFY_PROMPTS(prompter);
        QVERIFY(count(DbId::RelTypes) > 0);
        QCOMPARE(count(DbId::Guest), 0);
        for (const Schema::DatabaseInfo &info : Schema::kDatabases)
            QVERIFY2(!set.path(info.id).startsWith(u'/' + info.fileName),
                     qPrintable(set.path(info.id)));
    }
};

VOWLINE_TEST(TestSetLoading)
#include "tst_setloading.moc"
