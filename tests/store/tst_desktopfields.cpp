// The values only this program keeps (guests' replies, meals and dietary notes, the meal list,
// the budget) ride in fields the handheld does not read: they come back from a save, a reopen
// and a round through the HotSync queue and backup, and the handheld's own fields are byte for
// byte what they are in the same plan without them.
#include "plan/appstate.h"
#include "plan/saving.h"
#include "rules/budget.h"
#include "rules/categorylookup.h"
#include "rules/details.h"
#include "rules/replies.h"
#include "store/planset.h"
#include "support/scriptedprompter.h"
#include "support/testenv.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using Replies::Reply;
using Schema::DbId;

namespace {

// The fields the handheld does not read.
bool desktopOnly(DbId db, FieldCode code) {
    switch (db) {
    case DbId::Guest:
        return code == Schema::Guest::kDeclined || code == Schema::Guest::kMeal ||
               code == Schema::Guest::kDiet;
    case DbId::Plan:
        return code == Schema::Details::kBudget || code == Schema::Details::kMeals;
    case DbId::VenTypes:
        return code == Schema::VendorType::kBudget;
    default:
        return false;
    }
}

// The same plan with or without the desktop's values; with them, they are written in between
// the handheld's fields, as the record editor writes them.
void build(PlanEdit &edit, bool desktop) {
    using namespace Schema;
    Record &details = DetailsRecord::record(edit);
    edit.write(DbId::Plan, details, Details::kDate, FieldValue(QDate(2027, 6, 12), QTime()),
               FieldKind::Date);
    if (desktop)
        Budget::setTotal(edit, QStringLiteral("20000"));
    DetailsRecord::store(edit, Details::kOwner, QStringLiteral("Ann & Bob"));
    if (desktop)
        replaceCategoryList(edit, CategoryKind::Meals, {"Fish", "Meat", "Kosher"});
    DetailsRecord::store(edit, Details::kHall, QStringLiteral("The Old Mill"));

    struct Invited {
        const char *name;
        Reply reply;
        const char *rsvp;
        const char *meal;
    };
    for (const Invited &g :
         {Invited{"Ann", Reply::Confirmed, "2", "Fish"},
          Invited{"Bob", Reply::Declined, "1", "Meat"}, Invited{"Cy", Reply::Awaiting, "", nullptr},
          Invited{"Dee", Reply::Declined, "3", nullptr}}) {
        Record &r = edit.appendRecord(DbId::Guest);
        edit.write(DbId::Guest, r, Guest::kName, QString::fromUtf8(g.name));
        edit.write(DbId::Guest, r, Guest::kRsvp, QString::fromUtf8(g.rsvp));
        const std::vector<FieldEntry> reply = Replies::replyEntries(g.reply);
        edit.writeAll(DbId::Guest, r, desktop ? reply : std::vector<FieldEntry>{reply.front()});
        if (desktop && g.meal) {
            edit.write(DbId::Guest, r, Guest::kMeal, QString::fromUtf8(g.meal));
            edit.write(DbId::Guest, r, Guest::kDiet, QStringLiteral("no nuts"));
        }
        edit.write(DbId::Guest, r, Guest::kNote, QStringLiteral("note of ") + g.name);
        edit.write(DbId::Guest, r, Guest::kThanked, false, FieldKind::Boolean);
    }

    for (const char *name : {"Florist", "Caterer"}) {
        Record &v = edit.appendRecord(DbId::Vendors);
        edit.write(DbId::Vendors, v, Vendor::kName,
                   QString::fromUtf8(name) + QStringLiteral(" Co"));
        edit.write(DbId::Vendors, v, Vendor::kService, QString::fromUtf8(name));
        edit.write(DbId::Vendors, v, Vendor::kConfirmed, true, FieldKind::Boolean);
        edit.write(DbId::Vendors, v, Vendor::kPrice, QStringLiteral("1500"));
        edit.write(DbId::Vendors, v, Vendor::kDown, QStringLiteral("200"));
        edit.write(DbId::Vendors, v, Vendor::kPaid, true, FieldKind::Boolean);
    }
    if (desktop) {
        Budget::setForService(edit, QStringLiteral("Florist"), QStringLiteral("1000"));
        Budget::setForService(edit, QStringLiteral("Harpist"), QStringLiteral("400")); // added
    } else {
        Record &type = edit.appendRecord(DbId::VenTypes);
        edit.write(DbId::VenTypes, type, Schema::VendorType::kName, QStringLiteral("Harpist"));
    }
}

// Everything comes back as it was written.
void checkDesktopValues(const PlanSet &set, const QString &where) {
    const QByteArray at = where.toUtf8();
    QStringList guests;
    for (const auto &g : set.db(DbId::Guest).records().raw())
        guests << QStringList{g->text("gnam"), Replies::replyText(Replies::replyOf(*g)),
                              g->text("gmea"), g->text("gdie")}
                      .join(u'|');
    QVERIFY2(guests == QStringList({"Ann|Confirmed|Fish|no nuts", "Bob|Declined|Meat|no nuts",
                                    "Cy|Awaiting reply||", "Dee|Declined||"}),
             at + ": " + guests.join(u',').toUtf8());
    QVERIFY2(categoryNames(set, CategoryKind::Meals) == QStringList({"Fish", "Meat", "Kosher"}),
             at);
    const Budget::Sheet sheet =
        Budget::compute(set.db(DbId::Vendors), set.db(DbId::VenTypes), set.db(DbId::Plan));
    QCOMPARE(sheet.total.budgeted, std::optional<qint64>(2000000));
    QCOMPARE(sheet.total.committed, qint64(300000));
    QCOMPARE(sheet.total.paid, qint64(40000));
    QStringList budgets;
    for (const Budget::Line &line : sheet.services) {
        if (line.budgeted)
            budgets << line.service + u' ' + QString::number(*line.budgeted) +
                           (line.overspent() ? QStringLiteral(" over") : QString());
    }
    QVERIFY2(budgets == QStringList({"Florist 100000 over", "Harpist 40000"}), at);
}

} // namespace

