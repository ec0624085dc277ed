#include "plan/plan.h"
#include "rules/categorylookup.h"
#include "rules/details.h"
#include "rules/seating.h"
#include "rules/taskorder.h"
#include "support/testenv.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using Schema::DbId;

namespace {

const QDateTime kStamp(QDate(2027, 6, 12), QTime(10, 0));
// Codes of no database of the plan: fields a handheld may add, kept like any other.
const FieldCode kA(u"aaaa"_qs), kB(u"bbbb"_qs), kC(u"cccc"_qs), kD(u"dddd"_qs), kE(u"eeee"_qs),
    kF(u"ffff"_qs), kG(u"gggg"_qs), kH(u"hhhh"_qs), kI(u"iiii"_qs);

// The nine files as a save would write them (at one fixed time, so that only content counts).
QList<QByteArray> files(const Plan &plan) {
    QList<QByteArray> out;
    for (const Schema::DatabaseInfo &info : Schema::kDatabases)
        out << plan.db(info.id).toBytes(kStamp);
    return out;
}

// A plan of a few hundred records in every database, fields of every type, some missing.
PlanSet samplePlan(int seed) {
    QRandomGenerator random{quint32(seed)};
    PlanSet set = emptyPlanSet();
    for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
        PalmDatabase &db = set.db(info.id);
        for (int i = 0; i < 40; ++i) {
            Record &record = db.records().add();
            for (FieldCode code : {kA, kB, kC, kD, kE}) {
                if (random.bounded(4) == 0)
                    continue;
                db.write(record, code, QStringLiteral("v%1").arg(random.bounded(100)));
            }
            if (random.bounded(3) == 0)
                db.write(record, kF, random.bounded(2) == 0, FieldKind::Boolean);
            if (random.bounded(3) == 0)
                db.write(record, kG, QDateTime(QDate(2027, 1, 1).addDays(i), QTime(9, i % 60)),
                         FieldKind::Date);
        }
    }
    return set;
}

// One random change of any kind, as one step.
void randomChange(Plan &plan, QRandomGenerator &random) {
    const auto db = DbId(random.bounded(Schema::kDatabaseCount));
    const FieldCode codes[] = {kA, kB, kC, kF, kG, kH};
    const FieldCode code = codes[random.bounded(int(std::size(codes)))];
    auto pick = [&](PlanEdit &edit) -> Record * {
        Records &records = edit.db(db).records();
        return records.count() == 0 ? nullptr : &records.item(random.bounded(records.count()) + 1);
    };
    const int kind = random.bounded(14);
    plan.apply(QStringLiteral("change %1").arg(kind), [&](PlanEdit &edit) {
        switch (kind) {
        case 0:
        case 1: // write some fields of one record
            if (Record *r = pick(edit)) {
                edit.write(db, *r, code, QStringLiteral("w%1").arg(random.bounded(1000)));
                edit.write(db, *r, kF, random.bounded(2) == 0, FieldKind::Boolean);
            }
            break;
        case 2:
            if (Record *r = pick(edit))
                edit.removeField(db, *r, code);
            break;
        case 3: { // a new record, filled
            Record &r = edit.appendRecord(db);
            edit.write(db, r, code, QStringLiteral("new%1").arg(random.bounded(1000)));
            edit.write(db, r, kI, QDateTime(QDate(2028, 2, 29), QTime(0, 0)), FieldKind::Date);
            break;
        }
        case 4:
            if (Record *r = pick(edit))
                edit.removeRecord(db, *r);
            break;
        case 5:
            edit.sort(db, code);
            break;
        case 6: { // a record made apart and put in at some place
            auto record = std::make_unique<Record>();
            record->fields().add(code).setValue(QStringLiteral("apart"));
            const int count = edit.db(db).records().count();
            edit.insertRecord(db, random.bounded(count + 1), std::move(record));
            break;
        }
        case 7: // many records at once, as an import
            for (int i = 0; i < 30; ++i)
                edit.write(db, edit.appendRecord(db), code, QStringLiteral("bulk%1").arg(i));
            break;
        case 8: // a list replaced whole, as the category editor does
            replaceCategoryList(edit, CategoryKind(random.bounded(3)),
                                {QStringLiteral("Family"), QStringLiteral("line%1").arg(kind)});
            break;
        case 9: { // guests seated at a table, some beyond its seats
            Records &tables = edit.db(DbId::Tables).records();
            Records &guests = edit.db(DbId::Guest).records();
            if (tables.count() == 0 || guests.count() == 0)
                break;
            Record &table = tables.item(random.bounded(tables.count()) + 1);
            edit.write(DbId::Tables, table, Schema::Table::kTag,
                       QStringLiteral("T%1").arg(random.bounded(5)));
            std::vector<Record *> chosen;
            for (int i = 0; i < 3; ++i) {
                Record &guest = guests.item(random.bounded(guests.count()) + 1);
                edit.write(DbId::Guest, guest, Schema::Guest::kRsvp,
                           QString::number(random.bounded(4)));
                chosen.push_back(&guest);
            }
            Seating::seatAll(edit, table, chosen, [&] { return random.bounded(2) == 0; });
            break;
        }
        case 10: // a guest leaves its table
            if (Record *g = pick(edit); g && db == DbId::Guest && Seating::isSeated(*g))
                Seating::unseat(
                    edit,
                    Seating::tableWithTag(edit.db(DbId::Tables), g->text(Schema::Guest::kTable)),
                    *g);
            break;
        case 11: // a table renamed, its guests following; or deleted, its guests unseated
            if (Records &tables = edit.db(DbId::Tables).records(); tables.count() > 0) {
                Record &table = tables.item(random.bounded(tables.count()) + 1);
                if (random.bounded(2) == 0)
                    Seating::writeTable(edit, table,
                                        {QStringLiteral("T%1").arg(random.bounded(9)),
                                         QStringLiteral("by the window"), QStringLiteral("8")});
                else
                    Seating::deleteTable(edit, table);
            }
            break;
        case 12: // the tasks in timeframe order
            TaskOrder::renumberTasks(edit);
            TaskOrder::sortTasks(edit);
            break;
        default: // the details tab's fields, and the plan's name stamped on every record
            DetailsRecord::store(edit, Schema::Details::kBride, QStringLiteral("Ann"));
            DetailsRecord::store(edit, Schema::Details::kStart, QString());
            DetailsRecord::stampOwner(edit, QStringLiteral("Plan %1").arg(kind));
            break;
        }
    });
}

} // namespace

