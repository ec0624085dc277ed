#pragma once

#include "listtab.h"

class GuestChoiceModel;
class QFrame;
class QGroupBox;
class QLineEdit;
class QListView;
class QPushButton;

// The "Seating" tab: the reception tables, the guests seated at the chosen one, and the setup
// boxes the details record keeps. Seating and unseating keep each table's maximum, count and
// free seats in step (see rules/seating.h); choosing a table recounts it.
class SeatingTab : public ListTab {
    Q_OBJECT
public:
    SeatingTab(const FormContext &forms, TabHost &host, QWidget *parent = nullptr);
    ListGrid *tableGrid() const { return m_tables; }
    ListGrid *seatingGrid() const { return m_seating; }
    QLineEdit *noTablesBox() const { return m_noTables; }   // txtNoTables
    QLineEdit *peoplePerBox() const { return m_peoplePer; } // txtPeoplePer
    QListView *addPersonList() const { return m_addList; }  // lstAddPerson
    QLineEdit *addPersonFind() const { return m_addFind; }
    QFrame *addPersonPanel() const { return m_addPanel; }

    void UpdateTableGrid();
    void UpdateSeatingGrid();
    // Writes the two setup boxes into the details record (an empty box keeps what is stored).
    void storeSetup(PlanEdit &edit) const;

    // A click on the table grid: the current row's table becomes the chosen one and is
    // recounted from the guests seated at it.
    void selectTable();
    // "Add Table": a new table in the table editor; it joins the plan when confirmed.
    void addTable();
    // "Delete Table": asks first; the table's guests are unseated.
    void deleteTable();
    // "Update": the chosen table in the table editor.
    void updateTable();
    // "Add Person": offers the guests at no table, sorted by name, to be chosen (several at once).
    void offerGuests();
    // Seats the guests chosen in the list at the chosen table, in order: one step, one question
    // when the table overflows.
    void seatChosenGuests();
    // "Remove Person": the current guest of the seating grid leaves the table.
    void removePerson();
    // Double-click on the seating grid: the guest in the record editor.
    void openSeatedGuest();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void takeTable(Record *table);
    void clearSelection();
    void hideGuestList();
    // Writes the setup boxes into the details record before a table is added or edited.
    void storeSetupNow();
    QString currentTag() const;

    RecordListModel *m_tableModel = nullptr;
    RecordListModel *m_seatingModel = nullptr;
    ListGrid *m_tables = nullptr;
    ListGrid *m_seating = nullptr;
    QGroupBox *m_setup = nullptr;
    QLineEdit *m_noTables = nullptr;
    QLineEdit *m_peoplePer = nullptr;
    QFrame *m_addPanel = nullptr;
    QLineEdit *m_addFind = nullptr;
    QListView *m_addList = nullptr;
    GuestChoiceModel *m_addModel = nullptr;
    QPushButton *m_addPerson = nullptr;
    QPushButton *m_removePerson = nullptr;
    Record *m_table = nullptr; // the chosen table
    QString m_tag;             // its trimmed ID
    bool m_quiet = false;      // the table grid's row is being set by the program
};
