#include "partytab.h"

#include "editors/categorylists.h"
#include "rules/newrecords.h"
#include "views/columns.h"

#include <QComboBox>
#include <QPushButton>

using namespace Schema;

PartyTab::PartyTab(const FormContext &forms, TabHost &host, QWidget *parent)
    : PersonListTab(forms, host, RecordKind::Party, parent)
    , m_shown(QStringLiteral("All")) {
    QComboBox *relation = addFilterBox(QStringLiteral("cmbPartyRelation"), tr("S&how:"), true);
    QPushButton *add = addButton(QStringLiteral("cmdPartyAdd"), tr("&Add Person"));
    QPushButton *remove = addButton(QStringLiteral("cmdPartyDelete"), tr("&Delete Person"));
    setUpList(
        relation, QStringLiteral("PartyGrid"), QStringLiteral("Party"),
        {Columns::field(tr("Name"), Party::kName, true),
         Columns::field(tr("Relation"), Party::kRelation),
         Columns::field(tr("Address"), Party::kAddress), Columns::field(tr("City"), Party::kCity),
         Columns::field(tr("State"), Party::kState), Columns::field(tr("Phone"), Party::kPhone),
         Columns::field(tr("E-Mail"), Party::kEmail), Columns::extra(tr("Zip"), Party::kZip),
         Columns::extra(tr("Country"), Party::kCountry), Columns::extra(tr("Notes"), Party::kNote)},
        tr("wedding party list"));
    m_model->setSearchFields({Party::kNote});
    m_model->setFilter([this](const Record &r) {
        return m_shown == u"All" || r.text(Party::kRelation) == m_shown;
    });
    connect(add, &QPushButton::clicked, this, &PartyTab::addPerson);
    connect(remove, &QPushButton::clicked, this, &PartyTab::deletePerson);
}

void PartyTab::UpdatePartyGrid() {
    if (relationEditorRequested())
        return;
    m_shown = m_relation->currentText();
    m_model->refresh();
}

void PartyTab::fillFilterBoxes() {
    fillCategoryBox(m_relation, m_forms.plan, CategoryKind::Relations);
    UpdatePartyGrid();
}

std::unique_ptr<Record> PartyTab::newRecord() const {
    return NewRecords::partyMember(relationForNewRecord());
}

QString PartyTab::sortedMessage() const {
    return QStringLiteral("Wedding Party Database has been sorted.");
}
