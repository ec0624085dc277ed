#pragma once

#include "personlisttab.h"

// The "Party" tab: the wedding party, filtered by relation.
class PartyTab : public PersonListTab {
    Q_OBJECT
public:
    PartyTab(const FormContext &forms, TabHost &host, QWidget *parent = nullptr);

    void UpdatePartyGrid();
    void fillFilterBoxes() override;

protected:
    void refresh() override { UpdatePartyGrid(); }
    std::unique_ptr<Record> newRecord() const override;
    QString recordWord() const override { return tr("Party Member"); }
    QString sortedMessage() const override;

private:
    QString m_shown; // the relation listed; "All" for every member
};
