#pragma once

#include "personlisttab.h"

// The "Party" tab: the wedding party list with its relation filter, adding, deleting and
// opening members. It works like the guest list, without a status filter.
class PartyTab : public PersonListTab {
    Q_OBJECT
public:
    explicit PartyTab(TabHost &host, QWidget *parent = nullptr);

    void UpdatePartyGrid();
    // "Sort Wed. Party by Name".
    void sortByName();

protected:
    void refresh() override { UpdatePartyGrid(); }
    void writeNewRecord(PalmDatabase &db, Record &record) override;
};
