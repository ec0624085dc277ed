#pragma once

#include "listtab.h"

class QComboBox;

// The "Party" tab: the wedding party list with its relation filter, adding, deleting and
// opening members.
class PartyTab : public ListTab {
    Q_OBJECT
public:
    explicit PartyTab(frmMain &main, QWidget *parent = nullptr);

    ListGrid *grid() const { return m_grid; }             // PartyGrid
    QComboBox *relationBox() const { return m_relation; } // cmbPartyRelation

    void UpdatePartyGrid();
    // "Sort Wed. Party by Name".
    void sortByName();

private:
    ListGrid *m_grid = nullptr;
    QComboBox *m_relation = nullptr;
};
