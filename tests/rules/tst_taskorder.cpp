#include "rules/taskorder.h"
#include "store/planset.h"
#include "support/testenv.h"

#include <QTest>
#include <optional>

namespace {

// One task: its label (evnt), timeframe, and ordr and alrm as stored; nullopt leaves the field
// out.
struct Task {
    const char *label;
    std::optional<QString> time;
    std::optional<FieldValue> order;
    std::optional<FieldValue> alarm;
};

QDateTime day(int month, int d) {
    return QDate(2026, month, d).startOfDay();
}

// The tasks, and the timeframes T1 to T`frames`, as a plan for the edit the rules work through.
PlanSet planOf(const QList<Task> &list, int frames) {
    PlanSet set = emptyPlanSet();
    PalmDatabase &timeframes = set.db(Schema::DbId::TimeFrames), &db = set.db(Schema::DbId::Tasks);
    for (int i = 1; i <= frames; ++i)
        timeframes.write(timeframes.records().add(), "time", QStringLiteral("T%1").arg(i));
    for (const Task &t : list) {
        Record &r = db.records().add();
        db.write(r, "evnt", QString::fromLatin1(t.label));
        if (t.time)
            db.write(r, "time", *t.time);
        if (t.order)
            db.write(r, "ordr", *t.order);
        if (t.alarm)
            db.write(r, "alrm", *t.alarm, FieldKind::Date);
    }
    return set;
}

} // namespace

class TestTaskOrder : public QObject {
    Q_OBJECT
private slots:
    void order() {
        const struct {
            const char *name;
            bool renumber; // from a list of twelve timeframes first
            QList<Task> tasks;
            QStringList expected;
        } cases[] = {
            {"positions past nine sort as numbers",
             true,
             {{"ten", "T10", {}, {}},
              {"two", "T2", {}, {}},
              {"twelve", "T12", {}, {}},
              {"one", "T1", {}, {}}},
             {"one", "two", "ten", "twelve"}},
            {"a later timeframe sorts later whatever its date",
             true,
             {{"third", "T3", {}, day(1, 1)},
              {"second late", "T2", {}, day(9, 1)},
              {"second early", "T2", {}, day(3, 1)}},
             {"second early", "second late", "third"}},
            {"ordr as text or number, as kept",
             false,
             {{"text 10", {}, FieldValue("10"), {}},
              {"number 3", {}, FieldValue(qint16(3)), {}},
              {"text 2", {}, FieldValue(" 2 "), {}},
              {"double 2.5", {}, FieldValue(2.5), {}}},
             {"text 2", "double 2.5", "number 3", "text 10"}},
            {"no position sorts first",
             true,
             {{"positioned", "T1", {}, {}},
              {"empty timeframe", QString(), {}, {}},
              {"text not a number", "gone", FieldValue("x"), {}},
              {"empty text", "gone", FieldValue(""), {}}},
             {"empty timeframe", "text not a number", "empty text", "positioned"}},
            {"undated after dated, however stored",
             true,
             {{"absent", "T1", {}, {}},
              {"empty text", "T1", {}, FieldValue("")},
              {"may", "T1", {}, day(5, 1)},
              {"no value", "T1", {}, FieldValue()},
              {"april as text", "T1", {}, FieldValue(QStringLiteral("2026-04-01"))},
              {"march", "T1", {}, day(3, 1)}},
             {"march", "april as text", "may", "absent", "empty text", "no value"}},
            {"an unknown timeframe keeps its old position",
             true,
             {{"renamed", "Old name", FieldValue(qint16(2)), {}},
              {"three", "T3", FieldValue(qint16(1)), {}},
              {"one", "T1", {}, {}}},
             {"one", "renamed", "three"}},
        };
        for (const auto &c : cases) {
            PlanSet set = planOf(c.tasks, 12);
            PlanEdit edit(set);
            if (c.renumber)
                TaskOrder::renumberTasks(edit);
            TaskOrder::sortTasks(edit);
            const PalmDatabase &db = set.db(Schema::DbId::Tasks);
            const QStringList labels = db.listValues("evnt");
            QVERIFY2(labels == c.expected,
                     qPrintable(c.name + (QStringLiteral(": ") + labels.join(u','))));
        }
    }

    void renumbering() {
        PlanSet set = planOf({{"a", "T2", {}, {}}, {"b", QString(), {}, {}}, {"c", {}, {}, {}}}, 3);
        PalmDatabase &frames = set.db(Schema::DbId::TimeFrames);
        frames.write(frames.records().add(), "time", QStringLiteral("T2")); // a later duplicate
        PalmDatabase &db = set.db(Schema::DbId::Tasks);
        PlanEdit edit(set);
        TaskOrder::renumberTasks(edit);
        QCOMPARE(db.fieldList().item("ordr").kind(), FieldKind::Text);
        QCOMPARE(db.records().item(1).value("ordr"), FieldValue(qint16(2)));
        // Every task gains the field; one without a known timeframe has it empty.
        QVERIFY(db.records().item(2).has("ordr") && db.records().item(2).value("ordr").isNone());
        QVERIFY(db.records().item(3).value("ordr").isNone());

        // One task at a time, as the task editor does.
        Record &c = db.records().item(3);
        db.write(c, "time", QStringLiteral("T3"));
        TaskOrder::renumberTask(edit, c);
        QCOMPARE(c.value("ordr"), FieldValue(qint16(3)));
    }
};

VOWLINE_TEST(TestTaskOrder)
#include "tst_taskorder.moc"
