#include "taskstab.h"

#include "editors/categorylists.h"
#include "rules/taskorder.h"
#include "store/appstate.h"
#include "views/frmtaskeditor.h"
#include "views/tabhost.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

namespace {

const QString kAll = QStringLiteral("All");
const QString kTrue = QStringLiteral("True");

const QStringList kHeaders = {"Timeframe", "Task Details", "Status", "Due Date"};

QString fieldText(const Fields &fields, FieldCode code) {
    const Field *field = fields.find(code);
    return field ? field->value().toText() : QString();
}

} // namespace

TasksTab::TasksTab(TabHost &host, QWidget *parent)
    : ListTab(host, parent) {
    m_timeframe = addFilterBox(QStringLiteral("cmbTasks"), tr("&Timeframe:"), true);
    QPushButton *add = addButton(QStringLiteral("cmdAddTask"), tr("&Add Task"));
    QPushButton *remove = addButton(QStringLiteral("cmdDeleteTask"), tr("&Delete Task"));
    m_grid = new ListGrid(QStringLiteral("TaskGrid"), QStringLiteral("Task"), kHeaders);
    placeGrid(m_grid);

    installTypeAhead(m_timeframe, QStringLiteral("time"));
    connect(m_timeframe, &QComboBox::activated, this, &TasksTab::UpdateTasks);
    if (QLineEdit *edit = m_timeframe->lineEdit())
        connect(edit, &QLineEdit::editingFinished, this, &TasksTab::UpdateTasks);
    connect(add, &QPushButton::clicked, this, &TasksTab::addTask);
    connect(remove, &QPushButton::clicked, this, &TasksTab::deleteTask);
    connect(m_grid, &ListGrid::rowDoubleClicked, this, &TasksTab::openCurrentRow);
}

PalmDatabase *TasksTab::tasks() {
    PlanSet &set = appState().set;
    return set.isOpen() ? &set.db(Schema::DbId::Tasks) : nullptr;
}

void TasksTab::SortTasks() {
    PalmDatabase *db = tasks();
    if (!db)
        return;
    TaskOrder::renumberTasks(*db, appState().set.db(Schema::DbId::TimeFrames));
    TaskOrder::sortTasks(*db);
}

void TasksTab::UpdateTasks() {
    if (editCategoriesIfAsked(m_timeframe, TabHost::CategoryList::Timeframes))
        return;
    const QString timeframe = m_timeframe->currentText();
    const bool anyTimeframe = timeframe == kAll;
    GridRebuild rebuild(*m_grid, kHeaders);
    const PalmDatabase *db = tasks();
    if (!db)
        return;
    const auto &records = db->records().raw();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Fields &fields = records[i]->fields();
        QString time = fieldText(fields, Schema::kTimeFrame);
        if (!anyTimeframe && time != timeframe)
            continue;
        QStringList cells;
        cells.reserve(kHeaders.size());
        cells << std::move(time) << fieldText(fields, "evnt")
              << (fieldText(fields, "done") == kTrue ? QStringLiteral("Complete")
                                                     : QStringLiteral("Pending"))
              << fieldText(fields, "alrm");
        rebuild.add(int(i) + 1, cells);
    }
}

void TasksTab::addTask() {
    const QString timeframe = categoryForNewRecord(m_timeframe);
    const int added = appendRecord(*m_grid, [&](PalmDatabase &db, Record &record) {
        // A new task has no alarm: alarms are set on the handheld.
        db.write(record, Schema::kTimeFrame, timeframe);
        db.write(record, "evnt", QString());
        db.write(record, "done", QString(), FieldKind::Boolean);
    });
    if (added == 0)
        return;
    AppState &state = appState();
    if (!runTaskEditor(added) || state.cancelled) {
        removeRecordSilently(added);
        state.cancelled = false;
        return;
    }
    UpdateTasks();
    state.markPlanModified();
}

void TasksTab::deleteTask() {
    // A task has no name: the question names its row.
    if (deleteCurrentRecord(*m_grid, [](int row) { return QStringLiteral("TASK %1").arg(row); }))
        appState().markPlanModified();
}

void TasksTab::openCurrentRow() {
    const int number = m_grid->rowData(m_grid->row());
    if (number < 1 || !runTaskEditor(number))
        return;
    UpdateTasks();
    AppState &state = appState();
    state.cancelled = false;
    if (state.changed)
        state.markPlanModified();
}

bool TasksTab::runTaskEditor(int recordNumber) {
    AppState &state = appState();
    using Index = decltype(state.selectedRecord);
    if (!std::in_range<Index>(recordNumber))
        return false;
    state.editorKind = 6;
    state.selectedRecord = Index(recordNumber);
    frmTaskEditor editor(window());
    editor.exec();
    return true;
}
