#pragma once

#include "plan/formcontext.h"
#include "store/planedit.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// "Wedding Task Editor": the timeframe, details and completion of a task (one of the plan's, or
// a new one made apart when `isNew`). OK hands back the fields to write (entries()); the caller
// writes them, gives the task the position of its timeframe and sorts the tasks, as one step.
// The alarm is shown only: the handheld sets it.
class frmTaskEditor : public QDialog {
    Q_OBJECT
public:
    frmTaskEditor(const FormContext &forms, Record &task, bool isNew, QWidget *parent = nullptr);

    std::vector<FieldEntry> entries() const;

private:
    void load();
    void cmdTaskNotes_Click();

    const FormContext m_forms;
    Record &m_task;
    const bool m_isNew;
    std::optional<QString> m_note; // a new task's note, kept until the task joins the plan
    QComboBox *m_times = nullptr;
    QLineEdit *m_details = nullptr;
    QCheckBox *m_done = nullptr;
    QLineEdit *m_dueDate = nullptr;
};
