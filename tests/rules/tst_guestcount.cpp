#include "rules/guestcount.h"
#include "store/palmdatabase.h"
#include "store/planedit.h"
#include "support/testenv.h"

#include <QTest>

namespace {

// One guest per entry: "C:2" is confirmed with RSVP "2", "U:" unconfirmed with an empty RSVP,
// "C" (no colon) confirmed without an rsvp field, "-:3" without a gcon field, "D:2" declined,
// "X:2" declined here but confirmed since (on the handheld).
void addGuests(PalmDatabase &db, const QStringList &guests) {
    for (const QString &guest : guests) {
        Record &record = db.records().add();
        db.write(record, "gnam", QStringLiteral("Guest"));
        if (guest[0] != u'-')
            db.write(record, "gcon", guest[0] == u'C' || guest[0] == u'X', FieldKind::Boolean);
        if (guest[0] == u'D' || guest[0] == u'X')
            db.write(record, "gdec", true, FieldKind::Boolean);
        const qsizetype colon = guest.indexOf(u':');
        if (colon >= 0)
            db.write(record, "rsvp", guest.mid(colon + 1));
    }
}

} // namespace

class TestGuestCount : public QObject {
    Q_OBJECT
private slots:
    void counts_data() {
        QTest::addColumn<QStringList>("guests");
        QTest::addColumn<qint64>("confirmed");
        QTest::addColumn<qint64>("possible");
        QTest::newRow("no guests") << QStringList{} << qint64(0) << qint64(0);
        QTest::newRow("three guests") << QStringList{"C:2", "U:3", "U:"} << qint64(2) << qint64(6);
        QTest::newRow("confirmed, empty RSVP is one person")
            << QStringList{"C:", "U:"} << qint64(1) << qint64(2);
        QTest::newRow("missing rsvp is one person")
            << QStringList{"C", "U"} << qint64(1) << qint64(2);
        QTest::newRow("missing gcon is unconfirmed")
            << QStringList{"-:4"} << qint64(0) << qint64(4);
        QTest::newRow("not a number counts 0")
            << QStringList{"C:abc", "U:two"} << qint64(0) << qint64(0);
        QTest::newRow("leading number") << QStringList{"C:3 people"} << qint64(3) << qint64(3);
        QTest::newRow("plain digits, leading zeros")
            << QStringList{"C:007", "U:123456789", "U:1234567890"} << qint64(7)
            << qint64(7 + 123456789 + 1234567890);
        QTest::newRow("blank is not empty") << QStringList{"C: "} << qint64(0) << qint64(0);
        QTest::newRow("halves to even") << QStringList{"C:2.5", "C:3.5"} << qint64(6) << qint64(6);
        QTest::newRow("past 16 bits")
            << QStringList{"C:30000", "C:30000", "U:9"} << qint64(60000) << qint64(60009);
        QTest::newRow("declined guests are not invited any more")
            << QStringList{"C:2", "D:3", "D:", "U:1"} << qint64(2) << qint64(3);
        QTest::newRow("a confirmation wins over a decline")
            << QStringList{"X:2", "D:4"} << qint64(2) << qint64(2);
        QTest::newRow("absurd RSVP held in 32 bits")
            << QStringList{"C:1e300", "U:1"} << qint64(2147483647) << qint64(2147483648);
    }
    void counts() {
        QFETCH(QStringList, guests);
        QFETCH(qint64, confirmed);
        QFETCH(qint64, possible);
        PalmDatabase db;
        addGuests(db, guests);
        const GuestCount count = countGuests(db);
        QCOMPARE(count.confirmed, confirmed);
        QCOMPARE(count.possible, possible);
    }

    void manyLargeRsvpsDoNotOverflow() {
        PalmDatabase db;
        db.records().reserve(65535);
        for (int i = 0; i < 65535; ++i) {
            Record &record = db.records().add();
            db.write(record, "gcon", i % 2 == 0, FieldKind::Boolean);
            db.write(record, "rsvp", QStringLiteral("99999"));
        }
        const GuestCount count = countGuests(db);
        QCOMPARE(count.confirmed, qint64(32768) * 99999);
        QCOMPARE(count.possible, qint64(65535) * 99999);
    }

    void missingRsvpIsAddedEmpty() {
        PlanSet set = emptyPlanSet();
        PalmDatabase &db = set.db(Schema::DbId::Guest);
        addGuests(db, {"C", "U"});
        QVERIFY(!db.fieldList().exists("rsvp"));
        QCOMPARE(countGuests(db).possible, qint64(2));
        PlanEdit edit(set);
        addMissingRsvp(edit);
        QVERIFY(db.fieldList().exists("rsvp"));
        for (int i = 1; i <= 2; ++i) {
            const Field *added = db.records().item(i).fields().find("rsvp");
            QVERIFY(added);
            QVERIFY(added->value().isNone());
            QCOMPARE(added->kind(), FieldKind::Text);
        }
        // Counting again reads the repaired fields the same way.
        QCOMPARE(countGuests(db).possible, qint64(2));
    }
};

VOWLINE_TEST(TestGuestCount)
#include "tst_guestcount.moc"
