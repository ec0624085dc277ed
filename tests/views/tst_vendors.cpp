#include "app/frmmain.h"
#include "plan/appstate.h"
#include "support/guitest.h"
#include "views/paymentstab.h"
#include "views/vendorstab.h"
#include "widgets/listgrid.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <functional>

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
        tab().UpdateVendorsGrid();
        payments().UpdatePayments();
        planSaved();
    }

    void setFilters(const QString &type, const QString &status) {
        tab().typeBox()->setEditText(type);
        tab().statusBox()->setCurrentIndex(tab().statusBox()->findText(status));
        tab().UpdateVendorsGrid();
    }
    // Opens the vendor on `row` of `grid` by Enter; `handle` runs in the record editor.
    void open(ListGrid &grid, int row, std::function<void(QDialog *)> handle) {
        grid.setRow(row);
        onNextModal("frmRecordEditor", std::move(handle));
        QTest::keyClick(&grid, Qt::Key_Return);
        QVERIFY(modalHandlersDone());
    }

    VendorsTab &tab() { return *window().vendors(); }
    PaymentsTab &payments() { return *window().payments(); }
    ListGrid &grid() { return *tab().grid(); }
    ListGrid &paymentGrid() { return *payments().grid(); }
    PalmDatabase &db() { return TabTestWindow::db(DbId::Vendors); }
    Record &record(int n) { return db().records().item(n); }
    QStringList names() { return column(grid(), 1); }
};

QDateTime inDays(int days) {
    return QDate::currentDate().addDays(days).startOfDay();
}

// Leaves a money box the way the keyboard does.
void leave(QLineEdit *box) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(box, &out);
}

} // namespace

class TestVendors : public QObject {
    Q_OBJECT
private slots:
    // One confirmation rule: a Boolean true or the text "True" in any case; anything else, a
    // missing field included, is unconfirmed. The service is exact; the find box narrows further.
    void filters_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QStringList>("names");
        const struct {
            const char *name, *type, *status, *find;
            QStringList names;
        } rows[] = {
            {"everyone", "All", "All", "", {"Ann", "Bob", "Cat", "Dan"}},
            {"type is case-sensitive", "Florist", "All", "", {"Ann"}},
            {"confirmed: true, or the text", "All", "Confirmed", "", {"Ann", "Cat"}},
            {"unconfirmed: false, or missing", "All", "Unconfirmed", "", {"Bob", "Dan"}},
            {"both", "florist", "Confirmed", "", {"Cat"}},
            {"find", "All", "All", "555-d", {"Dan"}},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.type << r.status << r.find << r.names;
    }
    void filters() {
        QFETCH(QString, type);
        QFETCH(QString, status);
        QFETCH(QString, find);
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
        plan.setFilters(type, status);
        plan.fixture().find<QLineEdit>("txtFindVendor")->setText(find);
        QCOMPARE(plan.names(), names);
        QCOMPARE(plan.fixture().find<QLabel>("lblVendorFound")->text(),
                 QStringLiteral("%1 of 4").arg(names.size()));
        for (int r = 1; r < plan.grid().rows(); ++r)
            QCOMPARE(plan.record(plan.grid().rowData(r)).text("vnam"), names[r - 1]);
        const QStringList ann = {"1",     "Ann", "", "Florist", "Confirmed",
                                 "1,000", "",    "", "",        "555-Ann"};
        if (names.first() == "Ann")
            for (int c = 0; c < ann.size(); ++c)
                QCOMPARE(plan.grid().text(1, c), ann[c]);
        if (names.contains("Cat"))
            QCOMPARE(plan.grid().text(int(names.indexOf("Cat")) + 1, 4),
                     QStringLiteral("Confirmed"));
        VERIFY_PROMPTS(plan.prompter());
    }

    void typeAheadFiltersOnReturn() {
        VendorPlan plan({{{"vnam", "Ann"}, {"vtyp", "Florist"}}, {{"vnam", "Bob"}}});
        QComboBox *box = plan.tab().typeBox();
        box->lineEdit()->setFocus();
        box->lineEdit()->clear();
        QTest::keyClicks(box->lineEdit(), QStringLiteral("fl"));
        // How completion selects is the category tests' business.
        QCOMPARE(box->currentText(), QStringLiteral("Florist"));
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        QCOMPARE(plan.names(), QStringList{"Ann"});
    }

