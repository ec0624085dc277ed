#include "rules/categorylookup.h"
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
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << row[2] << row[3];
    }
    void lookup() {
        QFETCH(QString, typed);
        QFETCH(QString, kind);
        QFETCH(QString, expected);
        PlanSet set;
        QCOMPARE(categoryLookup(set, typed, kind), QString()); // no plan open: no throw
        for (int i = 0; i < Schema::kDatabaseCount; ++i)
            set.setDatabase(Schema::DbId(i), std::make_unique<PalmDatabase>());
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
};

VOWLINE_TEST(TestCategoryLookup)
#include "tst_categorylookup.moc"
