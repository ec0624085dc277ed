#include "taskstab.h"

#include "editors/categorylists.h"

#include <QComboBox>

TasksTab::TasksTab(TabHost &host, QWidget *parent)
    : ListTab(host, parent) {
    installTypeAhead(addFilterBox(QStringLiteral("cmbTasks"), tr("Timeframe:"), true),
                     QStringLiteral("time"));
    m_grid = new ListGrid(QStringLiteral("TaskGrid"), QStringLiteral("Task"),
                          {"Timeframe", "Task Details", "Status", "Due Date"});
    placeGrid(m_grid);
}
