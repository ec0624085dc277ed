#include "plan/appstate.h"
#include "support/scriptedprompter.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Schema::DbId;

namespace {

const QString kDefaultTitle = QStringLiteral("Vowline Desktop");
const auto kInfo = Prompter::Icon::Information;

int count(const PlanSet &set, DbId id) {
    return set.db(id).records().count();
}

} // namespace

class TestSetLoading : public QObject {
    Q_OBJECT
private slots:
    void folderWithOnlyThePlan() {
        TestProgramFolder program;
        QTemporaryDir plans;
        writePlanFile(plans.path(), QStringLiteral("Romeo & Juliet"));
        ScriptedPrompter prompter;
        PlanSet set;
        loadSetFromFolder(set, appState().server(), plans.path(), program.path(), prompter);
        VERIFY_PROMPTS(prompter);
        QCOMPARE(set.db(DbId::Plan).records().item(1).text("ownr"),
                 QStringLiteral("Romeo & Juliet"));
        for (DbId id : {DbId::Party, DbId::Guest, DbId::Vendors, DbId::Tables})
            QCOMPARE(count(set, id), 0);
        for (DbId id : {DbId::Tasks, DbId::RelTypes, DbId::TimeFrames, DbId::VenTypes})
            QVERIFY(count(set, id) > 0); // from the defaults folder
        // Every path belongs to the set's own folder, so the next save writes all nine there.
        for (const auto &info : Schema::kDatabases)
            QCOMPARE(set.path(info.id), plans.path() + u'/' + info.fileName);
    }

    // What the defaults folder lacks is an empty list, each with its message, and the paths
    // still name the defaults. Tasks come from VowlEventsM.pdb only, never from a file under
    // the plan's own name, in the defaults or in a plan folder.
    void missingDefaults() {
        const QString tasks = QStringLiteral("There are no existing Wedding Tasks."),
                      frames = QStringLiteral("There are no existing Timeframes.");
        const struct {
            const char *gone; // renamed to VowlEventsDB.pdb; null: no defaults folder at all
            QStringList messages;
            DbId empty;
        } rows[] = {
            {"VowlTimeFrames.pdb", {frames}, DbId::TimeFrames},
            {"VowlEventsM.pdb", {tasks}, DbId::Tasks},
            {nullptr,
             {tasks, "There are no existing Relation Types.", frames,
              "There are no existing Vendor Types."},
             DbId::VenTypes},
        };
        for (const auto &r : rows) {
            TestProgramFolder program(r.gone != nullptr);
            const QString d = program.defaults() + u'/';
            if (r.gone)
                QVERIFY(QFile::rename(d + r.gone, d + QStringLiteral("VowlEventsDB.pdb")));
            ScriptedPrompter prompter;
            for (const QString &message : r.messages)
                prompter.expectMessage(message, kDefaultTitle, kInfo);
            PlanSet set;
            buildDefaultSet(set, appState().server(), program.path(), prompter);
            VERIFY_PROMPTS(prompter);
            QVERIFY(set.isOpen());
            QCOMPARE(count(set, r.empty), 0);
            QCOMPARE(count(set, DbId::Plan), 1);
            if (!r.gone)
                continue;
            QVERIFY(count(set, DbId::RelTypes) > 0 && count(set, DbId::VenTypes) > 0);
            QCOMPARE(set.path(DbId::Tasks), d + QStringLiteral("VowlEventsM.pdb"));
            QCOMPARE(set.path(DbId::TimeFrames), d + QStringLiteral("VowlTimeFrames.pdb"));
            if (r.empty == DbId::Tasks) {
                QTemporaryDir plans;
                loadSetFromFolder(set, appState().server(), plans.path(), program.path(), prompter);
                QCOMPARE(count(set, DbId::Tasks), 0);
            }
        }
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
        PlanSet set;
        TB4Server &server = appState().server();
        server.setLocations(HotSyncLocations{root, QString()});

        ScriptedPrompter prompter;
        prompter.expectMessage(QStringLiteral("Error loading Guest Database"),
                               QStringLiteral("Database Error"), kInfo);
        loadSetForPalmUser(set, server, QStringLiteral("Ann"), program.path(), prompter);
        VERIFY_PROMPTS(prompter); // the tables file fails without a word
        QCOMPARE(set.db(DbId::Plan).records().item(1).text("ownr"), QStringLiteral("Ann's plan"));
        QCOMPARE(count(set, DbId::Guest), 0);
        QCOMPARE(set.path(DbId::Guest), backup + QStringLiteral("/VowlGuestDB.pdb"));
        QCOMPARE(readAll(backup + QStringLiteral("/VowlGuestDB.pdb")),
                 QByteArray("not a database"));

        // From a local folder the message names the file.
        QTemporaryDir plans;
        const QString vendors = plans.filePath(QStringLiteral("VowlVendDB.pdb"));
        writeAll(vendors, "garbage");
        prompter
            .expectMessage(QStringLiteral("Error loading Vendor Database\r"),
                           QStringLiteral("Database Error"), kInfo)
            .prefixOnly();
        loadSetFromFolder(set, server, plans.path(), program.path(), prompter);
        VERIFY_PROMPTS(prompter);
        QVERIFY(prompter.seen().constLast().contains(vendors));
        QCOMPARE(count(set, DbId::Vendors), 0);
        QCOMPARE(readAll(vendors), QByteArray("garbage"));
    }

    // A Palm user without a backup folder gets the defaults, as for missing files; nothing is
    // looked for at the file-system root.
    void palmUserWithoutBackup() {
        TestProgramFolder program;
        QTemporaryDir palm;
        PlanSet set;
        TB4Server &server = appState().server();
        server.setLocations(HotSyncLocations{makePalmDesktop(palm.path(), {}, QString()), {}});
        ScriptedPrompter prompter;
        loadSetForPalmUser(set, server, QStringLiteral("Ann"), program.path(), prompter);
        VERIFY_PROMPTS(prompter);
        QVERIFY(count(set, DbId::RelTypes) > 0);
        QCOMPARE(count(set, DbId::Guest), 0);
        for (const Schema::DatabaseInfo &info : Schema::kDatabases)
            QVERIFY2(!set.path(info.id).startsWith(u'/' + info.fileName),
                     qPrintable(set.path(info.id)));
    }
};

VOWLINE_TEST(TestSetLoading)
#include "tst_setloading.moc"
