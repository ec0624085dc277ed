#include "app/frmmain.h"
#include "store/appstate.h"
#include "store/planset.h"
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
// tasks in this order (not yet sorted), the filter on "All" and the plan not modified.
class TaskPlan : public TabTestWindow {
public:
    explicit TaskPlan(const QList<Task> &tasks) {
        PalmDatabase &frames = appState().set.db(DbId::TimeFrames);
        frames.records().removeAll();
        for (const char *name : {"Early", "Middle", "Late"})
            frames.write(frames.records().add(), "time", QString::fromLatin1(name));
        db().records().removeAll();
        for (const Task &t : tasks) {
            Record &r = db().records().add();
            db().write(r, "time", t.time);
            db().write(r, "evnt", t.details);
            db().write(r, "done", t.done, FieldKind::Boolean);
            if (t.alarm.isValid())
                db().write(r, "alrm", t.alarm, FieldKind::Date);
        }
        window().FillFilterBoxes();
        tab().UpdateTasks();
        planSaved();
    }

    void setFilter(const QString &timeframe) {
        tab().timeframeBox()->setEditText(timeframe);
        tab().UpdateTasks();
    }
    TasksTab &tab() { return *window().tasks(); }
    ListGrid &grid() { return *tab().grid(); }
    PalmDatabase &db() { return appState().set.db(DbId::Tasks); }
    QStringList details() { return column(grid(), 2); }
};

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
        plan.tab().SortTasks();
        plan.tab().UpdateTasks();
        // "middle" is no timeframe of the list: no position, first.
        QCOMPARE(plan.details(), (QStringList{"dress", "budget", "venue", "cake"}));
        QCOMPARE(plan.grid().text(3, 3), QStringLiteral("Complete"));
        QCOMPARE(plan.grid().text(2, 3), QStringLiteral("Pending"));
        QCOMPARE(plan.grid().text(0, 4), QStringLiteral("Due Date"));
        QVERIFY(!plan.grid().text(2, 4).isEmpty());
        plan.setFilter("Early");
        QCOMPARE(plan.details(), (QStringList{"budget", "venue"}));
        plan.setFilter("Middle"); // exact: "middle" is another timeframe
        QCOMPARE(plan.details(), QStringList{});
        QVERIFY(!appState().changed);
    }

    void addTask_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("how"); // OK, Cancel or Escape
        QTest::newRow("in the filter's timeframe") << "Middle"
                                                   << "OK";
        QTest::newRow("under All") << "All"
                                   << "OK";
        QTest::newRow("cancelled") << "Middle"
                                   << "Cancel";
        QTest::newRow("escaped") << "All"
                                 << "Escape";
    }
    void addTask() {
        QFETCH(QString, filter);
        QFETCH(QString, how);
        TaskPlan plan(kTasks);
        plan.tab().SortTasks();
        plan.setFilter(filter);
        QString shownTime, caption;
        int kind = -1;
        onNextModal("frmTaskEditor", [&](QDialog *dialog) {
            kind = appState().editorKind;
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
        QCOMPARE(kind, 6);
        QCOMPARE(caption, QStringLiteral("Wedding Task Editor"));
        const QString time = filter == "All" ? QString() : filter;
        QCOMPARE(shownTime, time);
        QVERIFY(!appState().cancelled);
        const bool kept = how == "OK";
        QCOMPARE(plan.db().records().count(), kept ? 5 : 4);
        QCOMPARE(appState().statusText(),
                 kept ? AppState::kUserDatabaseModified : AppState::kUserDatabase);
        if (!kept)
            return;
        const QStringList all = plan.db().listValues("evnt");
        const Record &added = plan.db().records().item(int(all.indexOf("rings")) + 1);
        QCOMPARE(added.text("time"), time);
        QVERIFY(!added.value("alrm").toDateTime().isValid());
        // Sorted at once: a Middle task after the Early ones; one without a timeframe among the
        // tasks without a position, at the front.
        QCOMPARE(added.value("ordr"), time.isEmpty() ? FieldValue() : FieldValue(qint16(2)));
        QCOMPARE(all.indexOf("rings"), time.isEmpty() ? 1 : 3);
    }

    // The question names the row; the row's record goes.
    void deleteTask_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void deleteTask() {
        QFETCH(bool, yes);
        TaskPlan plan(kTasks);
        plan.setFilter("Early"); // rows: venue, budget
        plan.grid().setRow(2);
        plan.prompter().expectMessage("Are you sure you want to delete TASK 2?", "Vowline Desktop",
                                      Icon::None, Buttons::YesNo, yes ? Answer::Yes : Answer::No);
        plan.click("cmdDeleteTask");
        plan.setFilter("All");
        plan.grid().setRow(3);
        plan.prompter().expectMessage("Are you sure you want to delete TASK 3?", "Vowline Desktop",
                                      Icon::None, Buttons::YesNo, Answer::No);
        plan.click("cmdDeleteTask");
        VERIFY_PROMPTS(plan.prompter());
        const QStringList left = yes ? QStringList{"cake", "venue", "dress"}
                                     : QStringList{"cake", "venue", "dress", "budget"};
        QCOMPARE(plan.db().listValues("evnt"), left);
        QCOMPARE(appState().changed, yes);
    }

    // Opening a task shows it; OK writes it, renumbers and sorts, and an edit marks the plan
    // modified. The Notes button edits the task's note.
    void editTask() {
        TaskPlan plan(kTasks);
        plan.db().records().item(3).fields().remove("done"); // written before done existed
        plan.tab().SortTasks();
        plan.tab().UpdateTasks();
        // OK without an edit is no change.
        plan.grid().setRow(2);
        onNextModal("frmTaskEditor", [](QDialog *dialog) { clickButton(dialog, "cmdTaskOK"); });
        emit plan.grid().rowDoubleClicked();
        QVERIFY(modalHandlersDone());
        QVERIFY(!appState().changed);
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
        // Undated, so after the dated Early task; before the Late one.
        QCOMPARE(plan.db().listValues("evnt"), (QStringList{"budget", "venue", "dress", "cake"}));
        const Record &dress = plan.db().records().item(3);
        QCOMPARE(dress.value("done"), FieldValue(true));
        QCOMPARE(dress.text("note"), QStringLiteral("call Mum"));
        QCOMPARE(plan.details(), (QStringList{"budget", "venue", "dress", "cake"}));
        QCOMPARE(appState().statusText(), AppState::kUserDatabaseModified);
    }
};

VOWLINE_TEST(TestTasks)
#include "tst_tasks.moc"
