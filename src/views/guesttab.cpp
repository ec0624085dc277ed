// Placeholder until the guest list lands.
#include "guesttab.h"

#include <QComboBox>

GuestTab::GuestTab(frmMain &main, QWidget *parent)
    : ListTab(main, parent) {
    m_relation = addFilterBox(QStringLiteral("cmbGuests"), tr("Relation:"), true);
    m_status = addFilterBox(QStringLiteral("cmbGuestStatus"), tr("Status:"), false);
    m_grid = new ListGrid(
        QStringLiteral("GuestGrid"), QStringLiteral("Guest"),
        {"Name", "Relation", "Status", "RSVP", "Address", "City", "State", "Phone", "E-Mail"});
    placeGrid(m_grid);
}

void GuestTab::UpdateGuestGrid() {
}
void GuestTab::ShowGiftList() {
}
void GuestTab::showAllGuests() {
}
void GuestTab::sortByName() {
}
