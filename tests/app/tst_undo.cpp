// The roads back users take: a mistake undone shows where it happened, as it was before, and
// the plan is unmodified again once the history is back where it was saved.
#include "app/frmmain.h"
#include "plan/appstate.h"
#include "support/guitest.h"
#include "views/guesttab.h"
#include "views/seatingtab.h"
#include "widgets/listgrid.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QUndoStack>

using Schema::DbId;

namespace {

using Icon = Prompter::Icon;
using Buttons = Prompter::Buttons;
using Answer = Prompter::Answer;

const QString kTitle = QStringLiteral("Vowline Desktop");

class UndoPlan : public TabTestWindow {
public:
    UndoPlan() {
        window().resize(1000, 700);
        window().show();
        QApplication::setActiveWindow(&window());
    }
    QAction *action(const char *name) { return fixture().find<QAction>(QString::fromLatin1(name)); }
    void undo() { action("mnuEditUndo")->trigger(); }
    void redo() { action("mnuEditRedo")->trigger(); }
    int page() { return window().mainTab()->currentIndex(); }
    QUndoStack &history() { return appState().plan.history(); }
    Record &addGuest(const QString &name, const QString &rsvp, const QString &table = {}) {
        Record &r = addRecord(db(DbId::Guest), {{"gnam", name}, {"rsvp", rsvp}});
        if (!table.isEmpty())
            db(DbId::Guest).write(r, "gtag", table);
        return r;
    }
};

} // namespace

class TestUndo : public QObject {
    Q_OBJECT
private slots:
    // A guest deleted by mistake comes back at the same place, selected, on the guest list
    // brought forward, and the count is right again; Redo deletes it once more.
    void deletedGuestComesBack() {
        UndoPlan t;
        for (const char *name : {"Ann", "Bea", "Cy", "Dot"}) {
            Record &r = t.addGuest(QString::fromLatin1(name), QStringLiteral("2"));
            t.db(DbId::Guest).write(r, "gcon", true, FieldKind::Boolean);
        }
        t.window().guests()->UpdateGuestGrid();
        t.planSaved();
        t.window().showTab(frmMain::GuestsPage);
        ListGrid &grid = *t.window().guests()->grid();
        grid.setRow(3);
        t.prompter().expectMessage(QStringLiteral("Are you sure you want to delete Cy?"), kTitle,
                                   Icon::None, Buttons::YesNo, Answer::Yes);
        t.click("cmdDeleteGuest");
        QCOMPARE(TabTestWindow::column(grid, 1), (QStringList{"Ann", "Bea", "Dot"}));
        QVERIFY(appState().plan.isModified());

        t.window().showTab(frmMain::DetailsPage);
        QCOMPARE(t.action("mnuEditUndo")->text(), QStringLiteral("&Undo Delete Guest Cy"));
        t.undo();
        QCOMPARE(t.page(), int(frmMain::GuestsPage));
        QCOMPARE(TabTestWindow::column(grid, 1), (QStringList{"Ann", "Bea", "Cy", "Dot"}));
        QCOMPARE(grid.currentRecord()->text("gnam"), QStringLiteral("Cy"));
        QCOMPARE(t.fixture().find<QLabel>(QStringLiteral("lblGuestFound"))->text(),
                 QStringLiteral("4 of 4"));
        QVERIFY(!appState().plan.isModified()); // back where it was saved
        t.prompter().expectMessage(
            QStringLiteral("Total Confirmed Guests: 8\r\rOut of a Possible 8 Invited Guests."),
            QStringLiteral("Wedding Guest Count"), Icon::None);
        t.click("cmdGuestCount");
        VERIFY_PROMPTS(t.prompter());

        QCOMPARE(t.action("mnuEditRedo")->text(), QStringLiteral("&Redo Delete Guest Cy"));
        t.redo();
        QCOMPARE(TabTestWindow::column(grid, 1), (QStringList{"Ann", "Bea", "Dot"}));
        QVERIFY(appState().plan.isModified());
        QVERIFY(!t.action("mnuEditRedo")->isEnabled());
    }

