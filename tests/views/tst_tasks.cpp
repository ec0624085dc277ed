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
#include <QTimer>

using Schema::DbId;

class TestTasks : public QObject {
    Q_OBJECT
private slots:
    // The list in timeframe order, filtered by timeframe. Opening a task shows it; OK without
    // an edit is no step; an edit is written, renumbered and sorted at once, and the Notes
    // button edits the task's note.
    void sortFilterAndEdit() {
        // The timeframes Early, Middle and Late; the tasks in timeframe order, as a load leaves
        // them: "middle" is no timeframe of the list, so it has no position and comes first;
        // the Early tasks by date.
        TabTestWindow plan;
        PalmDatabase &frames = TabTestWindow::db(DbId::TimeFrames);
        frames.records().removeAll();
        for (const char *name : {"Early", "Middle", "Late"})
            addRecord(frames, {{"time", QString::fromLatin1(name)}});
        PalmDatabase &tasks = TabTestWindow::db(DbId::Tasks);
        tasks.records().removeAll();
        addRecord(tasks,
                  {{"time", "Late"}, {"evnt", "cake"}, {"alrm", QDate(2027, 5, 1).startOfDay()}});
        addRecord(tasks, {{"time", "Early"},
                          {"evnt", "venue"},
                          {"done", true},
                          {"alrm", QDate(2026, 9, 1).startOfDay()}});
        addRecord(tasks, {{"time", "middle"}, {"evnt", "dress"}}); // written before done existed
        addRecord(tasks, {{"time", "Early"},
                          {"evnt", "budget"},
                          {"done", false},
                          {"alrm", QDate(2026, 8, 1).startOfDay()}});
        appState().plan.applyQuietly([](PlanEdit &edit) {
            TaskOrder::renumberTasks(edit);
            TaskOrder::sortTasks(edit);
        });
        plan.window().tasks()->fillFilterBoxes();
        plan.planSaved();
        ListGrid &grid = plan.grid("TaskGrid");
        QCOMPARE(TabTestWindow::column(grid, 2), (QStringList{"dress", "budget", "venue", "cake"}));
        QCOMPARE((QStringList{grid.text(2, 3), grid.text(3, 3), grid.text(0, 4)}),
                 (QStringList{"Pending", "Complete", "Due Date"}));
        QVERIFY(!grid.text(2, 4).isEmpty());
        plan.set({"cmbTasks=Early"});
        QCOMPARE(TabTestWindow::column(grid, 2), (QStringList{"budget", "venue"}));
        plan.set({"cmbTasks=Middle"}); // exact: "middle" is another timeframe
        QCOMPARE(TabTestWindow::column(grid, 2), QStringList{});
        plan.set({"cmbTasks=All"});

        plan.open(grid, 2, "frmTaskEditor", [](QDialog *d) { clickButton(d, "cmdTaskOK"); });
        QCOMPARE(appState().plan.history().count(), 0);
        QCOMPARE(appState().statusText(), AppState::kUserDatabase);

        Record &dress = tasks.records().item(1);
        QString due, times;
        bool done = true;
        onNextModal("frmTaskEditor", [&](QDialog *dialog) {
            auto *box = child<QComboBox>(dialog, "cboTaskTimes");
            for (int i = 0; i < box->count(); ++i)
                times += box->itemText(i) + u' ';
            done = child<QCheckBox>(dialog, "chkTaskDone")->isChecked();
            due = child<QLineEdit>(dialog, "txtDueDate")->text();
            box->setEditText(QStringLiteral("Early"));
            child<QCheckBox>(dialog, "chkTaskDone")->setChecked(true);
            // After this handler returns: the note editor runs in an event loop of its own.
            QTimer::singleShot(0, dialog, [dialog] { clickButton(dialog, "cmdTaskNotes"); });
        });
        onNextModal("NoteEditor", [](QDialog *dialog) {
            child<QPlainTextEdit>(dialog, "txtNoteEd")->setPlainText(QStringLiteral("call Mum"));
            clickButton(dialog, "cmdNoteOK");
        });
        plan.open(grid, 1, "frmTaskEditor", [](QDialog *d) { clickButton(d, "cmdTaskOK"); });
        QCOMPARE(times, QStringLiteral("All Early Middle Late "));
        QVERIFY(!done);
        QCOMPARE(due, QString());
        QVERIFY(tasks.fieldList().exists("done"));
        // Undated, so after the dated Early tasks; before the Late one.
        QCOMPARE(tasks.listValues("evnt"), (QStringList{"budget", "venue", "dress", "cake"}));
        QCOMPARE(dress.value("done"), FieldValue(true));
        QCOMPARE(dress.text("note"), QStringLiteral("call Mum"));
        QCOMPARE(TabTestWindow::column(grid, 2), (QStringList{"budget", "venue", "dress", "cake"}));
        QCOMPARE(grid.currentRecord(), &dress);
        // The note and the task: a step each.
        QCOMPARE(appState().plan.history().count(), 2);
        QCOMPARE(appState().statusText(), AppState::kUserDatabaseModified);
    }
};

VOWLINE_TEST(TestTasks)
#include "tst_tasks.moc"
