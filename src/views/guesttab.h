#pragma once

#include "listtab.h"

class QComboBox;
class QPushButton;

// The "Guests" tab: the guest list with its relation and status filters, adding, deleting and
// opening guests, the guest count, and the gifts view.
class GuestTab : public ListTab {
    Q_OBJECT
public:
    explicit GuestTab(frmMain &main, QWidget *parent = nullptr);

    ListGrid *grid() const { return m_grid; }             // GuestGrid
    QComboBox *relationBox() const { return m_relation; } // cmbGuests
    QComboBox *statusBox() const { return m_status; }     // cmbGuestStatus

    void UpdateGuestGrid();
    // The gifts view: only guests with a recorded gift.
    void ShowGiftList();
    // Back from the gifts view: relation "All" and the full list.
    void showAllGuests();
    // "Sort Guests by Name".
    void sortByName();

private:
    ListGrid *m_grid = nullptr;
    QComboBox *m_relation = nullptr;
    QComboBox *m_status = nullptr;
};
