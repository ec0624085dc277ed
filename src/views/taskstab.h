#pragma once

#include "listtab.h"

// The "Tasks" tab.
class TasksTab : public ListTab {
    Q_OBJECT
public:
    explicit TasksTab(TabHost &host, QWidget *parent = nullptr);
    ListGrid *grid() const { return m_grid; }
    void UpdateTasks() {}
    void SortTasks() {}

private:
    ListGrid *m_grid;
};
