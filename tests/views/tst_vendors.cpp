#include "app/frmmain.h"
#include "plan/appstate.h"
#include "support/guitest.h"
#include "views/paymentstab.h"
#include "views/vendorstab.h"
#include "widgets/listgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>

using Schema::DbId;

namespace {

using Icon = Prompter::Icon;

const QDate kWedding(2027, 6, 12);

// A main window over a fresh default plan with these vendors, a wedding date of its own, every
// filter on its first entry and the plan not modified.
class VendorPlan : private UsLocale, public TabTestWindow {
public:
    explicit VendorPlan(std::initializer_list<std::initializer_list<FieldInit>> vendors) {
        PalmDatabase &plan = TabTestWindow::db(DbId::Plan);
        plan.write(plan.records().item(1), "date", kWedding.startOfDay(), FieldKind::Date);
        for (const auto &fields : vendors)
            addRecord(db(), fields);
        window().vendors()->UpdateVendorsGrid();
        window().payments()->UpdatePayments();
        planSaved();
    }
    ListGrid &vendors() { return grid("VendorGrid"); }
    PalmDatabase &db() { return TabTestWindow::db(DbId::Vendors); }
    Record &record(int n) { return db().records().item(n); }
};

// Types into a money box of the pricing page (nothing for a null text) and leaves it by Tab,
// as the user does.
void typeMoney(QDialog *dialog, const char *box, const QString &text) {
    auto *edit = child<QLineEdit>(dialog, box);
    QApplication::setActiveWindow(dialog);
    edit->setFocus();
    edit->selectAll();
    if (!text.isNull())
        QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

} // namespace

class TestVendors : public QObject {
    Q_OBJECT
private slots:
    // One confirmation rule: a Boolean true or the text "True" in any case; anything else, a
    // missing field included, is unconfirmed. The service is exact; the find box narrows further.
    void filters_data() {
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<QStringList>("names");
        const struct {
            const char *name;
            QStringList filters, names;
        } rows[] = {
            {"everyone", {}, {"Ann", "Bob", "Cat", "Dan"}},
            {"type is case-sensitive", {"cmbVendors=Florist"}, {"Ann"}},
            {"confirmed: true, or the text", {"cmbVendorStatus=Confirmed"}, {"Ann", "Cat"}},
            {"unconfirmed: false, or missing", {"cmbVendorStatus=Unconfirmed"}, {"Bob", "Dan"}},
            {"both", {"cmbVendors=florist", "cmbVendorStatus=Confirmed"}, {"Cat"}},
            {"find", {"txtFindVendor=555-d"}, {"Dan"}},
            // Typed into the service box, completed from the list, and Return filters.
            {"typed ahead", {}, {"Ann"}},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.filters << r.names;
    }
    void filters() {
        QFETCH(QStringList, filters);
        QFETCH(QStringList, names);
        // Cat's confirmation was stored as text, as a handheld may store it.
        VendorPlan plan({{{"vnam", "Ann"},
                          {"vtyp", "Florist"},
                          {"vcon", true},
                          {"vcos", "1000"},
                          {"vpho", "555-Ann"}},
                         {{"vnam", "Bob"}, {"vtyp", "Caterer"}, {"vcon", false}},
                         {{"vnam", "Cat"}, {"vtyp", "florist"}, {"vcon", "TRUE"}},
                         {{"vnam", "Dan"}, {"vpho", "555-Dan"}}});
        if (QTest::currentDataTag() == QLatin1String("typed ahead")) {
            QLineEdit *box = plan.window().vendors()->typeBox()->lineEdit();
            box->setFocus();
            box->clear();
            QTest::keyClicks(box, QStringLiteral("fl"));
            QTest::keyClick(box, Qt::Key_Return);
        } else {
            plan.set(filters);
        }
        QCOMPARE(TabTestWindow::column(plan.vendors(), 1), names);
        QCOMPARE(plan.fixture().find<QLabel>("lblVendorFound")->text(),
                 QStringLiteral("%1 of 4").arg(names.size()));
        for (int r = 1; r < plan.vendors().rows(); ++r)
            QCOMPARE(plan.record(plan.vendors().rowData(r)).text("vnam"), names[r - 1]);
        const QStringList ann = {"1",     "Ann", "", "Florist", "Confirmed",
                                 "1,000", "",    "", "",        "555-Ann"};
        for (int c = 0; c < ann.size() && names.first() == "Ann"; ++c)
            QCOMPARE(plan.vendors().text(1, c), ann[c]);
        if (names.contains("Cat"))
            QCOMPARE(plan.vendors().text(int(names.indexOf("Cat")) + 1, 4), "Confirmed");
        VERIFY_PROMPTS(plan.prompter());
    }

    // One vendor through the pricing page: priced by keyboard (what each text becomes is the
    // money rules' business; one that is no number is said so), listed as a pending and as a
    // final payment and totalled; the balance is price less both payments, recalculated again
    // on OK. A cleared date is an absent field; a disabled picker shows the wedding day or
    // today, and Enable Date and OK store the date shown.
    void pricingPage() {
        VendorPlan plan({});
        const QDate due = QDate::currentDate().addDays(10);
        QString leftPrice;
        onNextModal("frmRecordEditor", [&](QDialog *dialog) {
            QTest::keyClicks(child<QLineEdit>(dialog, "txtName"), QStringLiteral("Petals"));
            child<QCheckBox>(dialog, "chkRecord")->setChecked(true);
            child<QTabWidget>(dialog, "RecordTabs")->setCurrentIndex(1);
            typeMoney(dialog, "txtPrice", QStringLiteral("$1,500"));
            leftPrice = child<QLineEdit>(dialog, "txtPrice")->text();
            typeMoney(dialog, "txtDownPayment", QStringLiteral("500"));
            typeMoney(dialog, "txtNextPayment", QStringLiteral("250"));
            child<QDateEdit>(dialog, "txtNextDueDate")->setDate(due);
            clickButton(dialog, "cmdRecordOK");
        });
        plan.click("cmdAddVendor");
        QVERIFY(modalHandlersDone());
        QCOMPARE(leftPrice, QStringLiteral("1,500"));
        Record &petals = plan.record(1);
        QCOMPARE((QStringList{petals.text("vcos"), petals.text("vdwn"), petals.text("npay"),
                              petals.text("vbal")}),
                 (QStringList{"1500", "500", "250", "750"}));
        QCOMPARE(petals.value("ndat").toDateTime().date(), due);
        QCOMPARE(plan.vendors().text(1, 5), QStringLiteral("1,500"));
        QCOMPARE(TabTestWindow::column(plan.grid("PaymentGrid"), 3), QStringList{"250"});

        plan.prompter().expectMessage("Total Confirmed Vendor's Cost: $1,500", "Vowline Desktop",
                                      Icon::None);
        plan.prompter().expectMessage(" Total:  $250", "Payment Total", Icon::Information);
        plan.prompter().expectMessage(" Total:  $750", "Payment Total", Icon::Information);
        plan.click("cmdVendorCost");
        plan.click("cmdPaymentTotal");
        plan.set({"cboPayment=Final Payments"});
        QCOMPARE(TabTestWindow::column(plan.grid("PaymentGrid"), 3), QStringList{"750"});
        plan.click("cmdPaymentTotal");
        VERIFY_PROMPTS(plan.prompter());

        plan.prompter().expectMessage(
            "The price you entered is not a number.  This will cause an error in your "
            "database.\rVowline has made a substitution, but you may want to check the value "
            "again.",
            "Data Type Error", Icon::Exclamation);
        QStringList shown;
        plan.open(plan.vendors(), 1, "frmRecordEditor", [&](QDialog *dialog) {
            typeMoney(dialog, "txtPrice", QStringLiteral("abc"));
            auto *balance = child<QLineEdit>(dialog, "txtBalanceDue");
            balance->setText(QStringLiteral("12345")); // typed by hand: OK recalculates it
            clickButton(dialog, "cmdRecalc");
            shown << child<QLineEdit>(dialog, "txtPrice")->text() << balance->text();
            balance->setText(QStringLiteral("12345"));
            shown << (child<QDateEdit>(dialog, "txtDueDate")->isEnabled() ? "final" : "none");
            clickButton(dialog, "cmdEditFinal");
            clickButton(dialog, "cmdNextDate");
            shown << child<QPushButton>(dialog, "cmdEditFinal")->accessibleName();
            clickButton(dialog, "cmdRecordOK");
        });
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(shown, (QStringList{"0", "-750", "final", "Enable Final Due Date"}));
        QCOMPARE(petals.text("vbal"), QStringLiteral("-750"));
        QVERIFY(!petals.has("dued") && !petals.has("ndat"));
        QCOMPARE(plan.db().fieldList().item("dued").kind(), FieldKind::Date);

        QDate shownFinal, shownNext;
        bool enabled = true;
        plan.open(plan.vendors(), 1, "frmRecordEditor", [&](QDialog *dialog) {
            auto *finalDate = child<QDateEdit>(dialog, "txtDueDate");
            auto *nextDate = child<QDateEdit>(dialog, "txtNextDueDate");
            enabled = finalDate->isEnabled() || nextDate->isEnabled();
            shownFinal = finalDate->date();
            shownNext = nextDate->date();
            clickButton(dialog, "cmdEditFinal");
            clickButton(dialog, "cmdNextDate");
            nextDate->setDate(QDate::currentDate().addDays(3));
            clickButton(dialog, "cmdRecordOK");
        });
        QVERIFY(!enabled);
        QCOMPARE(shownFinal, kWedding);
        QCOMPARE(shownNext, QDate::currentDate());
        QCOMPARE(petals.value("dued").toDateTime(), kWedding.startOfDay());
        QCOMPARE(petals.value("ndat").toDateTime().date(), QDate::currentDate().addDays(3));
    }

    // Under a comma-decimal locale the program's own amounts pass through the money boxes
    // untouched, what the user types the German way is kept as plain digits, and the list reads
    // the German way.
    void germanAmounts() {
        VendorPlan plan({{{"vnam", "Ann"},
                          {"vcon", true},
                          {"vcos", "1500.5"},
                          {"npay", "250"},
                          {"vbal", "1250.5"}}});
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const auto restore = qScopeGuard([&] { QLocale::setDefault(saved); });
        plan.window().vendors()->UpdateVendorsGrid();
        QCOMPARE(plan.vendors().text(1, 5), QStringLiteral("1.500,50"));
        QStringList shown;
        plan.open(plan.vendors(), 1, "frmRecordEditor", [&](QDialog *dialog) {
            child<QTabWidget>(dialog, "RecordTabs")->setCurrentIndex(1);
            shown << child<QLineEdit>(dialog, "txtPrice")->text();
            typeMoney(dialog, "txtPrice", QString());
            typeMoney(dialog, "txtDownPayment", QStringLiteral("1.000,25"));
            shown << child<QLineEdit>(dialog, "txtPrice")->text()
                  << child<QLineEdit>(dialog, "txtDownPayment")->text();
            clickButton(dialog, "cmdRecordOK");
        });
        // Cancel pressed while a money box has the focus asks nothing either.
        plan.open(plan.vendors(), 1, "frmRecordEditor", [&](QDialog *dialog) {
            child<QTabWidget>(dialog, "RecordTabs")->setCurrentIndex(1);
            QApplication::setActiveWindow(dialog);
            child<QLineEdit>(dialog, "txtPrice")->setFocus();
            QTest::mouseClick(child<QPushButton>(dialog, "cmdRecordCancel"), Qt::LeftButton);
        });
        VERIFY_PROMPTS(plan.prompter()); // no "not a number"
        QCOMPARE(shown, (QStringList{"1.500,50", "1.500,50", "1.000,25"}));
        const Record &ann = plan.record(1);
        QCOMPARE((QStringList{ann.text("vcos"), ann.text("vdwn"), ann.text("vbal")}),
                 (QStringList{"1500.5", "1000.25", "250.25"}));
    }
};

VOWLINE_TEST(TestVendors)
#include "tst_vendors.moc"
