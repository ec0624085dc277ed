#pragma once

#include "listtab.h"

class QComboBox;

// The "Tasks" tab: the wedding tasks in timeframe order, filtered by timeframe, with adding,
// deleting and opening a task in the task editor.
class TasksTab : public ListTab {
    Q_OBJECT
public:
    TasksTab(const FormContext &forms, TabHost &host, QWidget *parent = nullptr);
    ListGrid *grid() const { return m_grid; }
    QComboBox *timeframeBox() const { return m_timeframe; } // cmbTasks

    void UpdateTasks();
    void fillFilterBoxes() override;
    // "Add Task": a new task in the filter's timeframe, opened in the task editor; it joins the
    // list when the editor is confirmed.
    void addTask();
    // "Delete Task": asks first, naming the row.
    void deleteTask();
    // Double-click or Enter on a row.
    void openCurrentRow();

private:
    ListGrid *m_grid = nullptr;
    RecordListModel *m_model = nullptr;
    QComboBox *m_timeframe = nullptr;
    QString m_shown; // the timeframe listed; "All" for every task
};
