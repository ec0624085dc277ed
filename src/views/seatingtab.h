#pragma once

#include "listtab.h"

class QGroupBox;
class QLineEdit;

// The "Seating" tab: the reception tables, the guests seated at the chosen one, and the setup
// boxes the details record keeps.
class SeatingTab : public ListTab {
    Q_OBJECT
public:
    explicit SeatingTab(TabHost &host, QWidget *parent = nullptr);
    ListGrid *tableGrid() const { return m_tables; }
    ListGrid *seatingGrid() const { return m_seating; }
    QLineEdit *noTablesBox() const { return m_noTables; }   // txtNoTables
    QLineEdit *peoplePerBox() const { return m_peoplePer; } // txtPeoplePer
    void UpdateTableGrid() {}
    void UpdateSeatingGrid() {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static constexpr int kTableGridWidth = 5700;
    void placeSetup();

    QGroupBox *m_setup;
    ListGrid *m_tables;
    ListGrid *m_seating;
    QLineEdit *m_noTables;
    QLineEdit *m_peoplePer;
};