    // Three guests seated at a full table, the table enlarged on Yes: one step, and its undo
    // gives the table its seats and the guests their place on the waiting list back.
    void seatingAFullTableUndone() {
        UndoPlan t;
        addRecord(t.db(DbId::Tables),
                  {{"ttag", "T1"}, {"maxs", "8"}, {"avai", "0"}, {"coun", "8"}});
        t.addGuest(QStringLiteral("Pat"), QStringLiteral("8"), QStringLiteral("T1"));
        for (const char *name : {"Ann", "Bea", "Cy"})
            t.addGuest(QString::fromLatin1(name), QStringLiteral("1"));
        t.window().showTab(frmMain::SeatingPage);
        SeatingTab &seating = *t.window().seating();
        seating.UpdateTableGrid();
        t.planSaved();
        ListGrid &tables = *seating.tableGrid();
        tables.setFocus();
        tables.setRow(1);
        QTest::keyClick(&tables, Qt::Key_Home);
        const auto numbers = [&t] {
            const Record &table = t.db(DbId::Tables).records().item(1);
            return QStringList{table.text("maxs"), table.text("avai"), table.text("coun")};
        };
        QCOMPARE(numbers(), (QStringList{"8", "0", "8"}));

        t.click("cmdAddPerson");
        seating.addPersonList()->selectAll();
        t.prompter().expectMessage(
            QStringLiteral("Adding these guests will cause your table to exceed the number of "
                           "available seats.  Do you want to adjust the maximum number of seats "
                           "for this table and continue?"),
            kTitle, Icon::Question, Buttons::YesNo, Answer::Yes);
        t.click("cmdSeatChosen");
        VERIFY_PROMPTS(t.prompter());
        QCOMPARE(numbers(), (QStringList{"11", "0", "11"}));
        QCOMPARE(TabTestWindow::column(*seating.seatingGrid(), 1),
                 (QStringList{"Pat", "Ann", "Bea", "Cy"}));
        QCOMPARE(t.history().count(), 1);
        QCOMPARE(t.action("mnuEditUndo")->text(),
                 QStringLiteral("&Undo Seat 3 Guests at Table T1"));

        t.undo();
        QCOMPARE(t.page(), int(frmMain::SeatingPage));
        QCOMPARE(numbers(), (QStringList{"8", "0", "8"}));
        QCOMPARE(TabTestWindow::column(*seating.seatingGrid(), 1), QStringList{"Pat"});
        QCOMPARE(tables.text(1, 3), QStringLiteral("8"));
        QVERIFY(!appState().plan.isModified());
        t.click("cmdAddPerson");
        QCOMPARE(seating.addPersonList()->model()->rowCount(), 3);
    }

    // A spreadsheet of 150 guests imported by mistake goes in one step; Undo takes every one
    // of them out again. Undone back to the saved plan, Close asks nothing.
    void importUndoneInOneStep() {
        UndoPlan t;
        t.addGuest(QStringLiteral("Ann"), QStringLiteral("1"));
        t.window().guests()->UpdateGuestGrid();
        t.planSaved();
        QTemporaryDir folder;
        QByteArray csv = "Name,RSVP\r\n";
        for (int i = 1; i <= 150; ++i)
            csv += "Guest " + QByteArray::number(i) + ",1\r\n";
        const QString file = folder.filePath(QStringLiteral("guests.csv"));
        writeAll(file, csv);
        t.prompter()
            .expectOpenFile(QStringLiteral("Import Guests"), file)
            .expectMessage(QStringLiteral("150 guests were added to the guest list."),
                           QStringLiteral("Import Guests"), Icon::Information);
        onNextModal(QStringLiteral("frmImportGuests"),
                    [](QDialog *d) { clickButton(d, QStringLiteral("cmdOK")); });
        t.action("mnuFileImportGuests")->trigger();
        QVERIFY(modalHandlersDone());
        QCOMPARE(t.db(DbId::Guest).records().count(), 151);
        QCOMPARE(t.history().count(), 1);

        t.undo();
        QCOMPARE(t.db(DbId::Guest).listValues("gnam"), QStringList{"Ann"});
        QCOMPARE(t.window().guests()->grid()->rows() - 1, 1);
        QVERIFY(!t.action("mnuEditUndo")->isEnabled());
        QVERIFY(!appState().plan.isModified());
        t.action("mnuFileClose")->trigger(); // no save question
        VERIFY_PROMPTS(t.prompter());
    }

    // While a text box has typing of its own to take back, Ctrl+Z takes that back first; then
    // the plan's steps.
    void ctrlZUndoesTheBoxFirst() {
        UndoPlan t;
        t.planSaved();
        auto *groom = t.fixture().find<QLineEdit>(QStringLiteral("TXTgnam"));
        auto *bride = t.fixture().find<QLineEdit>(QStringLiteral("TXTbnam"));
        groom->setFocus();
        QTest::keyClicks(groom, QStringLiteral("Bo"));
        bride->setFocus();
        QTRY_VERIFY(bride->hasFocus());
        QTest::keyClicks(bride, QStringLiteral("Ann"));
        QTest::keyClick(bride, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(bride->text(), QString());
        QCOMPARE(groom->text(), QStringLiteral("Bo"));
        QTest::keyClick(bride, Qt::Key_Z, Qt::ControlModifier); // the box has no more
        QCOMPARE(groom->text(), QString());
        QVERIFY(!appState().plan.isModified());
    }
};

VOWLINE_TEST(TestUndo)
#include "tst_undo.moc"
