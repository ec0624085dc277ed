#include "rules/budget.h"
#include "rules/categorylookup.h"
#include "support/testenv.h"

#include <QTest>
#include <limits>

using Schema::DbId;

namespace {

// One vendor: its service (null: no vtyp), confirmation ("Y" true, "N" false, "T" the text
// "True", null: no vcon), price, down payment and whether that was paid.
struct V {
    const char *service;
    const char *confirmed;
    const char *price = nullptr;
    const char *down = nullptr;
    bool paid = false;
};

// A service of the list with its budget (null: none).
struct T {
    const char *name;
    const char *budget = nullptr;
};

void fill(PlanSet &set, const QList<V> &vendors, const QList<T> &types, const char *total) {
    PalmDatabase &v = set.db(DbId::Vendors);
    for (const V &vendor : vendors) {
        Record &r = v.records().add();
        if (vendor.service)
            v.write(r, "vtyp", QString::fromUtf8(vendor.service));
        const QString confirmed = QString::fromLatin1(vendor.confirmed ? vendor.confirmed : "");
        if (confirmed == u"T")
            v.write(r, "vcon", QStringLiteral("True"));
        else if (!confirmed.isEmpty())
            v.write(r, "vcon", confirmed == u"Y", FieldKind::Boolean);
        if (vendor.price)
            v.write(r, "vcos", QString::fromUtf8(vendor.price));
        if (vendor.down)
            v.write(r, "vdwn", QString::fromUtf8(vendor.down));
        v.write(r, "paid", vendor.paid, FieldKind::Boolean);
    }
    PalmDatabase &t = set.db(DbId::VenTypes);
    for (const T &type : types) {
        Record &r = t.records().add();
        t.write(r, "type", QString::fromUtf8(type.name));
        if (type.budget)
            t.write(r, "bdgt", QString::fromUtf8(type.budget));
    }
    PalmDatabase &plan = set.db(DbId::Plan);
    Record &details = plan.records().add();
    if (total)
        plan.write(details, "bdgt", QString::fromUtf8(total));
}

QString amount(std::optional<qint64> cents) {
    return cents ? QString::number(*cents) : QStringLiteral("-");
}

// "Florist 1000/900/200/700/-100 over (2)": budgeted, committed, paid, due and left in cents,
// whether it is over its budget, and the vendors counted; "*" after a service the list lacks.
QString lineText(const Budget::Line &l) {
    return QStringLiteral("%1%2 %3/%4/%5/%6/%7%8 (%9)")
        .arg(l.service, l.listed ? "" : "*", amount(l.budgeted), amount(l.committed),
             amount(l.paid), amount(l.due()), amount(l.left()),
             l.overspent() ? QStringLiteral(" over") : QString())
        .arg(l.vendors);
}

constexpr qint64 kMax = std::numeric_limits<qint64>::max();

} // namespace

Q_DECLARE_METATYPE(V)
Q_DECLARE_METATYPE(T)

