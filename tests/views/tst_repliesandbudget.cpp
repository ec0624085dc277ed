// The guest list at a glance and the budget, through the real widgets: the summary line and the
// meal filter, a guest declined in the record editor, a budget typed in, a service's budget
// typed into its cell, a vendor over it, the overspent line and the budget report.
#include "app/frmmain.h"
#include "plan/appstate.h"
#include "rules/displayforms.h"
#include "support/guitest.h"
#include "views/budgettab.h"
#include "views/guesttab.h"
#include "widgets/listgrid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

using Schema::DbId;

namespace {

// The budget grid's line of `service` as "Service budgeted/committed/paid/due/left status".
QString lineOf(QTableView *grid, const QString &service) {
    const QAbstractItemModel *m = grid->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        if (m->index(r, 0).data().toString() != service)
            continue;
        QStringList cells;
        for (int c = 1; c <= 5; ++c)
            cells << m->index(r, c).data().toString();
        return (service + u' ' + cells.join(u'/') + u' ' + m->index(r, 6).data().toString())
            .trimmed();
    }
    return {};
}

// Typed into a box and left with Enter, as the user does.
void typeInto(QLineEdit *box, const QString &text) {
    box->setFocus();
    box->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

} // namespace

class TestRepliesAndBudget : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    void roadOfRepliesMealsAndABudget() {
        TabTestWindow w;
        frmMain &window = w.window();
        ScriptedPrompter &prompter = w.prompter();
        // Replies yes, no and none; a meal the list lacks.
        PalmDatabase &guests = TabTestWindow::db(DbId::Guest);
        addRecord(guests, {{"gnam", "Ann"}, {"gcon", true}, {"gmea", "Fish"}, {"rsvp", "2"}});
        addRecord(guests, {{"gnam", "Bob"}, {"gcon", false}, {"gdec", true}, {"gmea", "Meat"}});
        addRecord(guests, {{"gnam", "Cy"}, {"gmea", "Kosher"}});
        addRecord(guests, {{"gnam", "Dee"}, {"gcon", true}, {"gmea", "Vegetarian"}});
        GuestTab &tab = *window.guests();
        tab.fillFilterBoxes();
        w.planSaved();
        QLabel *summary = w.fixture().find<QLabel>("lblGuestSummary");
        QCOMPARE(summary->text(),
                 QStringLiteral("Invited 4 \u00B7 Confirmed 2 (3 people) \u00B7 Awaiting reply 1 "
                                "\u00B7 Declined 1 \u00B7 Seated 0 \u00B7 Not seated 3 \u00B7 "
                                "Meals: Fish 2, Vegetarian 1"));
        // The list shows the replies, and filters by meal, also one the list lacks.
        ListGrid &grid = *tab.grid();
        QCOMPARE(TabTestWindow::column(grid, 3),
                 (QStringList{"Confirmed", "Declined", "Awaiting reply", "Confirmed"}));
        choose(w.fixture().find<QComboBox>("cmbGuestMeal"), QStringLiteral("Kosher"));
        QCOMPARE(TabTestWindow::column(grid, 1), QStringList{"Cy"});
        choose(w.fixture().find<QComboBox>("cmbGuestMeal"), QStringLiteral("Fish"));
        QCOMPARE(TabTestWindow::column(grid, 1), QStringList{"Ann"});

        // Ann declines, in the record editor: the summary and the list follow.
        grid.setRow(1);
        onNextModal("frmRecordEditor", [](QDialog *d) {
            choose(child<QComboBox>(d, "cboReply"), QStringLiteral("Declined"));
            clickButton(d, QStringLiteral("cmdRecordOK"));
        });
        emit grid.rowDoubleClicked();
        QVERIFY(modalHandlersDone());
        QCOMPARE(summary->text(),
                 QStringLiteral("Invited 4 \u00B7 Confirmed 1 (1 person) \u00B7 Awaiting reply 1 "
                                "\u00B7 Declined 2 \u00B7 Seated 0 \u00B7 Not seated 2 \u00B7 "
                                "Meals: Vegetarian 1"));
        QCOMPARE(TabTestWindow::column(grid, 3), QStringList{"Declined"});

        // A budget of 2,000, written the user's way.
        window.showTab(TabHost::BudgetPage);
        BudgetTab &budget = *window.budget();
        QApplication::setActiveWindow(&window);
        typeInto(budget.totalBox(), QStringLiteral("$2,000"));
        QCOMPARE(budget.totalBox()->text(), QStringLiteral("2,000"));
        QCOMPARE(TabTestWindow::db(DbId::Plan).records().item(1).text("bdgt"), "2000");
        QTableView *view = budget.grid();
        QCOMPARE(lineOf(view, "Total"), QStringLiteral("Total 2,000/0/0/0/2,000"));

