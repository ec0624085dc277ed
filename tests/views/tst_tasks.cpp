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
