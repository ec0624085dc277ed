#include "app/frmmain.h"
#include "plan/appstate.h"
#include "support/guitest.h"
#include "views/seatingtab.h"
#include "widgets/listgrid.h"

#include <QFrame>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

using Schema::DbId;

namespace {

using Icon = Prompter::Icon;
using Buttons = Prompter::Buttons;
using Answer = Prompter::Answer;

const QString kTitle = QStringLiteral("Vowline Desktop");
const QString kTooBig = QStringLiteral(
    "Adding this guest will cause your table to exceed the number of available seats.  Do you "
    "want to adjust the maximum number of seats for this table and continue?");
const QString kTooBigSeveral = QStringLiteral(
    "Adding these guests will cause your table to exceed the number of available seats.  Do "
    "you want to adjust the maximum number of seats for this table and continue?");

// A main window over a fresh plan with these tables (tag, maxs, avai, coun) and guests (name,
// rsvp and, when given, gtag), on the "Seating" tab, not modified.
class SeatingPlan : private UsLocale, public TabTestWindow {
public:
    SeatingPlan(const QList<QStringList> &tables, const QList<QStringList> &guests) {
        for (const QStringList &t : tables)
            addRecord(db(DbId::Tables),
                      {{"ttag", t[0]}, {"maxs", t[1]}, {"avai", t[2]}, {"coun", t[3]}});
        for (const QStringList &g : guests) {
            Record &r = addRecord(db(DbId::Guest), {{"gnam", g[0]}, {"rsvp", g[1]}});
            if (g.size() > 2)
                db(DbId::Guest).write(r, "gtag", g[2]);
        }
        window().resize(1000, 700);
        window().show();
        window().showTab(frmMain::SeatingPage);
        tab().UpdateTableGrid();
        planSaved();
    }

    SeatingTab &tab() { return *window().seating(); }
    ListGrid &tables() { return *tab().tableGrid(); }
    ListGrid &seating() { return *tab().seatingGrid(); }
    QListView &list() { return *tab().addPersonList(); }
    bool panelShown() { return tab().addPersonPanel()->isVisible(); }
    Record &table(int n) { return db(DbId::Tables).records().item(n); }
    Record &guest(const QString &name) {
        for (auto &r : db(DbId::Guest).records().raw())
            if (r->text("gnam") == name)
                return *r;
        qFatal("no guest");
    }
    // maxs/avai/coun of a table.
    QString numbers(int n) {
        return QStringList{table(n).text("maxs"), table(n).text("avai"), table(n).text("coun")}
            .join(u'/');
    }
    // A mouse click on a data row of a grid.
    static void clickRow(ListGrid &grid, int row, bool twice = false) {
        const QPoint at = grid.visualRect(grid.model()->index(row - 1, 0)).center();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at);
    }
    QStringList offered() {
        QStringList names;
        for (int r = 0; r < list().model()->rowCount(); ++r)
            names << list().model()->index(r, 0).data().toString();
        return names;
    }
    // Chooses the guests named in the open panel: a click, then Ctrl+clicks.
    void choose(const QStringList &names) {
        const QStringList entries = offered();
        Qt::KeyboardModifiers modifiers;
        for (int row = 0; row < entries.size(); ++row) {
            if (!names.contains(entries[row].section(QStringLiteral("  ("), 0, 0)))
                continue;
            const QRect at = list().visualRect(list().model()->index(row, 0));
            QTest::mouseClick(list().viewport(), Qt::LeftButton, modifiers, at.center());
            modifiers = Qt::ControlModifier;
        }
    }
    QStringList seated() { return column(seating(), 1); }

private:
    static PalmDatabase &db(DbId id) { return TabTestWindow::db(id); }
};

} // namespace

