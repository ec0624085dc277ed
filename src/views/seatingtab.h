#pragma once

#include "listtab.h"
#include "store/schema.h"

class AddPersonModel;
class QGroupBox;
class QLineEdit;
class QListView;
class QPushButton;

// The "Seating" tab: the reception tables, the guests seated at the chosen one, and the setup
// boxes the details record keeps. Seating and unseating keep each table's maximum, count and
// free seats in step (see rules/seating.h); selecting a table recounts it.
class SeatingTab : public ListTab {
    Q_OBJECT
public:
    explicit SeatingTab(TabHost &host, QWidget *parent = nullptr);
    ListGrid *tableGrid() const { return m_tables; }
    ListGrid *seatingGrid() const { return m_seating; }
    QLineEdit *noTablesBox() const { return m_noTables; }   // txtNoTables
    QLineEdit *peoplePerBox() const { return m_peoplePer; } // txtPeoplePer
    QListView *addPersonList() const { return m_addList; }  // lstAddPerson
    // The record number of the selected table; 0 for none.
    int selectedTable() const { return m_table; }

    void UpdateTableGrid();
    void UpdateSeatingGrid();

    // Click on the table grid: the current row's table becomes the selected one and is
    // recounted from the guests seated at it.
    void selectTable();
    // "Add Table": a new table opened in the table editor; removed again when it is cancelled.
    void addTable();
    // "Delete Table": asks first, unless an Add is being undone (the cancelled flag is set).
    void deleteTable();
    // "Update": the selected table in the table editor.
    void updateTable();
    // "Add Person": offers the guests at no table in lstAddPerson.
    void offerGuests();
    // A choice in lstAddPerson: the entry's guest is seated at the selected table; the first
    // entry ("Cancel") only closes the list.
    void chooseGuest(int entry);
    // "Remove Person": the current guest of the seating grid leaves the table.
    void removePerson();
    // Double-click on the seating grid: the guest in the record editor.
    void openSeatedGuest();

signals:
    // The details tab must write itself (and the setup boxes) into the details record.
    void storeDetailsRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static constexpr int kTableGridWidth = 5700;
    static constexpr int kListShownLeft = 8520;
    static constexpr int kListHiddenLeft = 20000;
    void placeSetup();
    // Rebuilds the table grid's rows, keeping its current row, and chooses nothing.
    void fillTables();
    void hideGuestList();
    // Makes `row` of the table grid current without it counting as the user's choice.
    void setTableRow(int row);
    // The selected table's record and the row's table as the current one; enables seating.
    void takeTableOfRow(int row);
    void clearSelection();
    PalmDatabase *db(Schema::DbId id) const;
    Record *tableRecord(int number) const;
    void removeTable(int number);

    QGroupBox *m_setup = nullptr;
    ListGrid *m_tables = nullptr;
    ListGrid *m_seating = nullptr;
    QLineEdit *m_noTables = nullptr;
    QLineEdit *m_peoplePer = nullptr;
    QListView *m_addList = nullptr;
    AddPersonModel *m_addModel = nullptr;
    QPushButton *m_addPerson = nullptr;
    QPushButton *m_removePerson = nullptr;
    int m_table = 0;
    bool m_quiet = false;         // the table grid's row is being set by the program
    bool m_chosenByPress = false; // the press of the click under way chose the table
};