    // The money boxes are checked when left (what each text becomes is the money rules'
    // business); the balance is price less both payments, recalculated again on OK. A cleared
    // date is an absent field; Enable Date and OK store the date shown.
    void pricingPage() {
        VendorPlan plan({{{"vnam", "Ann"},
                          {"vcon", true},
                          {"ndat", inDays(4)},
                          {"dued", QDateTime(QDate(2027, 5, 1), QTime(9, 30))}}});
        Record &ann = plan.record(1);
        plan.prompter().expectMessage(
            "The price you entered is not a number.  This will cause an error in your "
            "database.\rVowline has made a substitution, but you may want to check the value "
            "again.",
            "Data Type Error", Icon::Exclamation);
        QStringList shown;
        QDate shownFinal;
        plan.open(plan.grid(), 1, [&](QDialog *dialog) {
            const std::pair<const char *, const char *> typed[] = {
                {"txtPrice", ""}, {"txtDownPayment", "$$5"}, {"txtNextPayment", "abc"}};
            for (const auto &[name, text] : typed) {
                auto *box = child<QLineEdit>(dialog, name);
                box->setText(QString::fromLatin1(text));
                leave(box);
                shown << box->text();
            }
            auto *balance = child<QLineEdit>(dialog, "txtBalanceDue");
            balance->setText(QStringLiteral("12345")); // typed by hand: OK recalculates it
            clickButton(dialog, "cmdRecalc");
            shown << balance->text();
            balance->setText(QStringLiteral("12345"));
            auto *finalDate = child<QDateEdit>(dialog, "txtDueDate");
            shownFinal = finalDate->isEnabled() ? finalDate->date() : QDate();
            clickButton(dialog, "cmdEditFinal");
            clickButton(dialog, "cmdNextDate");
            shown << child<QPushButton>(dialog, "cmdEditFinal")->accessibleName();
            clickButton(dialog, "cmdRecordOK");
        });
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(shown, (QStringList{"0", "5", "0", "-5", "Enable Final Due Date"}));
        QCOMPARE(shownFinal, QDate(2027, 5, 1));
        QCOMPARE(ann.text("vcos"), QStringLiteral("0"));
        QCOMPARE(ann.text("vbal"), QStringLiteral("-5"));
        QVERIFY(!ann.has("dued") && !ann.has("ndat"));
        QCOMPARE(plan.db().fieldList().item("dued").kind(), FieldKind::Date);

        // Disabled pickers show the wedding day and today.
        bool enabled = true;
        QDate shownNext;
        plan.open(plan.grid(), 1, [&](QDialog *dialog) {
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
        QCOMPARE(ann.value("dued").toDateTime(), kWedding.startOfDay());
        QCOMPARE(ann.value("ndat").toDateTime().date(), QDate::currentDate().addDays(3));
        // Fields the old record lacked were written.
        QCOMPARE(ann.value("paid"), FieldValue(false));
        QCOMPARE(ann.text("vdwn"), QStringLiteral("5"));
    }

    // One vendor through the real widgets: added from the filters, priced by keyboard, listed
    // as a pending and as a final payment, totalled.
    void roadOfOneVendor() {
        VendorPlan plan({});
        plan.setFilters("Florist", "Confirmed");
        const QDate due = QDate::currentDate().addDays(10);
        QString leftPrice;
        onNextModal("frmRecordEditor", [&](QDialog *dialog) {
            QTest::keyClicks(child<QLineEdit>(dialog, "txtName"), QStringLiteral("Petals"));
            child<QTabWidget>(dialog, "RecordTabs")->setCurrentIndex(1);
            auto *price = child<QLineEdit>(dialog, "txtPrice");
            QApplication::setActiveWindow(dialog);
            price->setFocus();
            QTest::keyClicks(price, QStringLiteral("$1,500"));
            QTest::keyClick(price, Qt::Key_Tab);
            leftPrice = price->text();
            QTest::keyClicks(child<QLineEdit>(dialog, "txtDownPayment"), QStringLiteral("500"));
            QTest::keyClicks(child<QLineEdit>(dialog, "txtNextPayment"), QStringLiteral("250"));
            child<QDateEdit>(dialog, "txtNextDueDate")->setDate(due);
            clickButton(dialog, "cmdRecordOK");
        });
        plan.click("cmdAddVendor");
        QVERIFY(modalHandlersDone());
        QCOMPARE(leftPrice, QStringLiteral("1,500"));
        const Record &petals = plan.record(1);
        QCOMPARE((QStringList{petals.text("vtyp"), petals.text("vcos"), petals.text("vdwn"),
                              petals.text("npay"), petals.text("vbal")}),
                 (QStringList{"Florist", "1500", "500", "250", "750"}));
        QCOMPARE(petals.value("ndat").toDateTime().date(), due);
        QCOMPARE(plan.names(), QStringList{"Petals"});
        QCOMPARE(plan.grid().text(1, 5), QStringLiteral("1,500"));
        QCOMPARE(VendorPlan::column(plan.paymentGrid(), 3), QStringList{"250"});

        plan.prompter().expectMessage("Total Confirmed Vendor's Cost: $1,500", "Vowline Desktop",
                                      Icon::None);
        plan.prompter().expectMessage(" Total:  $250", "Payment Total", Icon::Information);
        plan.prompter().expectMessage(" Total:  $750", "Payment Total", Icon::Information);
        plan.click("cmdVendorCost");
        plan.click("cmdPaymentTotal");
        QComboBox *view = plan.payments().viewBox();
        view->setCurrentIndex(view->findText("Final Payments"));
        plan.payments().UpdatePayments();
        QCOMPARE(VendorPlan::column(plan.paymentGrid(), 3), QStringList{"750"});
        plan.click("cmdPaymentTotal");
        VERIFY_PROMPTS(plan.prompter());
    }

    // Under a comma-decimal locale the program's own amounts pass through the money boxes
    // untouched, what the user types the German way is kept as plain digits, and the lists and
    // totals read the German way.
    void germanAmounts() {
        VendorPlan plan({{{"vnam", "Ann"},
                          {"vcon", true},
                          {"vcos", "1500.5"},
                          {"npay", "250"},
                          {"ndat", inDays(10)},
                          {"vbal", "1250.5"}}});
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const auto restore = qScopeGuard([&] { QLocale::setDefault(saved); });
        plan.tab().UpdateVendorsGrid();
        QCOMPARE(plan.grid().text(1, 5), QStringLiteral("1.500,50"));
        QStringList shown;
        const auto leave = [](QLineEdit *box, const QString &typed) {
            box->setFocus();
            if (!typed.isEmpty()) {
                box->clear();
                QTest::keyClicks(box, typed);
            }
            QTest::keyClick(box, Qt::Key_Tab);
        };
        plan.open(plan.grid(), 1, [&](QDialog *dialog) {
            child<QTabWidget>(dialog, "RecordTabs")->setCurrentIndex(1);
            QApplication::setActiveWindow(dialog);
            auto *price = child<QLineEdit>(dialog, "txtPrice");
            shown << price->text();
            leave(price, {});
            leave(child<QLineEdit>(dialog, "txtDownPayment"), QStringLiteral("1.000,25"));
            shown << price->text() << child<QLineEdit>(dialog, "txtDownPayment")->text();
            clickButton(dialog, "cmdRecordOK");
        });
        // Cancel pressed while a box has the focus asks nothing either.
        plan.open(plan.grid(), 1, [&](QDialog *dialog) {
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
        plan.prompter().expectMessage("Total Confirmed Vendor's Cost: $1.500", "Vowline Desktop",
                                      Icon::None);
        plan.click("cmdVendorCost");
        VERIFY_PROMPTS(plan.prompter());
    }
};

VOWLINE_TEST(TestVendors)
#include "tst_vendors.moc"
