// The guest list at a glance and the budget, through the real widgets: a spreadsheet of
// replies and meals imported, the summary line, a guest declined in the record editor, a budget
// set, a vendor over it, the overspent line and the budget report.
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
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

namespace {

using Icon = Prompter::Icon;

template <class T> T *child(QWidget *parent, const char *name) {
    T *w = parent->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

// The budget grid's lines as "Service budgeted/committed/paid/due/left status".
QStringList budgetLines(QTableView *grid) {
    QStringList lines;
    const QAbstractItemModel *m = grid->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 1; c <= 5; ++c)
            cells << m->index(r, c).data().toString();
        lines << QStringLiteral("%1 %2 %3")
                     .arg(m->index(r, 0).data().toString(), cells.join(u'/'),
                          m->index(r, 6).data().toString())
                     .trimmed();
    }
    return lines;
}

QString lineOf(QTableView *grid, const QString &service) {
    for (const QString &line : budgetLines(grid)) {
        if (line.startsWith(service + u' '))
            return line;
    }
    return {};
}

int rowOf(QTableView *grid, const QString &service) {
    const QAbstractItemModel *m = grid->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        if (m->index(r, 0).data().toString() == service)
            return r;
    }
    return -1;
}

// Typed into a box and left with Enter, as the user does.
void typeInto(QLineEdit *box, const QString &text) {
    box->setFocus();
    box->selectAll();
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
        w.planSaved();
        frmMain &window = w.window();
        ScriptedPrompter &prompter = w.prompter();
        GuestTab &guests = *window.guests();
        QLabel *summary = guests.summaryLabel();
        QCOMPARE(summary->objectName(), QStringLiteral("lblGuestSummary"));

        // A spreadsheet of replies: yes, no, blank; meals in any letter case.
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/replies.csv");
        writeAll(file, "Name,Reply,Meal,RSVP\r\n"
                       "Ann,Yes,fish,2\r\n"
                       "Bob,No,Meat,1\r\n"
                       "Cy,,Kosher,\r\n"
                       "Dee,yes,Vegetarian,\r\n");
        prompter.expectOpenFile(QStringLiteral("Import Guests"), file);
        onNextModal(QStringLiteral("frmImportGuests"),
                    [](QDialog *d) { clickButton(d, QStringLiteral("cmdOK")); });
        prompter.expectMessage(QStringLiteral("4 guests were added to the guest list."),
                               QStringLiteral("Import Guests"), Icon::Information);
        w.fixture().find<QAction>(QStringLiteral("mnuFileImportGuests"))->trigger();
        QVERIFY(modalHandlersDone());
        VERIFY_PROMPTS(prompter);
        QCOMPARE(summary->text(),
                 QStringLiteral("Invited 4 \u00B7 Confirmed 2 (3 people) \u00B7 Awaiting reply 1 "
                                "\u00B7 Declined 1 \u00B7 Seated 0 \u00B7 Not seated 3 \u00B7 "
                                "Meals: Fish 2, Vegetarian 1"));

        // The lists show the replies, and filter by them and by meal.
        ListGrid &grid = *guests.grid();
        QCOMPARE(TabTestWindow::column(grid, 3),
                 (QStringList{"Confirmed", "Declined", "Awaiting reply", "Confirmed"}));
        // A meal the list lacks is typed into the box, and found all the same.
        PersonListTab::setBoxText(guests.mealBox(), QStringLiteral("Kosher"));
        guests.UpdateGuestGrid();
        QCOMPARE(TabTestWindow::column(grid, 1), QStringList{"Cy"});
        PersonListTab::setBoxText(guests.mealBox(), QStringLiteral("Fish"));
        guests.UpdateGuestGrid();
        QCOMPARE(TabTestWindow::column(grid, 1), QStringList{"Ann"});

        // Ann declines, in the record editor.
        grid.selectRecord(&TabTestWindow::db(Schema::DbId::Guest).records().item(1));
        onNextModal(QStringLiteral("frmRecordEditor"), [](QDialog *d) {
            auto *reply = child<QComboBox>(d, "cboReply");
            QCOMPARE(reply->currentText(), QStringLiteral("Confirmed"));
            reply->setCurrentIndex(reply->findText(QStringLiteral("Declined")));
            QVERIFY(!child<QCheckBox>(d, "chkRecord")->isChecked());
            clickButton(d, QStringLiteral("cmdRecordOK"));
        });
        emit grid.rowDoubleClicked();
        QVERIFY(modalHandlersDone());
        QCOMPARE(summary->text(),
                 QStringLiteral("Invited 4 \u00B7 Confirmed 1 (1 person) \u00B7 Awaiting reply 1 "
                                "\u00B7 Declined 2 \u00B7 Seated 0 \u00B7 Not seated 2 \u00B7 "
                                "Meals: Vegetarian 1"));
        QCOMPARE(TabTestWindow::column(grid, 3), QStringList{"Declined"});
        // The guest count leaves both who declined out; the handheld sees Ann unconfirmed.
        prompter.expectMessage(
            QStringLiteral("Total Confirmed Guests: 1\r\rOut of a Possible 2 Invited Guests."),
            QStringLiteral("Wedding Guest Count"), Icon::None);
        w.click("cmdGuestCount");
        VERIFY_PROMPTS(prompter);
        QCOMPARE(TabTestWindow::db(Schema::DbId::Guest).records().item(1).value("gcon"),
                 FieldValue(false));

        // A budget: a text that is no amount is refused and changes nothing; then 2,000.
        window.showTab(TabHost::BudgetPage);
        BudgetTab &budget = *window.budget();
        QApplication::setActiveWindow(&window);
        prompter.expectMessage(
            QStringLiteral(
                "The amount you entered is not a number.  The budget is left as it was."),
            QStringLiteral("Data Type Error"), Icon::Exclamation);
        typeInto(budget.totalBox(), QStringLiteral("lots"));
        QTRY_COMPARE(prompter.pending(), 0);
        VERIFY_PROMPTS(prompter);
        QCOMPARE(budget.totalBox()->text(), QString());
        QCOMPARE(appState().plan.history().count(), 2); // the import and Ann's reply
        typeInto(budget.totalBox(), QStringLiteral("$2,000"));
        QCOMPARE(budget.totalBox()->text(), QStringLiteral("2,000"));
        QCOMPARE(TabTestWindow::db(Schema::DbId::Plan).records().item(1).text("bdgt"),
                 QStringLiteral("2000"));
        QCOMPARE(lineOf(budget.grid(), "Total"), QStringLiteral("Total 2,000/0/0/0/2,000"));

        // The florist's own budget, typed into its cell.
        QTableView *view = budget.grid();
        const QModelIndex cell = view->model()->index(rowOf(view, "Florist"), 1);
        view->setFocus();
        view->setCurrentIndex(cell);
        QTest::keyClick(view, Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("1,200"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(lineOf(view, "Florist"), QStringLiteral("Florist 1,200/0/0/0/1,200"));

        // A confirmed florist dearer than both: its line and the total are over budget.
        window.showTab(TabHost::VendorsPage);
        onNextModal(QStringLiteral("frmRecordEditor"), [](QDialog *d) {
            QTest::keyClicks(child<QLineEdit>(d, "txtName"), QStringLiteral("Petals"));
            child<QComboBox>(d, "cboType")->setEditText(QStringLiteral("Florist"));
            child<QCheckBox>(d, "chkRecord")->setChecked(true);
            child<QTabWidget>(d, "RecordTabs")->setCurrentIndex(1);
            QTest::keyClicks(child<QLineEdit>(d, "txtPrice"), QStringLiteral("2500"));
            QTest::keyClicks(child<QLineEdit>(d, "txtDownPayment"), QStringLiteral("500"));
            child<QCheckBox>(d, "chkPaid")->setChecked(true);
            clickButton(d, QStringLiteral("cmdRecordOK"));
        });
        w.click("cmdAddVendor");
        QVERIFY(modalHandlersDone());
        VERIFY_PROMPTS(prompter);
        QCOMPARE(lineOf(view, "Florist"),
                 QStringLiteral("Florist 1,200/2,500/500/2,000/-1,300 Over budget"));
        QCOMPARE(lineOf(view, "Total"),
                 QStringLiteral("Total 2,000/2,500/500/2,000/-500 Over budget"));
        // Said in words, and marked beside the words; a line within its budget is not.
        const QModelIndex status = view->model()->index(rowOf(view, "Florist"), 6);
        QVERIFY(status.data(Qt::FontRole).value<QFont>().bold());
        QVERIFY(lineOf(view, "Caterer").endsWith(u'/'));

        // The budget report, from the Reports menu.
        w.planSaved();
        QStringList shown;
        appState().setViewer([&](const QString &path) { shown << path; });
        w.fixture().find<QAction>(QStringLiteral("mnuReportsBudget"))->trigger();
        appState().setViewer({});
        QCOMPARE(shown, QStringList{w.fixture().programFolder() + QStringLiteral("/Budget.htm")});
        const QString html = QString::fromUtf8(readAll(shown.first()));
        QVERIFY(html.contains(QStringLiteral("<h1>Budget for ")));
        QVERIFY(
            html.contains(QStringLiteral("<td>Florist</td>\r\n<td class=\"money\">1,200</td>\r\n"
                                         "<td class=\"money\">2,500</td>")));
        QCOMPARE(html.count(QStringLiteral("OVER BUDGET")), 2);
        VERIFY_PROMPTS(prompter);
    }

    // The total budget box takes an amount written the user's way, and an empty box removes
    // the budget; what is no amount, a negative one or one beyond 64-bit cents gets the
    // "Data Type Error" message and the budget keeps what it had.
    void budgetBox_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::addColumn<QString>("stored");  // "-": no budget
        const QString kept = QStringLiteral("  The budget is left as it was.");
        QTest::newRow("not a number") << "lots"
                                      << "The amount you entered is not a number." + kept << "1000";
        QTest::newRow("negative") << "-5"
                                  << "The amount cannot be negative." + kept << "1000";
        QTest::newRow("beyond 64-bit cents")
            << "92233720368547758.08"
            << "The amount you entered is too large." + kept << "1000";
        QTest::newRow("the largest amount") << "92,233,720,368,547,758.07"
                                            << ""
                                            << "92233720368547758.07";
        QTest::newRow("the user's writing") << " $1,500.50 "
                                            << ""
                                            << "1500.5";
        QTest::newRow("empty removes it") << ""
                                          << ""
                                          << "-";
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
                                       Icon::Exclamation);
        budget.totalBox()->setFocus();
        budget.totalBox()->selectAll();
        if (typed.isEmpty())
            QTest::keyClick(budget.totalBox(), Qt::Key_Delete);
        else
            QTest::keyClicks(budget.totalBox(), typed);
        QTest::keyClick(budget.totalBox(), Qt::Key_Return);
        QTRY_COMPARE(w.prompter().pending(), 0);
        VERIFY_PROMPTS(w.prompter());
        const Record &details = TabTestWindow::db(Schema::DbId::Plan).records().item(1);
        QCOMPARE(details.has("bdgt") ? details.text("bdgt") : QStringLiteral("-"), stored);
        QCOMPARE(appState().plan.history().count(), steps + (stored == u"1000" ? 0 : 1));
        // The box shows what is kept.
        QCOMPARE(budget.totalBox()->text(),
                 stored == u"-" ? QString() : TextForms::money(stored, QLocale()));
    }
};

VOWLINE_TEST(TestRepliesAndBudget)
#include "tst_repliesandbudget.moc"
