// Placeholder until the party list lands.
#include "partytab.h"

#include <QComboBox>

PartyTab::PartyTab(frmMain &main, QWidget *parent)
    : ListTab(main, parent) {
    m_relation = addFilterBox(QStringLiteral("cmbPartyRelation"), tr("Show:"), true);
    m_grid = new ListGrid(QStringLiteral("PartyGrid"), QStringLiteral("Party"),
                          {"Name", "Relation", "Address", "City", "State", "Phone", "E-Mail"});
    placeGrid(m_grid);
}

void PartyTab::UpdatePartyGrid() {
}
void PartyTab::sortByName() {
}