class TestPlan : public QObject {
    Q_OBJECT
private slots:
    // Whatever sequence of changes is made, undoing it all gives back the nine files byte for
    // byte, and redoing it all gives the files of the end.
    void undoAndRedoEverything_data() {
        QTest::addColumn<int>("seed");
        for (int seed : {1, 7, 42, 2027, 65535})
            QTest::addRow("seed %d", seed) << seed;
    }
    void undoAndRedoEverything() {
        QFETCH(int, seed);
        Plan plan;
        plan.replace(samplePlan(seed));
        const QList<QByteArray> start = files(plan);
        QRandomGenerator random{quint32(seed)};
        for (int i = 0; i < 200; ++i)
            randomChange(plan, random);
        const QList<QByteArray> end = files(plan);
        QVERIFY(plan.isModified());
        while (plan.history().canUndo())
            plan.history().undo();
        QCOMPARE(files(plan), start);
        QVERIFY(!plan.isModified());
        while (plan.history().canRedo())
            plan.history().redo();
        QCOMPARE(files(plan), end);
    }

    // The modified flag follows the history: back at the saved state it clears, a new step or a
    // redo sets it, a reordering alone does not, and the saved state can be left by an undo.
    void modifiedFollowsHistory() {
        Plan plan;
        plan.replace(samplePlan(3));
        QSignalSpy spy(&plan, &Plan::modifiedChanged);
        Record &first = plan.db(DbId::Guest).records().item(1);
        plan.apply("edit", [&](PlanEdit &e) { e.write(DbId::Guest, first, kA, "x"); });
        QVERIFY(plan.isModified());
        plan.history().undo();
        QVERIFY(!plan.isModified());
        plan.history().redo();
        QVERIFY(plan.isModified());
        plan.markSaved();
        QVERIFY(!plan.isModified());
        plan.apply("sort", [](PlanEdit &e) { e.sort(DbId::Guest, kB); },
                   {.marksModified = false, .mergeKey = {}});
        QVERIFY(!plan.isModified());
        plan.history().undo();
        plan.history().undo(); // behind the saved state
        QVERIFY(plan.isModified());
        QCOMPARE(spy.count(), 5);
        // A step that changes nothing is no step.
        QVERIFY(!plan.apply(
            "same", [&](PlanEdit &e) { e.write(DbId::Guest, first, kA, first.value(kA)); }));
        plan.markModified(); // handed to another Palm user
        plan.replace(samplePlan(3));
        QVERIFY(!plan.isModified());
        QVERIFY(!plan.history().canUndo());
    }

    // Typing in one box is one step; typing back to what was saved leaves no step at all.
    void typingMergesIntoOneStep() {
        Plan plan;
        plan.replace(samplePlan(5));
        Record &r = plan.db(DbId::Plan).records().item(1);
        const FieldValue saved = r.value(kA);
        const Plan::StepOptions typing{.marksModified = true, .mergeKey = QStringLiteral("box:1")};
        for (const char *text : {"A", "An", "Ann"})
            plan.apply(
                "type", [&](PlanEdit &e) { e.write(DbId::Plan, r, kA, text); }, typing);
        QCOMPARE(plan.history().count(), 1);
        plan.history().undo();
        QCOMPARE(r.value(kA), saved);
        plan.history().redo();
        QCOMPARE(r.text(kA), QStringLiteral("Ann"));
        plan.apply(
            "type", [&](PlanEdit &e) { e.write(DbId::Plan, r, kA, saved); }, typing);
        QCOMPARE(plan.history().count(), 0);
        QVERIFY(!plan.isModified());
    }

    // A change that fails halfway is taken back whole before the error reaches the caller.
    void failedChangeLeavesNothing() {
        Plan plan;
        plan.replace(samplePlan(9));
        const QList<QByteArray> before = files(plan);
        QVERIFY_THROWS_EXCEPTION(StoreError, plan.apply("fail", [](PlanEdit &e) {
            e.write(DbId::Guest, e.db(DbId::Guest).records().item(1), kA, "changed");
            e.appendRecord(DbId::Guest);
            throw StoreError(QStringLiteral("disk gone"));
        }));
        QCOMPARE(files(plan), before);
        QVERIFY(!plan.history().canUndo());
    }
};

VOWLINE_TEST(TestPlan)
#include "tst_plan.moc"
