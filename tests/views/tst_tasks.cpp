#include "app/frmmain.h"
#include "plan/appstate.h"
#include "rules/taskorder.h"
#include "support/guitest.h"
#include "views/taskstab.h"
#include "widgets/listgrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

using Schema::DbId;

namespace {

using Icon = Prompter::Icon;
using Buttons = Prompter::Buttons;
using Answer = Prompter::Answer;

struct Task {
    QString time;
    QString details;
    bool done = false;
    QDateTime alarm; // invalid: no alrm
};

// A main window over a fresh plan whose timeframes are Early, Middle and Late, holding these
// tasks in timeframe order (as a load leaves them), the filter on "All" and the plan not
// modified.
class TaskPlan : public TabTestWindow {
public:
    explicit TaskPlan(const QList<Task> &tasks) {
        PalmDatabase &frames = TabTestWindow::db(DbId::TimeFrames);
        frames.records().removeAll();
        for (const char *name : {"Early", "Middle", "Late"})
            addRecord(frames, {{"time", QString::fromLatin1(name)}});
        db().records().removeAll();
        for (const Task &t : tasks) {
            Record &r = addRecord(db(), {{"time", t.time}, {"evnt", t.details}, {"done", t.done}});
            if (t.alarm.isValid())
                db().write(r, "alrm", t.alarm, FieldKind::Date);
        }
        appState().plan.applyQuietly([](PlanEdit &edit) {
            TaskOrder::renumberTasks(edit);
            TaskOrder::sortTasks(edit);
        });
        tab().fillFilterBoxes();
        planSaved();
    }

    void setFilter(const QString &timeframe) {
        tab().timeframeBox()->setEditText(timeframe);
        tab().UpdateTasks();
    }
    TasksTab &tab() { return *window().tasks(); }
    ListGrid &grid() { return *tab().grid(); }
    PalmDatabase &db() { return TabTestWindow::db(DbId::Tasks); }
    QStringList details() { return column(grid(), 2); }
};

// Sorted: "middle" is no timeframe of the list, so it has no position and comes first; the
// Early tasks by date.
const QList<Task> kTasks = {
    {"Late", "cake", false, QDate(2027, 5, 1).startOfDay()},
    {"Early", "venue", true, QDate(2026, 9, 1).startOfDay()},
    {"middle", "dress", false, {}},
    {"Early", "budget", false, QDate(2026, 8, 1).startOfDay()},
};

} // namespace

class TestTasks : public QObject {
    Q_OBJECT
private slots:
    void sortAndFilter() {
        TaskPlan plan(kTasks);
        QCOMPARE(plan.details(), (QStringList{"dress", "budget", "venue", "cake"}));
        QCOMPARE(plan.grid().text(3, 3), QStringLiteral("Complete"));
        QCOMPARE(plan.grid().text(2, 3), QStringLiteral("Pending"));
        QCOMPARE(plan.grid().text(0, 4), QStringLiteral("Due Date"));
        QVERIFY(!plan.grid().text(2, 4).isEmpty());
        plan.setFilter("Early");
        QCOMPARE(plan.details(), (QStringList{"budget", "venue"}));
        plan.setFilter("Middle"); // exact: "middle" is another timeframe
        QCOMPARE(plan.details(), QStringList{});
        QVERIFY(!appState().plan.isModified());
    }

