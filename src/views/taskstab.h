#pragma once

#include "listtab.h"

class PalmDatabase;
class QComboBox;

// The "Tasks" tab: the wedding tasks in timeframe order, filtered by timeframe, with adding,
// deleting and opening a task in the task editor.
class TasksTab : public ListTab {
    Q_OBJECT
public:
    explicit TasksTab(TabHost &host, QWidget *parent = nullptr);
    ListGrid *grid() const { return m_grid; }
    QComboBox *timeframeBox() const { return m_timeframe; } // cmbTasks

    void UpdateTasks();
    // Gives every task the position of its timeframe and sorts the tasks; the grid is the
    // caller's to refresh.
    void SortTasks();
    // "Add Task": a new task in the filter's timeframe, opened in the task editor at once; it
    // is removed again when the editor is cancelled.
    void addTask();
    // "Delete Task": asks first, naming the row, unless an Add is being undone.
    void deleteTask();
    // Double-click or Enter on a row.
    void openCurrentRow();

    // The open plan's tasks, or null when no plan is open.
    static PalmDatabase *tasks();

private:
    bool runTaskEditor(int recordNumber);
    PalmDatabase *listDatabase() override { return tasks(); }
    void refreshList() override { UpdateTasks(); }

    ListGrid *m_grid = nullptr;
    QComboBox *m_timeframe = nullptr;
};
