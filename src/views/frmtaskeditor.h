#pragma once

#include <QDialog>

class PalmDatabase;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class Record;

// "Wedding Task Editor": the timeframe, details and completion of task appState().selectedRecord.
// Clears the cancelled flag on opening; Cancel, Escape and closing the window set it. OK writes
// the task, gives it the position of its timeframe and sorts the tasks; it sets the changed flag
// when the task changed. The alarm is shown only: the handheld sets it.
class frmTaskEditor : public QDialog {
    Q_OBJECT
public:
    explicit frmTaskEditor(QWidget *parent = nullptr);

    void cmdTaskOK_Click();
    void cmdTaskCancel_Click();
    void cmdTaskNotes_Click();
    void reject() override;

private:
    void load();
    Record *record() const;

    const int m_index;
    QComboBox *m_times = nullptr;
    QLineEdit *m_details = nullptr;
    QCheckBox *m_done = nullptr;
    QLineEdit *m_dueDate = nullptr;
    QPushButton *m_notes = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};
