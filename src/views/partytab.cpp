#include "partytab.h"

#include <QComboBox>
#include <QPushButton>
#include <utility>

namespace {

const QStringList kPartyHeaders = {"Name",  "Relation", "Address", "City",
                                   "State", "Phone",    "E-Mail"};

} // namespace

PartyTab::PartyTab(TabHost &host, QWidget *parent)
    : PersonListTab(host, Schema::DbId::Party, 3, parent) {
    QComboBox *relation = addFilterBox(QStringLiteral("cmbPartyRelation"), tr("S&how:"), true);
    QPushButton *add = addButton(QStringLiteral("cmdPartyAdd"), tr("&Add Person"));
    QPushButton *remove = addButton(QStringLiteral("cmdPartyDelete"), tr("&Delete Person"));
    auto *grid = new ListGrid(QStringLiteral("PartyGrid"), QStringLiteral("Party"), kPartyHeaders);
    placeGrid(grid);
    connectControls(relation, grid);

    connect(add, &QPushButton::clicked, this, &PartyTab::addPerson);
    connect(remove, &QPushButton::clicked, this, &PartyTab::deletePerson);
}

void PartyTab::UpdatePartyGrid() {
    if (relationEditorRequested())
        return;
    const QString relation = m_relation->currentText();
    const bool anyRelation = relation == QLatin1String("All");

    GridRebuild rebuild(*m_grid, kPartyHeaders);
    const PalmDatabase *db = database();
    if (!db)
        return;
    const auto &records = db->records().raw();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Fields &fields = records[i]->fields();
        QString type = fieldText(fields, "ptyp");
        if (!anyRelation && type != relation)
            continue;
        QStringList cells;
        cells.reserve(kPartyHeaders.size());
        cells << fieldText(fields, "pnam") << std::move(type) << fieldText(fields, "padr")
              << fieldText(fields, "pcit") << fieldText(fields, "psta") << fieldText(fields, "ppho")
              << fieldText(fields, "pmai");
        rebuild.add(int(i) + 1, cells);
    }
}

void PartyTab::sortByName() {
    sortByNameField("pnam", QStringLiteral("Wedding Party Database has been sorted."));
}

void PartyTab::writeNewRecord(PalmDatabase &db, Record &record) {
    const QString relation = relationForNewRecord();
    db.write(record, "pnam", QString());
    db.write(record, "ptyp", relation);
    for (FieldCode code : {FieldCode("padr"), FieldCode("pcit"), FieldCode("psta"),
                           FieldCode("pzip"), FieldCode("ppho"), FieldCode("pmai")})
        db.write(record, code, QString());
}