class TestSeatingTab : public QObject {
    Q_OBJECT
private slots:
    // "Add Person" offers the guests at no table, by name, with the seats each needs; one or
    // several are seated in one step, with one question when the table overflows (on No, those
    // that do not fit stay unseated).
    void seatFromTheList_data() {
        QTest::addColumn<QString>("before"); // maxs/avai/coun, Pat already seated for coun
        QTest::addColumn<QString>("rsvp");   // Ann's; Eve needs one seat
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<bool>("enter");     // Enter in the list rather than "Seat"
        QTest::addColumn<QString>("answer"); // to the question, when there is one
        QTest::addColumn<QString>("after");
        QTest::addColumn<QStringList>("seated");
        const QStringList ann{"Ann"}, both{"Ann", "Eve"};
        const struct {
            const char *name, *before, *rsvp;
            QStringList chosen;
            bool enter;
            const char *answer, *after;
            QStringList seated;
        } rows[] = {
            {"fits", "8/6/2", "3", ann, true, "", "8/3/5", {"Ann", "Pat"}},
            {"too big, grow", "8/1/7", "4", ann, false, "Yes", "11/0/11", {"Ann", "Pat"}},
            // On No, those that fit are seated all the same.
            {"several, declined", "8/1/7", "4", both, true, "No", "8/0/8", {"Eve", "Pat"}},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.before << r.rsvp << r.chosen << r.enter << r.answer
                                  << r.after << r.seated;
    }
    void seatFromTheList() {
        QFETCH(QString, before);
        QFETCH(QString, rsvp);
        QFETCH(QStringList, chosen);
        QFETCH(bool, enter);
        QFETCH(QString, answer);
        QFETCH(QString, after);
        QFETCH(QStringList, seated);
        const QStringList n = before.split(u'/');
        SeatingPlan plan(
            {{" T1 ", n[0], n[1], n[2]}, {"T2", "8", "7", "3"}},
            {{"Ann", rsvp}, {"Bob", "2", "T3"}, {"Eve", "1", ""}, {"Pat", n[2], "T1"}});
        QVERIFY(!plan.seating().isEnabled());
        // A table nobody sits at keeps its numbers; the keyboard chooses as the mouse does.
        SeatingPlan::clickRow(plan.tables(), 2);
        QCOMPARE(plan.numbers(2), QStringLiteral("8/7/3"));
        QTest::keyClick(&plan.tables(), Qt::Key_Up);
        QVERIFY(plan.seating().isEnabled());
        QCOMPARE(plan.seated(), QStringList{"Pat"});
        QCOMPARE(plan.numbers(1), before); // the recount agrees

        plan.click("cmdAddPerson");
        QVERIFY(plan.panelShown());
        // An empty tag seats nobody: Eve is offered too.
        QCOMPARE(plan.offered(),
                 (QStringList{"Ann  (" + rsvp + " seats)", QStringLiteral("Eve  (1 seat)")}));
        if (!answer.isEmpty())
            plan.prompter().expectMessage(chosen.size() > 1 ? kTooBigSeveral : kTooBig, kTitle,
                                          Icon::Question, Buttons::YesNo,
                                          answer == "Yes" ? Answer::Yes : Answer::No);
        plan.choose(chosen);
        if (enter)
            QTest::keyClick(&plan.list(), Qt::Key_Return);
        else
            plan.click("cmdSeatChosen");
        VERIFY_PROMPTS(plan.prompter());
        QVERIFY(!plan.panelShown());
        QCOMPARE(plan.numbers(1), after);
        QCOMPARE(plan.seated(), seated);
        QCOMPARE(plan.tables().text(1, 5), plan.table(1).text("avai"));
        const bool annSeated = seated.contains("Ann");
        QCOMPARE(plan.guest("Ann").has("gtag"), annSeated);
        // Seating is one step of the plan: closing now asks to save it.
        const bool changed = seated.size() > 1;
        QCOMPARE(appState().plan.history().count(), changed ? 1 : 0);
        QCOMPARE(appState().statusText(),
                 changed ? AppState::kUserDatabaseModified : AppState::kUserDatabase);
        if (!annSeated)
            return;
        QCOMPARE(plan.guest("Ann").text("gtag"), QStringLiteral("T1"));

        // Unseating gives the seats back, and Ann waits for a table again.
        appState().markPlanSaved(AppState::PlanKind::User);
        plan.seating().setRow(1);
        plan.prompter().expectMessage("Are you sure you want to remove Ann from this table?",
                                      kTitle, Icon::Question, Buttons::YesNo, Answer::Yes);
        plan.click("cmdRemovePerson");
        VERIFY_PROMPTS(plan.prompter());
        QVERIFY(!plan.guest("Ann").has("gtag"));
        if (answer.isEmpty() && chosen.size() == 1)
            QCOMPARE(plan.numbers(1), before);
        QCOMPARE(appState().statusText(), AppState::kUserDatabaseModified);
        plan.click("cmdAddPerson");
        QVERIFY(plan.offered().contains("Ann  (" + rsvp + " seats)"));
        // Escape closes the panel and seats nobody.
        QTest::keyClick(&plan.list(), Qt::Key_Escape);
        QVERIFY(!plan.panelShown());
        QCOMPARE(plan.seated(), QStringList(seated.mid(1)));
    }

    // The table editor through "Update": what it refuses, what it asks, what it writes.
    void tableEditor_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("maxs");
        QTest::addColumn<QString>("avail");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QString>("after"); // maxs/avai/coun once the tab has recounted
        const QString unique = "You must enter a unique table ID.";
        const QString taken = "The entered table ID is already assigned to another table.  You "
                              "must enter a unique table ID.";
        const QString badMax = "The entered value for the maximum number of seat is not a valid "
                               "number.  Do you want to clear this entry and continue?";
        const QString badAvail = "The entered value for the available number of seat is not a "
                                 "valid number.  Do you want to clear this entry and continue?";
        const QString seats = "A table has a whole number of seats, from 0 to 32,767.";
        const int ok = int(Answer::Ok), yes = int(Answer::Yes), no = int(Answer::No);
        const struct {
            const char *name, *id, *maxs, *avail;
            QString message;
            int answer;
            bool closes;
            const char *after;
        } rows[] = {
            {"own ID", " T1", "10", "x", badAvail, yes, true, "10/5/5"},
            {"blank ID", "   ", "10", "", unique, ok, false, "8/3/5"},
            {"taken after trimming", " T2 ", "10", "", taken, ok, false, "8/3/5"},
            {"letters in max. seats, cleared", "T1", "ten", "", badMax, yes, true, "5/0/5"},
            {"letters in max. seats, kept", "T1", "ten", "", badMax, no, false, "8/3/5"},
            // A number, but no number of seats: said so, and the dialog stays.
            {"max. seats not whole", "T1", "8.5", "", seats, ok, false, "8/3/5"},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.id << r.maxs << r.avail << r.message << r.answer << r.closes
                                  << r.after;
    }
    void tableEditor() {
        QFETCH(QString, id);
        QFETCH(QString, maxs);
        QFETCH(QString, avail);
        QFETCH(QString, message);
        QFETCH(int, answer);
        QFETCH(bool, closes);
        QFETCH(QString, after);
        SeatingPlan plan({{"T1", "8", "3", "5"}, {"T2", "8", "8", "0"}},
                         {{"Ann", "2", "T1"}, {"Bob", "3", "T1"}});
        SeatingPlan::clickRow(plan.tables(), 1);
        if (!message.isEmpty()) {
            const bool question = message.contains(u'?');
            plan.prompter().expectMessage(message, kTitle,
                                          question ? Icon::Question : Icon::Exclamation,
                                          question ? Buttons::YesNo : Buttons::Ok, Answer(answer));
        }
        bool stayed = false;
        onNextModal("frmTable", [&](QDialog *dialog) {
            child<QLineEdit>(dialog, "txtTableID")->setText(id);
            child<QLineEdit>(dialog, "txtMaxSeats")->setText(maxs);
            child<QLineEdit>(dialog, "txtAvailSeats")->setText(avail);
            clickButton(dialog, "cmdOK");
            stayed = dialog->isVisible();
            if (stayed)
                clickButton(dialog, "cmdCancel");
        });
        plan.click("cmdUpdate");
        QVERIFY(modalHandlersDone());
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(stayed, !closes);
        QCOMPARE(plan.table(1).text("ttag"), closes ? id : QStringLiteral("T1"));
        QCOMPARE(plan.numbers(1), after);
        QCOMPARE(appState().statusText(),
                 closes ? AppState::kUserDatabaseModified : AppState::kUserDatabase);
    }

    // A new ID takes the table's guests along, and the tab goes on seating at that table.
    void guestsFollowTheirTable() {
        SeatingPlan plan({{"T1", "10", "5", "5"}, {"T2", "8", "8", "0"}},
                         {{"Ann", "2", "T1"}, {"Bob", "3", "T1"}, {"Cat", "1"}});
        SeatingPlan::clickRow(plan.tables(), 1);
        onNextModal("frmTable", [](QDialog *dialog) {
            child<QLineEdit>(dialog, "txtTableID")->setText(QStringLiteral("Head "));
            clickButton(dialog, "cmdOK");
        });
        plan.click("cmdUpdate");
        QVERIFY(modalHandlersDone());
        QCOMPARE(plan.guest("Ann").text("gtag"), QStringLiteral("Head"));
        QCOMPARE(plan.seated(), (QStringList{"Ann", "Bob"}));
        QCOMPARE(plan.numbers(1), QStringLiteral("10/5/5"));

        // A seated guest opens in the record editor; afterwards the tab still seats at the
        // table it shows.
        plan.seating().setRow(2);
        QString opened;
        onNextModal("frmRecordEditor", [&opened](QDialog *dialog) {
            opened = dialog->findChild<QLineEdit *>("txtName")->text();
            clickButton(dialog, "cmdRecordCancel");
        });
        SeatingPlan::clickRow(plan.seating(), 2, true);
        QVERIFY(modalHandlersDone());
        QCOMPARE(opened, QStringLiteral("Bob"));
        plan.click("cmdAddPerson");
        plan.choose({"Cat"});
        plan.click("cmdSeatChosen");
        QCOMPARE(plan.numbers(1), QStringLiteral("10/4/6"));
        QCOMPARE(plan.numbers(2), QStringLiteral("8/8/0"));
    }
};

VOWLINE_TEST(TestSeatingTab)
#include "tst_seating.moc"