    // "Add Task" opens the editor on a task made apart, in the filter's timeframe: the list
    // shows no new row meanwhile. Cancel and Escape leave the plan untouched; OK adds it as one
    // step, sorted at once and selected.
    void addTask_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("how"); // OK, Cancel or Escape
        const char *rows[][3] = {{"in the filter's timeframe", "Middle", "OK"},
                                 {"under All", "All", "OK"},
                                 {"cancelled", "Middle", "Cancel"},
                                 {"escaped", "All", "Escape"}};
        for (const auto &r : rows)
            QTest::newRow(r[0]) << r[1] << r[2];
    }
    void addTask() {
        QFETCH(QString, filter);
        QFETCH(QString, how);
        TaskPlan plan(kTasks);
        plan.setFilter(filter);
        const int rowsBefore = plan.grid().rows();
        QString shownTime, caption;
        int rowsWhileOpen = -1, recordsWhileOpen = -1;
        onNextModal("frmTaskEditor", [&](QDialog *dialog) {
            rowsWhileOpen = plan.grid().rows();
            recordsWhileOpen = plan.db().records().count();
            caption = dialog->windowTitle();
            shownTime = dialog->findChild<QComboBox *>("cboTaskTimes")->currentText();
            QTest::keyClicks(dialog->findChild<QLineEdit *>("txtEventDetails"), "rings");
            if (how == "Escape")
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                clickButton(dialog, how == "OK" ? "cmdTaskOK" : "cmdTaskCancel");
        });
        plan.click("cmdAddTask");
        QVERIFY(modalHandlersDone());
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(caption, QStringLiteral("Wedding Task Editor"));
        QCOMPARE(rowsWhileOpen, rowsBefore);
        QCOMPARE(recordsWhileOpen, 4);
        const QString time = filter == "All" ? QString() : filter;
        QCOMPARE(shownTime, time);
        const bool kept = how == "OK";
        QCOMPARE(plan.db().records().count(), kept ? 5 : 4);
        QCOMPARE(appState().plan.history().count(), kept ? 1 : 0);
        QCOMPARE(appState().statusText(),
                 kept ? AppState::kUserDatabaseModified : AppState::kUserDatabase);
        if (!kept) {
            QCOMPARE(plan.grid().rows(), rowsBefore);
            return;
        }
        const QStringList all = plan.db().listValues("evnt");
        const Record &added = plan.db().records().item(int(all.indexOf("rings")) + 1);
        QCOMPARE(added.text("time"), time);
        QVERIFY(!added.value("alrm").toDateTime().isValid());
        // A Middle task after the Early ones; one without a timeframe among the tasks without a
        // position, at the front.
        QCOMPARE(added.value("ordr"), time.isEmpty() ? FieldValue() : FieldValue(qint16(2)));
        QCOMPARE(all.indexOf("rings"), time.isEmpty() ? 1 : 3);
        QCOMPARE(plan.grid().currentRecord(), &added);
    }

    // The question names the row; the row's record goes. The Delete key asks as the button does.
    void deleteTask_data() {
        QTest::addColumn<bool>("key");
        QTest::addColumn<bool>("yes");
        QTest::newRow("button, yes") << false << true;
        QTest::newRow("button, no") << false << false;
        QTest::newRow("Delete key, yes") << true << true;
    }
    void deleteTask() {
        QFETCH(bool, key);
        QFETCH(bool, yes);
        TaskPlan plan(kTasks);
        plan.setFilter("Early"); // rows: budget, venue
        plan.grid().setRow(2);
        plan.prompter().expectMessage("Are you sure you want to delete TASK 2?", "Vowline Desktop",
                                      Icon::None, Buttons::YesNo, yes ? Answer::Yes : Answer::No);
        if (key)
            QTest::keyClick(&plan.grid(), Qt::Key_Delete);
        else
            plan.click("cmdDeleteTask");
        plan.setFilter("All");
        plan.grid().setRow(3);
        plan.prompter().expectMessage("Are you sure you want to delete TASK 3?", "Vowline Desktop",
                                      Icon::None, Buttons::YesNo, Answer::No);
        plan.click("cmdDeleteTask");
        VERIFY_PROMPTS(plan.prompter());
        const QStringList left = yes ? QStringList{"dress", "budget", "cake"}
                                     : QStringList{"dress", "budget", "venue", "cake"};
        QCOMPARE(plan.db().listValues("evnt"), left);
        QCOMPARE(appState().plan.isModified(), yes);
    }

    // Opening a task shows it; OK writes it, renumbers and sorts, and an edit marks the plan
    // modified. OK without an edit is no step. The Notes button edits the task's note.
    void editTask() {
        TaskPlan plan(kTasks);
        Record &dress = plan.db().records().item(1);
        dress.fields().remove("done"); // written before done existed
        plan.grid().setRow(2);
        onNextModal("frmTaskEditor", [](QDialog *dialog) { clickButton(dialog, "cmdTaskOK"); });
        QTest::keyClick(&plan.grid(), Qt::Key_Return);
        QVERIFY(modalHandlersDone());
        QCOMPARE(appState().plan.history().count(), 0);
        QCOMPARE(appState().statusText(), AppState::kUserDatabase);

        plan.grid().setRow(1); // "dress", in no listed timeframe
        QString due, times;
        bool done = true;
        onNextModal("frmTaskEditor", [&](QDialog *dialog) {
            auto *box = dialog->findChild<QComboBox *>("cboTaskTimes");
            for (int i = 0; i < box->count(); ++i)
                times += box->itemText(i) + u' ';
            done = dialog->findChild<QCheckBox *>("chkTaskDone")->isChecked();
            due = dialog->findChild<QLineEdit *>("txtDueDate")->text();
            box->setEditText(QStringLiteral("Early"));
            dialog->findChild<QCheckBox *>("chkTaskDone")->setChecked(true);
            // After this handler returns: the note editor runs in an event loop of its own.
            QTimer::singleShot(0, dialog, [dialog] { clickButton(dialog, "cmdTaskNotes"); });
        });
        onNextModal("NoteEditor", [](QDialog *dialog) {
            auto *text = dialog->findChild<QPlainTextEdit *>("txtNoteEd");
            text->setPlainText(QStringLiteral("call Mum"));
            clickButton(dialog, "cmdNoteOK");
        });
        onNextModal("frmTaskEditor", [](QDialog *dialog) { clickButton(dialog, "cmdTaskOK"); });
        emit plan.grid().rowDoubleClicked();
        QVERIFY(modalHandlersDone());
        QCOMPARE(times, QStringLiteral("All Early Middle Late "));
        QVERIFY(!done);
        QCOMPARE(due, QString());
        QVERIFY(plan.db().fieldList().exists("done"));
        // Undated, so after the dated Early tasks; before the Late one.
        QCOMPARE(plan.db().listValues("evnt"), (QStringList{"budget", "venue", "dress", "cake"}));
        QCOMPARE(dress.value("done"), FieldValue(true));
        QCOMPARE(dress.text("note"), QStringLiteral("call Mum"));
        QCOMPARE(plan.details(), (QStringList{"budget", "venue", "dress", "cake"}));
        QCOMPARE(plan.grid().currentRecord(), &dress);
        // The note and the task: a step each.
        QCOMPARE(appState().plan.history().count(), 2);
        QCOMPARE(appState().statusText(), AppState::kUserDatabaseModified);
    }
};

VOWLINE_TEST(TestTasks)
#include "tst_tasks.moc"
