#pragma once

#include "listtab.h"

class QComboBox;
class QGroupBox;
class QLineEdit;

// The tabs whose lists come later: they already carry their grids, filter boxes and, on the
// seating tab, the two setup boxes the details record keeps.

class VendorsTab : public ListTab {
    Q_OBJECT
public:
    explicit VendorsTab(TabHost &host, QWidget *parent = nullptr);
    ListGrid *grid() const { return m_grid; }
    void UpdateVendorsGrid() {}

private:
    ListGrid *m_grid;
};

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

class PaymentsTab : public ListTab {
    Q_OBJECT
public:
    explicit PaymentsTab(TabHost &host, QWidget *parent = nullptr);
    ListGrid *grid() const { return m_grid; }
    void UpdatePayments() {}

private:
    ListGrid *m_grid;
};
