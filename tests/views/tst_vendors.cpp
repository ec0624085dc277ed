#include "app/frmmain.h"
#include "editors/frmrecordeditor.h"
#include "store/appstate.h"
#include "store/planset.h"
#include "support/guitest.h"
#include "views/paymentstab.h"
#include "views/vendorstab.h"
#include "widgets/listgrid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <optional>

using Schema::DbId;

namespace {

using Icon = Prompter::Icon;
using Buttons = Prompter::Buttons;
using Answer = Prompter::Answer;

const QDate kWedding(2027, 6, 12);

struct Vendor {
    QString name;
    std::optional<QString> type;   // none: no vtyp
    std::optional<bool> confirmed; // none: no vcon
    QString price;
    QString next;                  // npay
    std::optional<int> nextInDays; // ndat = today + days; none: no ndat
    QString balance;               // vbal
};

// A main window over a fresh default plan with these vendors, a wedding date of its own, every
// filter on its first entry and the plan not modified. Money reads as in the United States.
// Set before the window is built, put back after it is gone.
struct UsLocale {
    QLocale saved;
    UsLocale() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    ~UsLocale() { QLocale::setDefault(saved); }
};

class VendorPlan : private UsLocale, public TabTestWindow {
public:
    explicit VendorPlan(const QList<Vendor> &vendors) {
        PalmDatabase &plan = appState().set.db(DbId::Plan);
        plan.write(plan.records().item(1), "date", kWedding.startOfDay(), FieldKind::Date);
        for (const Vendor &v : vendors) {
            Record &r = db().records().add();
            db().write(r, "vnam", v.name);
            if (v.type)
                db().write(r, "vtyp", *v.type);
            if (v.confirmed)
                db().write(r, "vcon", *v.confirmed, FieldKind::Boolean);
            db().write(r, "vcos", v.price);
            db().write(r, "npay", v.next);
            if (v.nextInDays)
                db().write(r, "ndat", QDate::currentDate().addDays(*v.nextInDays).startOfDay(),
                           FieldKind::Date);
            db().write(r, "vbal", v.balance);
            db().write(r, "vpho", QStringLiteral("555-") + v.name);
        }
        refresh();
        planSaved();
    }

    void setFilters(const QString &type, const QString &status) {
        tab().typeBox()->setEditText(type);
        tab().statusBox()->setCurrentIndex(tab().statusBox()->findText(status));
        tab().UpdateVendorsGrid();
    }
    void showPayments(const QString &view) {
        payments().viewBox()->setCurrentIndex(payments().viewBox()->findText(view));
        payments().UpdatePayments();
    }
    void refresh() {
        tab().UpdateVendorsGrid();
        payments().UpdatePayments();
    }

    VendorsTab &tab() { return *window().vendors(); }
    PaymentsTab &payments() { return *window().payments(); }
    ListGrid &grid() { return *tab().grid(); }
    ListGrid &paymentGrid() { return *payments().grid(); }
    PalmDatabase &db() { return appState().set.db(DbId::Vendors); }
    Record &record(int n) { return db().records().item(n); }
};

const QList<Vendor> kFour = {
    {"Ann", "Florist", true, "1000", "200", 1, "300"},
    {"Bob", "Caterer", false, "5000", "200", 1, "800"},
    {"Cat", "florist", true, "2500.5", "200", 0, "0"},
    {"Dan", {}, {}, "9", "50", 9, ""},
};

template <class T> T *child(QWidget *parent, const char *name) {
    T *w = parent->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

// Leaves a money box the way the keyboard does.
void leave(QLineEdit *box) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(box, &out);
}

void expectDataTypeError(ScriptedPrompter &p) {
    p.expectMessage(QStringLiteral("The price you entered is not a number.  This will cause an "
                                   "error in your database.\rVowline has made a substitution, but "
                                   "you may want to check the value again."),
                    QStringLiteral("Data Type Error"), Icon::Exclamation);
}

} // namespace