class TestBudget : public QObject {
    Q_OBJECT
private slots:
    // Per service and in total: committed is what the confirmed vendors cost, paid their down
    // payments marked paid, due the difference, left what the budget leaves. Unconfirmed
    // vendors count nowhere. Amounts are exact cents, held at the 64-bit limits.
    void lines_data() {
        QTest::addColumn<QList<V>>("vendors");
        QTest::addColumn<QList<T>>("types");
        QTest::addColumn<QString>("total"); // the plan's total budget; "-" for none
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("nothing") << QList<V>{} << QList<T>{} << "-"
                                 << QStringList{"Total -/0/0/0/- (0)"};
        QTest::newRow("every confirmation and payment state")
            << QList<V>{{"Florist", "Y", "1000", "200", true},
                        {"Florist", "N", "5000", "100", true},
                        {"Florist", nullptr, "300", "50", true},
                        {"Florist", "T", "250.50", "100", false},
                        {"Caterer", "Y", "4000", "1000", false}}
            << QList<T>{{"Florist", "1200"}, {"Caterer", "5000"}, {"Band"}} << "-"
            << QStringList{"Florist 120000/125050/20000/105050/-5050 over (2)",
                           "Caterer 500000/400000/0/400000/100000 (1)", "Band -/0/0/0/- (0)",
                           "Total 620000/525050/20000/505050/94950 (3)"};
        QTest::newRow("price and payment forms")
            << QList<V>{{"DJ", "Y", ""},
                        {"DJ", "Y", "abc"},
                        {"DJ", "Y", "12abc"},
                        {"DJ", "Y", "99.999"},
                        {"DJ", "Y", nullptr},
                        {"DJ", "Y", "-50", "-20", true},
                        {"DJ", "Y", "10", "", true}}
            << QList<T>{{"DJ", "0"}} << "100"
            << QStringList{"DJ 0/7200/-2000/9200/-7200 over (7)",
                           "Total 10000/7200/-2000/9200/2800 (7)"};
        QTest::newRow("services the list lacks, in the order met")
            << QList<V>{{"Limo", "Y", "300"}, {nullptr, "Y", "20"},  {"", "Y", "5"},
                        {"Limo", "N", "999"}, {"florist", "Y", "7"}, {"Boat", "N", "1"}}
            << QList<T>{{"Florist", "10"}} << "-"
            << QStringList{"Florist 1000/0/0/0/1000 (0)", "Limo* -/30000/0/30000/- (1)",
                           "* -/2500/0/2500/- (2)", "florist* -/700/0/700/- (1)",
                           "Total 1000/33200/0/33200/-32200 over (4)"};
        QTest::newRow("a budget of 0 is a budget; none is not")
            << QList<V>{{"A", "Y", "0.01"}, {"B", "Y", "1"}} << QList<T>{{"A", "0"}, {"B", ""}}
            << "-"
            << QStringList{"A 0/1/0/1/-1 over (1)", "B -/100/0/100/- (1)",
                           "Total 0/101/0/101/-101 over (2)"};
        QTest::newRow("a name listed twice counts once")
            << QList<V>{{"A", "Y", "5"}} << QList<T>{{"A", "3"}, {"A", "4"}} << "-"
            << QStringList{"A 300/500/0/500/-200 over (1)", "Total 300/500/0/500/-200 over (1)"};
        QTest::newRow("64 bits: held at the limit, never wrapped")
            << QList<V>{{"A", "Y", "90000000000000000", "90000000000000000", true},
                        {"A", "Y", "90000000000000000", "90000000000000000", true},
                        {"A", "Y", "1e300"}}
            << QList<T>{{"A", "-92233720368547758.08"}} << "92233720368547758.07"
            << QStringList{QStringLiteral("A -/%1/%1/0/- (3)").arg(kMax),
                           QStringLiteral("Total %1/%1/%1/0/0 (3)").arg(kMax)};
        QTest::newRow("64 bits: what is left, held at the limit")
            << QList<V>{{"B", "Y", "-90000000000000000"}} << QList<T>{{"B", "92233720368547758.07"}}
            << "-"
            << QStringList{
                   QStringLiteral("B %1/-9000000000000000000/0/-9000000000000000000/%1 (1)")
                       .arg(kMax),
                   QStringLiteral("Total %1/-9000000000000000000/0/-9000000000000000000/%1 (1)")
                       .arg(kMax)};
    }
    void lines() {
        QFETCH(QList<V>, vendors);
        QFETCH(QList<T>, types);
        QFETCH(QString, total);
        QFETCH(QStringList, lines);
        PlanSet set = emptyPlanSet();
        const QByteArray totalText = total.toUtf8();
        fill(set, vendors, types, total == u"-" ? nullptr : totalText.constData());
        const Budget::Sheet sheet =
            Budget::compute(set.db(DbId::Vendors), set.db(DbId::VenTypes), set.db(DbId::Plan));
        QStringList got;
        for (const Budget::Line &l : sheet.services)
            got << lineText(l);
        got << lineText(sheet.total);
        QCOMPARE(got, lines);
    }

    // Amounts are kept where the handheld does not look: the total in the details record, a
    // service's in its record of the list, which goes with its line through the category
    // editor (renamed, moved, sorted), and is gone with a line deleted.
    void amountsAreKept() {
        PlanSet set = emptyPlanSet();
        fill(set, {}, {{"Florist"}, {"Caterer"}, {"Band"}}, nullptr);
        set.db(DbId::Plan).records().removeAll(); // no details record yet
        PlanEdit edit(set);
        Budget::setTotal(edit, QStringLiteral("25000"));
        Budget::setForService(edit, QStringLiteral("Florist"), QStringLiteral("1500.5"));
        Budget::setForService(edit, QStringLiteral("Band"), QStringLiteral("900"));
        Budget::setForService(edit, QStringLiteral("Limo"), QStringLiteral("300")); // added
        Budget::setForService(edit, QStringLiteral("Boat"), QString()); // nothing to remove
        QCOMPARE(set.db(DbId::Plan).records().item(1).text("bdgt"), QStringLiteral("25000"));
        QCOMPARE(set.db(DbId::VenTypes).listValues("type"),
                 (QStringList{"Florist", "Caterer", "Band", "Limo"}));
        QCOMPARE(set.db(DbId::VenTypes).listValues("bdgt"),
                 (QStringList{"1500.5", "", "900", "300"}));

        // The editor's lines: Florist renamed, Band moved first, Caterer deleted, a new line.
        replaceCategoryList(edit, CategoryKind::VendorTypes, {"Band", "Flowers", "Limo", "Cake"},
                            {2, 0, 3, -1});
        QCOMPARE(set.db(DbId::VenTypes).listValues("bdgt"),
                 (QStringList{"900", "1500.5", "300", ""}));
        // Without the editor's origins a line keeps the fields of its name.
        replaceCategoryList(edit, CategoryKind::VendorTypes, {"Limo", "Band", "Flowers", "X"});
        QCOMPARE(set.db(DbId::VenTypes).listValues("bdgt"),
                 (QStringList{"300", "900", "1500.5", ""}));

        Budget::setTotal(edit, QString());
        Budget::setForService(edit, QStringLiteral("Band"), QString());
        QVERIFY(!set.db(DbId::Plan).records().item(1).has("bdgt"));
        QVERIFY(!set.db(DbId::VenTypes).records().item(2).has("bdgt"));
        // The whole edit goes back as one step.
        edit.undo();
        QCOMPARE(set.db(DbId::VenTypes).listValues("type"),
                 (QStringList{"Florist", "Caterer", "Band"}));
        QCOMPARE(set.db(DbId::VenTypes).listValues("bdgt", "-"), (QStringList{"-", "-", "-"}));
        QCOMPARE(set.db(DbId::Plan).records().count(), 0);
    }
};

VOWLINE_TEST(TestBudget)
#include "tst_budget.moc"
