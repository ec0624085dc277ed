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
    // The gifts view: only guests with a recorded gift. It stays until showAllGuests() or
    // until another relation is chosen in the relation box.
    void ShowGiftList();
    // Back from the gifts view: relation "All" and the full list.
    void showAllGuests();
    bool giftsShown() const { return m_giftsShown; }
    // "Sort Guests by Name".
    void sortByName();
    // "Guest Count".
    void showGuestCount();

signals:
    // The gifts view was entered or left (the toolbar's toggle follows it).
    void giftsViewChanged(bool shown);

protected:
    void refresh() override { UpdateGuestGrid(); }
    void writeNewRecord(PalmDatabase &db, Record &record) override;

private:
    void setGiftsShown(bool shown);
    // Rebuilds the grid with the guests that have a gift.
    void fillGiftList();

    QComboBox *m_status = nullptr;
    bool m_giftsShown = false;
};
