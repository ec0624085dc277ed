#pragma once

#include "personlisttab.h"

class QComboBox;

// The "Guests" tab: the guest list with its relation and status filters, adding, deleting and
// opening guests, the guest count, and the gifts view.
class GuestTab : public PersonListTab {
    Q_OBJECT
public:
    explicit GuestTab(TabHost &host, QWidget *parent = nullptr);

    QComboBox *statusBox() const { return m_status; } // cmbGuestStatus

    void UpdateGuestGrid();
    // The gifts view: only guests with a recorded gift.
    void ShowGiftList();
    // Back from the gifts view: relation "All" and the full list.
    void showAllGuests();
    // "Sort Guests by Name".
    void sortByName();
    // "Guest Count".
    void showGuestCount();

protected:
    void refresh() override { UpdateGuestGrid(); }
    void writeNewRecord(PalmDatabase &db, Record &record) override;

private:
    QComboBox *m_status = nullptr;
};
