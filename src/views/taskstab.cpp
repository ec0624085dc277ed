#include "taskstab.h"

#include "editors/categorylists.h"
#include "plan/plan.h"
#include "rules/newrecords.h"
#include "rules/taskorder.h"
#include "views/columns.h"
#include "views/frmtaskeditor.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using namespace Schema;

namespace {

// A task in a step's name: its details, cut short.
QString taskName(const QString &details) {
    return details.size() > 40 ? details.left(39) + QChar(0x2026) : details;
}

} // namespace

TasksTab::TasksTab(const FormContext &forms, TabHost &host, QWidget *parent)
    : ListTab(forms, host, parent)
    , m_shown(QStringLiteral("All")) {
    m_timeframe = addFilterBox(QStringLiteral("cmbTasks"), tr("&Timeframe:"), true);
    QPushButton *add = addButton(QStringLiteral("cmdAddTask"), tr("&Add Task"));
    QPushButton *remove = addButton(QStringLiteral("cmdDeleteTask"), tr("&Delete Task"));
    ListColumn status;
    status.header = tr("Status");
    status.text = [](const Record &r) {
        return r.value(Task::kDone).toBool() ? QStringLiteral("Complete")
                                             : QStringLiteral("Pending");
    };
    m_model = new RecordListModel(
        forms.plan, DbId::Tasks,
        {Columns::field(tr("Timeframe"), Task::kTimeFrame),
         Columns::field(tr("Task Details"), Task::kDetails, true), status,
         Columns::date(tr("Due Date"), Task::kAlarm, TextForms::DateKind::DayAndTime),
         Columns::extra(tr("Notes"), Task::kNote)},
        this);
    m_model->setSearchFields({Task::kNote});
    m_model->setFilter([this](const Record &r) {
        return m_shown == u"All" || r.text(Task::kTimeFrame) == m_shown;
    });
    m_grid = addGrid(QStringLiteral("TaskGrid"), QStringLiteral("Task"), m_model, tr("task list"));
    addFindBox(m_grid, tr("task list"));

    installTypeAhead(m_timeframe, forms.plan, QStringLiteral("time"));
    connect(m_timeframe, &QComboBox::activated, this, &TasksTab::UpdateTasks);
    if (QLineEdit *edit = m_timeframe->lineEdit())
        connect(edit, &QLineEdit::editingFinished, this, &TasksTab::UpdateTasks);
    connect(add, &QPushButton::clicked, this, &TasksTab::addTask);
    connect(remove, &QPushButton::clicked, this, &TasksTab::deleteTask);
    connect(m_grid, &ListGrid::rowDoubleClicked, this, &TasksTab::openCurrentRow);
    connect(m_grid, &ListGrid::deleteRequested, this, &TasksTab::deleteTask);
    connect(&forms.plan, &Plan::changed, this, [this](const PlanChange &change) {
        if (change.touches(DbId::TimeFrames))
            fillFilterBoxes();
    });
}

void TasksTab::UpdateTasks() {
    if (editCategoriesIfAsked(m_timeframe, CategoryKind::Timeframes))
        return;
    m_shown = m_timeframe->currentText();
    m_model->refresh();
}

void TasksTab::fillFilterBoxes() {
    fillCategoryBox(m_timeframe, m_forms.plan, CategoryKind::Timeframes);
    UpdateTasks();
}

void TasksTab::addTask() {
    std::unique_ptr<Record> record = NewRecords::task(categoryForNewRecord(m_timeframe));
    frmTaskEditor editor(m_forms, *record, true, window());
    if (editor.exec() != QDialog::Accepted)
        return;
    const std::vector<FieldEntry> entries = editor.entries();
    addNewRecord(*m_grid, std::move(record),
                 tr("Add Task %1").arg(taskName(entries[1].value->toText())),
                 [&](PlanEdit &edit, Record &task) {
                     edit.writeAll(DbId::Tasks, task, entries);
                     TaskOrder::renumberTask(edit, task);
                     TaskOrder::sortTasks(edit);
                 });
}

void TasksTab::deleteTask() {
    // A task has no name: the question names its row.
    if (Record *task = m_grid->currentRecord())
        deleteCurrentRecord(*m_grid, QStringLiteral("TASK %1").arg(m_grid->row()),
                            tr("Delete Task %1").arg(taskName(task->text(Task::kDetails))));
}

void TasksTab::openCurrentRow() {
    Record *task = m_grid->currentRecord();
    if (!task)
        return;
    frmTaskEditor editor(m_forms, *task, false, window());
    if (editor.exec() != QDialog::Accepted)
        return;
    const std::vector<FieldEntry> entries = editor.entries();
    applyStep(tr("Edit Task %1").arg(taskName(entries[1].value->toText())), [&](PlanEdit &edit) {
        edit.writeAll(DbId::Tasks, *task, entries);
        TaskOrder::renumberTask(edit, *task);
        TaskOrder::sortTasks(edit);
    });
    m_grid->selectRecord(task);
}
