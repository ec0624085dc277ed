#pragma once

#include "personlisttab.h"
#include "rules/guestsummary.h"
#include "rules/replies.h"

class QComboBox;
class QLabel;

// The "Guests" tab: the guest list with its relation, status and meal filters, adding, deleting
// and opening guests, the guest count, the gifts view, and a line that sums the list up (replies,
// people, seats, meals) and follows every change.
class GuestTab : public PersonListTab {
    Q_OBJECT
public:
    GuestTab(const FormContext &forms, TabHost &host, QWidget *parent = nullptr);

    QComboBox *statusBox() const { return m_status; }  // cmbGuestStatus
    QComboBox *mealBox() const { return m_meal; }      // cmbGuestMeal
    QLabel *summaryLabel() const { return m_summary; } // lblGuestSummary
    GuestSummary summary() const { return m_tally.summary(); }

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
    void fillMealBox();
    // Follows the plan: counts the guests a change touched, or all of them.
    void planChanged(const PlanChange &change);
    void recount();
    void showSummary();

    QComboBox *m_status = nullptr;
    QComboBox *m_meal = nullptr;
    QLabel *m_summary = nullptr;
    GuestTally m_tally;
    QStringList m_meals; // the meal list the tally and the meal box were made from
    QString m_shownMeal; // "All" for every meal
    bool m_giftsShown = false;
    QString m_shownRelation; // "All" for every relation
    Replies::Status m_shownStatus = Replies::Status::All;
};
