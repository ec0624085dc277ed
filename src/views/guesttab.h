#pragma once

#include "personlisttab.h"
#include "rules/replies.h"

class QComboBox;

// The "Guests" tab: the guest list with its relation and status filters, adding, deleting and
// opening guests, the guest count, and the gifts view.
class GuestTab : public PersonListTab {
    Q_OBJECT
public:
    GuestTab(const FormContext &forms, TabHost &host, QWidget *parent = nullptr);

    QComboBox *statusBox() const { return m_status; } // cmbGuestStatus

    void UpdateGuestGrid();
    void fillFilterBoxes() override;
    // The gifts view: only guests with a recorded gift. It stays until showAllGuests() or
    // until another relation is chosen in the relation box.
    void ShowGiftList();
    // Back from the gifts view: relation "All" and the full list.
    void showAllGuests();
    bool giftsShown() const { return m_giftsShown; }
    // "Guest Count".
    void showGuestCount();

signals:
    // The gifts view was entered or left (the toolbar's toggle follows it).
    void giftsViewChanged(bool shown);

protected:
    void refresh() override { UpdateGuestGrid(); }
    std::unique_ptr<Record> newRecord() const override;
    QString recordWord() const override { return tr("Guest"); }
    QString sortedMessage() const override;

private:
    void setGiftsShown(bool shown);

    QComboBox *m_status = nullptr;
    bool m_giftsShown = false;
    QString m_shownRelation; // "All" for every relation
    Replies::Status m_shownStatus = Replies::Status::All;
};
