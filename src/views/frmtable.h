#pragma once

#include "plan/formcontext.h"
#include "rules/seating.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

// "Table Details": names one reception table (one of the plan's, or a new one made apart when
// `isNew`), describes it and sets its seats. OK checks the input; values() is then what the
// caller writes (see Seating::writeTable).
class frmTable : public QDialog {
    Q_OBJECT
public:
    frmTable(const FormContext &forms, Record &table, bool isNew, QWidget *parent = nullptr);

    // True when the input would be refused; says why first (or asks to clear a bad number).
    bool invalid();
    Seating::TableValues values() const;

private:
    void load();
    void cmdOK_Click();
    // Reports a refused entry and puts the cursor in its box.
    void refuse(QLineEdit *box, const QString &message);

    const FormContext m_forms;
    Record &m_table;
    const bool m_isNew;
    QLineEdit *m_txtTableID;
    QLineEdit *m_txtTableDesc;
    QLineEdit *m_txtMaxSeats;
    QLineEdit *m_txtAvailSeats;
};