class TestDesktopFields : public QObject {
    Q_OBJECT
private slots:
    void savedQueuedAndBackWithTheHandheldsFieldsUntouched() {
        TestProgramFolder program;
        AppState &s = appState();
        ScriptedPrompter p;
        s.setPrompter(&p);
        NoWindow window;
        QTemporaryDir palm, without, with;
        const QString root = makePalmDesktop(palm.path(), {"Ann"}, QStringLiteral("Ann"));
        s.server().setLocations(HotSyncLocations{root, QString()});

        auto newPlan = [&](bool desktop) {
            ScriptedPrompter quiet;
            PlanSet fresh;
            buildDefaultSet(fresh, s.server(), s.programFolder, quiet);
            s.plan.replace(std::move(fresh));
            s.plan.apply(QStringLiteral("Build"), [&](PlanEdit &edit) { build(edit, desktop); });
        };

        // The plan without the desktop's values, saved to a folder.
        newPlan(false);
        s.currentSetFolder = without.path();
        expectSavedMessage(p, without.path());
        QVERIFY(Saving::saveToFolder(s, window));
        VERIFY_PROMPTS(p);

        // The same plan with them, saved and queued for Ann's next HotSync.
        newPlan(true);
        checkDesktopValues(s.plan.set(), QStringLiteral("in memory"));
        s.setCurrentPalmUser(QStringLiteral("Ann"));
        s.currentSetFolder = with.path();
        expectSavedMessage(p, with.path());
        p.expectMessage(QStringLiteral("The Vowline Databases will be installed for Ann during "
                                       "the next HotSync."),
                        kProgramTitle, Prompter::Icon::None);
        QVERIFY(Saving::installForHotSync(s, window));
        VERIFY_PROMPTS(p);

        // Reopened from its folder.
        {
            PlanSet reopened;
            loadSetFromFolder(reopened, s.server(), with.path(), program.path(), p);
            VERIFY_PROMPTS(p);
            checkDesktopValues(reopened, QStringLiteral("reopened"));
        }

        // The HotSync: the handheld takes the queued files, and backs them up as it found them.
        const QString install = root + QStringLiteral("/Ann/Install/");
        const QString backup = root + QStringLiteral("/Ann/Backup/");
        for (const Schema::DatabaseInfo &info : Schema::kDatabases)
            QVERIFY(QFile::copy(install + info.fileName, backup + info.fileName));
        PlanSet synced;
        loadSetForPalmUser(synced, s.server(), QStringLiteral("Ann"), program.path(), p);
        VERIFY_PROMPTS(p);
        checkDesktopValues(synced, QStringLiteral("from the HotSync backup"));

        // What the handheld reads: every file of the set, less the fields it does not read, is
        // byte for byte the file of the plan without them (the header's dates aside), in the
        // encoding every earlier version reads.
        int desktopFields = 0;
        for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
            const QByteArray plain = readAll(without.path() + u'/' + info.fileName);
            const QByteArray queued = readAll(backup + info.fileName);
            QVERIFY2(!plain.isEmpty() && !queued.isEmpty(), info.name.data());
            std::unique_ptr<PalmDatabase> db = PalmDatabase::fromBytes(queued, info.fileName);
            QList<Fields *> lists{&db->fieldList()};
            for (const auto &record : db->records().raw())
                lists << &record->fields();
            for (Fields *fields : lists) {
                QList<FieldCode> codes;
                for (const Field &f : *fields) {
                    if (desktopOnly(info.id, f.code()))
                        codes.append(f.code());
                }
                for (FieldCode code : codes)
                    fields->remove(code);
                desktopFields += fields == lists.front() ? 0 : int(codes.size());
            }
            const QByteArray handheld = db->toBytes();
            QCOMPARE(handheld.left(32), plain.left(32));     // name
            QCOMPARE(handheld.mid(60, 8), plain.mid(60, 8)); // type and creator
            QCOMPARE(handheld.mid(78), plain.mid(78));       // records, field list, values
            const quint32 appInfo = qFromBigEndian<quint32>(queued.constData() + 52);
            QCOMPARE(qFromBigEndian<quint16>(queued.constData() + appInfo + 4), quint16(1));
        }
        // gdec ×2, gmea ×2, gdie ×2, bdgt ×3, meal
        QCOMPARE(desktopFields, 10);
        s.setPrompter(nullptr);
    }
};

VOWLINE_TEST(TestDesktopFields)
#include "tst_desktopfields.moc"
