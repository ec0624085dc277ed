#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class Record;

// "Table Details": names one reception table (record appState().selectedRecord of the tables
// database), describes it and sets its seats. Sets the cancelled flag on opening; OK checks
// the input, writes the table, recomputes its free seats from the guests seated there, clears
// the cancelled flag and sets the changed flag.
class frmTable : public QDialog {
    Q_OBJECT
public:
    explicit frmTable(QWidget *parent = nullptr);

    // True when the input would be refused; says why first (or asks to clear a bad number).
    bool invalid();

private:
    void load();
    void cmdOK_Click();
    void cmdCancel_Click();
    Record *table() const;
    // Reports a refused entry and puts the cursor in its box.
    void refuse(QLineEdit *box, const QString &message);

    const int m_index;
    QLineEdit *m_txtTableID;
    QLineEdit *m_txtTableDesc;
    QLineEdit *m_txtMaxSeats;
    QLineEdit *m_txtAvailSeats;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
};
