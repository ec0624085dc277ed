#include "rules/categorylookup.h"
#include "store/planedit.h"
#include "store/planset.h"
#include "support/testenv.h"

#include <QTest>

class TestCategoryLookup : public QObject {
    Q_OBJECT
private slots:
    void lookup_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expected");
        const char *rows[][4] = {
            // name, typed, kind, expected
            {"first of two matches", "fr", "relation", "Friend"},
            {"longer prefix", "friends", "relation", "FRIENDS FROM WORK"},
            {"kind ignores case", "f", "Vendor", "Florist"},
            {"timeframes", "6", "TIME", "6 Months Before"},
            {"no match", "z", "vendor", ""},
            {"longer than any name", "Floristry", "vendor", ""},
            {"empty text", "", "vendor", ""},
            {"unknown kind", "f", "guest", ""},
            {"lists kept apart", "c", "relation", ""},
            {"meals (the starter list)", "ve", "meal", "Vegetarian"},
            {"meal kind ignores case", "c", "MEAL", "Children's meal"},
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << row[2] << row[3];
    }
    void lookup() {
        QFETCH(QString, typed);
        QFETCH(QString, kind);
        QFETCH(QString, expected);
        QCOMPARE(categoryLookup(PlanSet(), typed, kind), QString()); // no plan open: no throw
        PlanSet set = emptyPlanSet();
        auto fill = [&set](Schema::DbId id, FieldCode code, const QStringList &names) {
            PalmDatabase &db = set.db(id);
            db.records().add(); // a record without a name is passed over
            for (const QString &name : names)
                db.write(db.records().add(), code, name);
        };
        fill(Schema::DbId::RelTypes, "type", {"Bride's Family", "Friend", "FRIENDS FROM WORK"});
        fill(Schema::DbId::VenTypes, "type", {"Caterer", "Florist"});
        fill(Schema::DbId::TimeFrames, "time", {"12 Months Before", "6 Months Before"});
        QCOMPARE(categoryLookup(set, typed, kind), expected);
    }

    // The meal list is one field of the details record, a name a line: absent, the starter
    // meals; empty, none. Writing it back changes nothing when the list is the same, and a
    // name cannot break into two lines.
    void mealList() {
        PlanSet set = emptyPlanSet();
        QCOMPARE(categoryNames(set, CategoryKind::Meals), defaultMeals());
        {
            PlanEdit edit(set);
            replaceCategoryList(edit, CategoryKind::Meals, defaultMeals());
            QVERIFY(edit.isEmpty());
        }
        PalmDatabase &plan = set.db(Schema::DbId::Plan);
        PlanEdit edit(set);
        replaceCategoryList(edit, CategoryKind::Meals, {"Beef", "Two\nlines", "Fish\r\n"});
        QCOMPARE(plan.records().count(), 1); // the details record, made for it
        QCOMPARE(plan.records().item(1).text("meal"), QStringLiteral("Beef\nTwo lines\nFish  "));
        QCOMPARE(categoryNames(set, CategoryKind::Meals),
                 (QStringList{"Beef", "Two lines", "Fish  "}));
        replaceCategoryList(edit, CategoryKind::Meals, {});
        QVERIFY(plan.records().item(1).has("meal"));
        QCOMPARE(categoryNames(set, CategoryKind::Meals), QStringList());
        QCOMPARE(categoryLookup(set, "f", "meal"), QString());

        QStringList many;
        for (int i = 0; i < 65535; ++i)
            many << QStringLiteral("Meal %1").arg(i);
        replaceCategoryList(edit, CategoryKind::Meals, many);
        QCOMPARE(categoryNames(set, CategoryKind::Meals), many);
        QCOMPARE(categoryLookup(set, "meal 6553", "meal"), QStringLiteral("Meal 6553"));
        edit.undo();
        QCOMPARE(plan.records().count(), 0);
    }
};

VOWLINE_TEST(TestCategoryLookup)
#include "tst_categorylookup.moc"