class TestVendors : public QObject {
    Q_OBJECT
private slots:
    void filters_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("everyone") << "All"
                                  << "All" << QStringList{"Ann", "Bob", "Cat", "Dan"};
        QTest::newRow("type is case-sensitive") << "Florist"
                                                << "All" << QStringList{"Ann"};
        QTest::newRow("confirmed") << "All"
                                   << "Confirmed" << QStringList{"Ann", "Cat"};
        // Dan lacks vcon: shown unconfirmed, but his empty text is not "False".
        QTest::newRow("unconfirmed") << "All"
                                     << "Unconfirmed" << QStringList{"Bob"};
        QTest::newRow("both") << "florist"
                              << "Confirmed" << QStringList{"Cat"};
    }
    void filters() {
        QFETCH(QString, type);
        QFETCH(QString, status);
        QFETCH(QStringList, names);
        VendorPlan plan(kFour);
        plan.setFilters(type, status);
        QCOMPARE(VendorPlan::column(plan.grid(), 1), names);
        for (int r = 1; r < plan.grid().rows(); ++r)
            QCOMPARE(plan.record(plan.grid().rowData(r)).text("vnam"), names[r - 1]);
        const QStringList ann = {"1",    "Ann", "", "Florist", "Confirmed",
                                 "1000", "",    "", "",        "555-Ann"};
        if (names.first() == "Ann")
            for (int c = 0; c < ann.size(); ++c)
                QCOMPARE(plan.grid().text(1, c), ann[c]);
        VERIFY_PROMPTS(plan.prompter());
    }

    // Both totals hold more than 16 bits and round each step, halves to even.
    void totals() {
        VendorPlan plan({{"A", "X", true, "20000", "100.50", 5, ""},
                         {"B", "X", true, "15000", "200.25", 5, ""},
                         {"C", "X", false, "7000", "900", 5, ""},
                         {"D", "X", true, "not yet", "", 5, ""}});
        plan.prompter().expectMessage("Total Confirmed Vendor's Cost: $35000", "Vowline Desktop",
                                      Icon::None);
        plan.prompter().expectMessage(" Total:  $300", "Payment Total", Icon::Information);
        plan.click("cmdVendorCost");
        plan.click("cmdPaymentTotal");
        VERIFY_PROMPTS(plan.prompter());
        QVERIFY(!appState().changed);
    }

    void typeAheadFiltersOnReturn() {
        VendorPlan plan(kFour);
        QComboBox *box = plan.tab().typeBox();
        box->lineEdit()->setFocus();
        box->lineEdit()->clear();
        QTest::keyClicks(box->lineEdit(), QStringLiteral("fl"));
        // How completion selects is the category tests' business.
        QCOMPARE(box->currentText(), QStringLiteral("Florist"));
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        QCOMPARE(VendorPlan::column(plan.grid(), 1), QStringList{"Ann"});
    }

    void addVendor_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("ok");
        QTest::newRow("under All") << "All"
                                   << "All" << true;
        QTest::newRow("cancelled") << "Florist"
                                   << "Confirmed" << false;
    }
    void addVendor() {
        QFETCH(QString, type);
        QFETCH(QString, status);
        QFETCH(bool, ok);
        VendorPlan plan(kFour);
        plan.setFilters(type, status);
        bool pricingShown = false, datesEnabled = false;
        int shownRow = -1, record = -1;
        onNextModal("frmRecordEditor", [&](QDialog *dialog) {
            record = appState().selectedRecord;
            shownRow = plan.grid().row();
            auto *tabs = child<QTabWidget>(dialog, "RecordTabs");
            pricingShown = tabs->isTabVisible(1);
            datesEnabled = child<QDateEdit>(dialog, "txtDueDate")->isEnabled() &&
                           child<QDateEdit>(dialog, "txtNextDueDate")->isEnabled() &&
                           child<QPushButton>(dialog, "cmdNextDate")->text() == "Clear Date";
            child<QLineEdit>(dialog, "txtName")->setText(QStringLiteral("Aaron"));
            clickButton(dialog, ok ? "cmdRecordOK" : "cmdRecordCancel");
        });
        plan.click("cmdAddVendor");
        QVERIFY(modalHandlersDone());
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(record, 5);
        QCOMPARE(shownRow, plan.grid().rows() - (ok ? 1 : 0));
        QVERIFY(pricingShown && datesEnabled);
        QVERIFY(!appState().cancelled);
        QCOMPARE(plan.db().records().count(), ok ? 5 : 4);
        QCOMPARE(appState().statusText(),
                 ok ? AppState::kUserDatabaseModified : AppState::kUserDatabase);
        if (!ok)
            return;
        const Record &added = plan.record(1); // sorted by name
        QCOMPARE(added.text("vnam"), QStringLiteral("Aaron"));
        QCOMPARE(added.text("vtyp"), type == "All" ? QString() : type);
        QCOMPARE(added.value("vcon"), FieldValue(status == "Confirmed"));
        QCOMPARE(added.value("paid"), FieldValue(false));
        QCOMPARE(added.value("dued").toDateTime().date(), kWedding);
        QCOMPARE(added.value("ndat").toDateTime().date(), QDate::currentDate());
        QCOMPARE(added.text("vbal"), QStringLiteral("0"));
        QCOMPARE(VendorPlan::column(plan.grid(), 1).first(), QStringLiteral("Aaron"));
    }

    void deleteVendor_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void deleteVendor() {
        QFETCH(bool, yes);
        VendorPlan plan(kFour);
        plan.setFilters("All", "Confirmed");
        plan.grid().setRow(2);
        plan.prompter().expectMessage("Are you sure you want to delete Cat?", "Vowline Desktop",
                                      Icon::None, Buttons::YesNo, yes ? Answer::Yes : Answer::No);
        plan.click("cmdDeleteVendor");
        VERIFY_PROMPTS(plan.prompter());
        const QStringList left =
            yes ? QStringList{"Ann", "Bob", "Dan"} : QStringList{"Ann", "Bob", "Cat", "Dan"};
        QCOMPARE(plan.db().listValues("vnam"), left);
        QCOMPARE(appState().changed, yes);
        // The payment rows follow the new record numbers.
        QCOMPARE(plan.record(plan.paymentGrid().rowData(1)).text("vnam"), QStringLiteral("Ann"));
    }

    // Sorting renumbers the vendors: both lists follow, and it is not an edit.
    void sortThenOpenFromPayments() {
        VendorPlan plan(
            {{"Zed", "X", true, "1", "10", 3, "5"}, {"amy", "X", true, "1", "", 3, ""}});
        plan.prompter().expectMessage("Wedding Vendors Database has been sorted.", "Database Sort",
                                      Icon::Information);
        plan.window().findChild<QAction *>("mnuOptionsSortVendors")->trigger();
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(VendorPlan::column(plan.grid(), 1), (QStringList{"amy", "Zed"}));
        QVERIFY(!appState().changed);
        plan.paymentGrid().setRow(1);
        QString opened;
        onNextModal("frmRecordEditor", [&opened](QDialog *dialog) {
            opened = child<QLineEdit>(dialog, "txtName")->text();
            dialog->reject();
        });
        emit plan.paymentGrid().rowDoubleClicked();
        QVERIFY(modalHandlersDone());
        QCOMPARE(opened, QStringLiteral("Zed"));
        QVERIFY(!appState().changed && !appState().cancelled);
    }

    // The money boxes are checked when left (what each text becomes is the money rules'
    // business); the balance is price less both payments, recalculated again on OK.
    void pricingBoxes() {
        VendorPlan plan({{"Ann", "X", true, "", "", {}, ""}});
        expectDataTypeError(plan.prompter());
        appState().editorKind = 5;
        appState().selectedRecord = 1;
        frmRecordEditor dlg(&plan.window());
        const char *boxes[] = {"txtPrice", "txtDownPayment", "txtNextPayment"};
        const QString typed[] = {"", "$$5", "abc"}, shown[] = {"0", "5", "0"};
        for (int i = 0; i < 3; ++i) {
            auto *box = child<QLineEdit>(&dlg, boxes[i]);
            box->setText(typed[i]);
            leave(box);
            QCOMPARE(box->text(), shown[i]);
        }
        auto *bal = child<QLineEdit>(&dlg, "txtBalanceDue");
        bal->setText(QStringLiteral("12345")); // typed by hand: OK recalculates it
        clickButton(&dlg, "cmdRecalc");
        QCOMPARE(bal->text(), QStringLiteral("-5"));
        bal->setText(QStringLiteral("12345"));
        clickButton(&dlg, "cmdRecordOK");
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(plan.record(1).text("vcos"), QStringLiteral("0"));
        QCOMPARE(plan.record(1).text("vbal"), QStringLiteral("-5"));
    }

    // A cleared date is an absent field; Enable Date and OK store the date shown.
    void dueDates() {
        VendorPlan plan({{"Ann", "X", true, "", "", 4, ""}});
        Record &ann = plan.record(1);
        plan.db().write(ann, "dued", QDateTime(QDate(2027, 5, 1), QTime(9, 30)), FieldKind::Date);
        appState().editorKind = 5;
        appState().selectedRecord = 1;
        {
            frmRecordEditor dlg(&plan.window());
            auto *finalDate = child<QDateEdit>(&dlg, "txtDueDate");
            QVERIFY(finalDate->isEnabled());
            QCOMPARE(finalDate->date(), QDate(2027, 5, 1));
            clickButton(&dlg, "cmdEditFinal");
            clickButton(&dlg, "cmdNextDate");
            QCOMPARE(child<QPushButton>(&dlg, "cmdEditFinal")->text(),
                     QStringLiteral("Enable Date"));
            QVERIFY(!finalDate->isEnabled());
            clickButton(&dlg, "cmdRecordOK");
        }
        QVERIFY(!ann.has("dued") && !ann.has("ndat"));
        QCOMPARE(plan.db().fieldList().item("dued").kind(), FieldKind::Date);
        {
            frmRecordEditor dlg(&plan.window());
            auto *finalDate = child<QDateEdit>(&dlg, "txtDueDate");
            auto *nextDate = child<QDateEdit>(&dlg, "txtNextDueDate");
            QVERIFY(!finalDate->isEnabled() && !nextDate->isEnabled());
            QCOMPARE(finalDate->date(), kWedding);
            QCOMPARE(nextDate->date(), QDate::currentDate());
            QCOMPARE(child<QPushButton>(&dlg, "cmdNextDate")->text(),
                     QStringLiteral("Enable Date"));
            clickButton(&dlg, "cmdEditFinal");
            clickButton(&dlg, "cmdNextDate");
            nextDate->setDate(QDate::currentDate().addDays(3));
            clickButton(&dlg, "cmdRecordOK");
        }
        QCOMPARE(ann.value("dued").toDateTime(), kWedding.startOfDay());
        QCOMPARE(ann.value("ndat").toDateTime().date(), QDate::currentDate().addDays(3));
        // Money fields and paid missing from an old record were added on load and written.
        QCOMPARE(ann.value("paid"), FieldValue(false));
        QCOMPARE(ann.value("vdwn"), FieldValue(QString()));
    }

    // One vendor through the real widgets: added, priced, listed, totalled, saved, reopened.
    void roadOfOneVendor() {
        VendorPlan plan({});
        plan.setFilters("Florist", "Confirmed");
        const QDate due = QDate::currentDate().addDays(10);
        QString leftPrice;
        onNextModal("frmRecordEditor", [&](QDialog *dialog) {
            QTest::keyClicks(child<QLineEdit>(dialog, "txtName"), QStringLiteral("Petals"));
            auto *tabs = child<QTabWidget>(dialog, "RecordTabs");
            tabs->setCurrentIndex(1);
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
        QCOMPARE(leftPrice, QStringLiteral("1500"));
        QCOMPARE(VendorPlan::column(plan.grid(), 1), QStringList{"Petals"});
        QCOMPARE(plan.grid().text(1, 5), QStringLiteral("1500"));
        QCOMPARE(VendorPlan::column(plan.paymentGrid(), 3), QStringList{"250"});
        QCOMPARE(plan.record(plan.paymentGrid().rowData(1)).value("ndat").toDateTime().date(), due);

        plan.prompter().expectMessage("Total Confirmed Vendor's Cost: $1500", "Vowline Desktop",
                                      Icon::None);
        plan.prompter().expectMessage(" Total:  $250", "Payment Total", Icon::Information);
        plan.click("cmdVendorCost");
        plan.click("cmdPaymentTotal");

        const QString folder = plan.fixture().programFolder() + QStringLiteral("/Users/Smith");
        expectPlanNamePrompt(plan.prompter(), QStringLiteral("Romeo & Juliet"));
        expectUserNamePrompt(plan.prompter(), QStringLiteral("Smith"));
        expectSavedMessage(plan.prompter(), folder);
        plan.window().findChild<QAction *>("mnuFileSave")->trigger();
        VERIFY_PROMPTS(plan.prompter());

        AppState &state = appState();
        loadSetFromFolder(state.set, state.server, folder, state.programFolder, plan.prompter());
        refreshPlan(state.set, state.server, state.programFolder, false, plan.window(),
                    plan.prompter());
        VERIFY_PROMPTS(plan.prompter());
        const Record &petals = plan.record(1);
        QCOMPARE(petals.text("vtyp"), QStringLiteral("Florist"));
        QCOMPARE(petals.value("vcon"), FieldValue(true));
        QCOMPARE(petals.text("vcos"), QStringLiteral("1500"));
        QCOMPARE(petals.text("vdwn"), QStringLiteral("500"));
        QCOMPARE(petals.text("npay"), QStringLiteral("250"));
        QCOMPARE(petals.text("vbal"), QStringLiteral("750"));
        QCOMPARE(petals.value("dued").toDateTime().date(), kWedding);
        QCOMPARE(petals.value("ndat").toDateTime().date(), due);
        QCOMPARE(VendorPlan::column(plan.paymentGrid(), 1), QStringList{"Petals"});
        plan.showPayments("Final Payments");
        QCOMPARE(VendorPlan::column(plan.paymentGrid(), 3), QStringList{"750"});
    }
};

VOWLINE_TEST(TestVendors)
#include "tst_vendors.moc"