        // The florist's own budget, typed into its cell.
        const QModelIndex cell =
            view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, "Florist")[0];
        view->setFocus();
        view->setCurrentIndex(cell.siblingAtColumn(1));
        QTest::keyClick(view, Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("1,200"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(lineOf(view, "Florist"), QStringLiteral("Florist 1,200/0/0/0/1,200"));

        // A confirmed florist dearer than both: its line and the total are over budget, said in
        // words and marked beside them; a line within its budget is not.
        appState().plan.apply(QStringLiteral("Add Vendor Petals"), [](PlanEdit &edit) {
            Record &r = edit.appendRecord(DbId::Vendors);
            const std::pair<const char *, const char *> fields[] = {
                {"vnam", "Petals"}, {"vtyp", "Florist"}, {"vcos", "2500"},
                {"vdwn", "500"},    {"vcon", "True"},    {"paid", "True"}};
            for (const auto &[code, text] : fields)
                edit.write(DbId::Vendors, r, FieldCode(QString::fromLatin1(code)),
                           QString::fromLatin1(text));
        });
        QCOMPARE(lineOf(view, "Florist"),
                 QStringLiteral("Florist 1,200/2,500/500/2,000/-1,300 Over budget"));
        QCOMPARE(lineOf(view, "Total"),
                 QStringLiteral("Total 2,000/2,500/500/2,000/-500 Over budget"));
        const QModelIndex florist =
            view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, "Florist")[0];
        QVERIFY(florist.siblingAtColumn(6).data(Qt::FontRole).value<QFont>().bold());
        QVERIFY(lineOf(view, "Caterer").endsWith(u'/'));

        // The budget report, from the Reports menu.
        w.planSaved();
        QStringList shown;
        appState().setViewer([&](const QString &path) { shown << path; });
        w.trigger("mnuReportsBudget");
        appState().setViewer({});
        QCOMPARE(shown, QStringList{w.fixture().programFolder() + QStringLiteral("/Budget.htm")});
        QCOMPARE(QString::fromUtf8(readAll(shown.first())).count(QStringLiteral("OVER BUDGET")), 2);
        VERIFY_PROMPTS(prompter);
    }

    // The total budget box: an amount the user's way, or empty to remove the budget; what is no
    // amount, a negative one or one beyond 64-bit cents is refused with a message, and the
    // budget keeps what it had.
    void budgetBox_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::addColumn<QString>("stored");  // "-": no budget
        const char *rows[][4] = {
            {"not a number", "lots", "The amount you entered is not a number.", "1000"},
            {"negative", "-5", "The amount cannot be negative.", "1000"},
            {"too large", "92233720368547758.08", "The amount you entered is too large.", "1000"},
            {"the user's writing", " $1,500.50 ", "", "1500.5"},
            {"empty removes it", "", "", "-"},
        };
        for (const auto &r : rows)
            QTest::newRow(r[0]) << r[1]
                                << (*r[2] ? r[2] + u"  The budget is left as it was."_qs
                                          : QString())
                                << r[3];
    }
    void budgetBox() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        TabTestWindow w;
        BudgetTab &budget = *w.window().budget();
        w.window().showTab(TabHost::BudgetPage);
        QApplication::setActiveWindow(&w.window());
        typeInto(budget.totalBox(), QStringLiteral("1000"));
        const int steps = appState().plan.history().count();
        if (!message.isEmpty())
            w.prompter().expectMessage(message, QStringLiteral("Data Type Error"),
                                       Prompter::Icon::Exclamation);
        typeInto(budget.totalBox(), typed);
        QTRY_COMPARE(w.prompter().pending(), 0);
        VERIFY_PROMPTS(w.prompter());
        const Record &details = TabTestWindow::db(DbId::Plan).records().item(1);
        QCOMPARE(details.has("bdgt") ? details.text("bdgt") : QStringLiteral("-"), stored);
        QCOMPARE(appState().plan.history().count(), steps + (stored == u"1000" ? 0 : 1));
        // The box shows what is kept.
        QCOMPARE(budget.totalBox()->text(),
                 stored == u"-" ? QString() : TextForms::money(stored, QLocale()));
    }
};

VOWLINE_TEST(TestRepliesAndBudget)
#include "tst_repliesandbudget.moc"
