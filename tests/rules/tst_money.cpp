#include "rules/displayforms.h"
#include "rules/money.h"
#include "support/testenv.h"

#include <QTest>

Q_DECLARE_METATYPE(FieldValue)

namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

// A vendor with these fields; a none value leaves the field out.
Record &addVendor(PalmDatabase &db, const FieldValue &confirmed, const FieldValue &price) {
    Record &r = db.records().add();
    if (!confirmed.isNone())
        db.write(r, "vcon", confirmed, FieldKind::Boolean);
    if (!price.isNone())
        db.write(r, "vcos", price);
    return r;
}

} // namespace

class TestMoney : public QObject {
    Q_OBJECT
private slots:
    void validatePrice_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("german");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<bool>("substituted");
        const struct {
            const char *name, *typed;
            bool german;
            const char *kept;
            bool substituted;
        } rows[] = {
            {"leading dollar", "$1500", false, "1500", false},
            {"second dollar is the currency sign", "$$5", false, "5", false},
            {"second dollar elsewhere", "$$5", true, "0", true},
            {"grouping read as the user meant", "1,500", false, "1500", false},
            {"german grouping", "1.500", true, "1500", false},
            {"german decimal comma", "12,5", true, "12.5", false},
            {"stored amount under german", "1500.5", true, "1500.5", false},
            {"plain number kept as typed", "1500.50", false, "1500.50", false},
            {"blanks kept as typed", " 250 ", false, " 250 ", false},
            {"negative with currency", "-$20", false, "-20", false},
            {"empty", "", false, "0", false},
            {"only a dollar", "$", false, "0", false},
            {"leading number", "12abc", false, "12", true},
            {"no number", "abc", false, "0", true},
            {"two signs", "--5", false, "0", true},
            {"infinity is no price", "inf", false, "0", true},
        };
        for (const auto &row : rows)
            QTest::newRow(row.name) << row.typed << row.german << row.kept << row.substituted;
    }
    void validatePrice() {
        QFETCH(QString, typed);
        QFETCH(bool, german);
        QFETCH(QString, kept);
        QFETCH(bool, substituted);
        const Money::CheckedPrice checked = Money::validatePrice(typed, german ? kGerman : kUs);
        QCOMPARE(checked.text, kept);
        QCOMPARE(checked.substituted, substituted);
        // OK stores what the box holds: the same text, except that nothing is substituted.
        const QString stored = Money::storedMoneyText(typed, german ? kGerman : kUs);
        QCOMPARE(stored, typed.isEmpty() || substituted ? typed : kept);
    }

    // The balance is the price less both payments, each read as the box reads it.
    void balance() {
        const char *rows[][4] = {
            {"1500", "500", "250", "750"}, {"1000", "250.5", "", "749.5"}, {"", "100", "", "-100"},
            {"$1,500", "500", "", "1000"}, {"abc", "", "", "0"},
        };
        for (const auto &r : rows)
            QCOMPARE(Money::balanceText(r[0], r[1], r[2], kUs), QString(r[3]));
    }

    // Each step rounds to the nearest whole dollar, halves to even, in 64 bits.
    void vendorCost_data() {
        QTest::addColumn<QList<FieldValue>>("prices"); // all confirmed
        QTest::addColumn<qint64>("total");
        QTest::newRow("halves to even") << QList<FieldValue>{"1000", "2500.5"} << qint64(3500);
        QTest::newRow("past 16 bits") << QList<FieldValue>{"20000", "15000"} << qint64(35000);
        QTest::newRow("past 32 bits")
            << QList<FieldValue>{"2000000000", "2000000000", "2000000000"} << qint64(6000000000);
        QTest::newRow("empty or not a number counts 0")
            << QList<FieldValue>{"1000", "", "abc", FieldValue()} << qint64(1000);
        QTest::newRow("stored as numbers")
            << QList<FieldValue>{FieldValue(qint16(300)), FieldValue(99.5)} << qint64(400);
        QTest::newRow("nothing") << QList<FieldValue>{} << qint64(0);
    }
    void vendorCost() {
        QFETCH(QList<FieldValue>, prices);
        QFETCH(qint64, total);
        PalmDatabase db;
        addVendor(db, false, "7000"); // unconfirmed vendors do not count
        addVendor(db, FieldValue(), "7000");
        for (const FieldValue &price : prices) {
            Record &r = addVendor(db, true, price);
            if (price.isNone())
                QVERIFY(!r.has("vcos"));
        }
        addVendor(db, "True", "1"); // "True" as text counts as confirmed
        QCOMPARE(Money::vendorCost(db), total + 1);
    }

    // Payments add up as vendors' prices do; a sum beyond any real one is held, not wrapped.
    void paymentTotal() {
        QCOMPARE(Money::paymentTotal({"100.50", "200.25"}), qint64(300)); // halves to even
        QCOMPARE(Money::paymentTotal({"20000", "15000"}), qint64(35000));
        QCOMPARE(Money::paymentTotal({}), qint64(0));
        QCOMPARE(Money::paymentTotal({"abc", "2.5"}), qint64(2));
        const qint64 big = Money::addRounded(0, 1e300);
        QVERIFY(big > 0);
        QCOMPARE(Money::addRounded(big, 1e300), big);
        QCOMPARE(Money::addRounded(5, qQNaN()), qint64(5));
    }

    void payments_data() {
        QTest::addColumn<FieldValue>("confirmed");
        QTest::addColumn<FieldValue>("next"); // none: no npay field
        QTest::addColumn<int>("days");        // ndat = today + days; 99: no ndat field
        QTest::addColumn<FieldValue>("balance");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<bool>("final");
        const FieldValue yes(true), no(false), none;
        const struct {
            const char *name;
            FieldValue confirmed, next;
            int days;
            FieldValue balance;
            bool pending, final;
        } rows[] = {
            {"due tomorrow", yes, "200", 1, "0", true, false},
            {"due today", yes, "200", 0, "", false, false},
            {"overdue", yes, "200", -3, "50", false, true},
            {"unconfirmed", no, "200", 1, "50", false, false},
            {"no amount", yes, "0", 1, none, false, false},
            {"no npay field", yes, none, 1, "-5", false, false},
            {"no date", yes, "200", 99, 12.5, false, true},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.confirmed << r.next << r.days << r.balance << r.pending
                                  << r.final;
    }
    void payments() {
        QFETCH(FieldValue, confirmed);
        QFETCH(FieldValue, next);
        QFETCH(int, days);
        QFETCH(FieldValue, balance);
        QFETCH(bool, pending);
        QFETCH(bool, final);
        const QDate today(2026, 6, 1);
        PalmDatabase db;
        Record &r = addVendor(db, confirmed, FieldValue());
        if (!next.isNone())
            db.write(r, "npay", next);
        if (days != 99)
            db.write(r, "ndat", today.addDays(days).startOfDay(), FieldKind::Date);
        if (!balance.isNone())
            db.write(r, "vbal", balance);
        QCOMPARE(Money::isPendingPayment(r, today), pending);
        QCOMPARE(Money::isFinalPayment(r), final);
        // A date stored as text reads the same.
        if (days != 99) {
            db.write(r, "ndat", today.addDays(days).toString(Qt::ISODate));
            QCOMPARE(Money::isPendingPayment(r, today), pending);
        }
    }
};

VOWLINE_TEST(TestMoney)
#include "tst_money.moc"
