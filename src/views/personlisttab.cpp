#include "personlisttab.h"

#include "editors/categorylists.h"
#include "plan/plan.h"
#include "store/prompter.h"

#include <QComboBox>
#include <QLineEdit>

PersonListTab::PersonListTab(const FormContext &forms, TabHost &host, RecordKind kind,
                             QWidget *parent)
    : ListTab(forms, host, parent)
    , m_kind(kind) {
}

void PersonListTab::setUpList(QComboBox *relation, const QString &gridName,
                              const QString &settingsKey, std::vector<ListColumn> columns,
                              const QString &what) {
    m_relation = relation;
    m_model = new RecordListModel(m_forms.plan, databaseOf(m_kind), std::move(columns), this);
    m_grid = addGrid(gridName, settingsKey, m_model, what);
    addFindBox(m_grid, what);
    installTypeAhead(relation, m_forms.plan, QStringLiteral("relation"));
    connect(relation, &QComboBox::activated, this, [this] { refresh(); });
    // Enter and the loss of focus both end an edit of the typed relation.
    if (QLineEdit *edit = relation->lineEdit())
        connect(edit, &QLineEdit::editingFinished, this, [this] { refresh(); });
    connect(m_grid, &ListGrid::rowDoubleClicked, this, &PersonListTab::openCurrentRow);
    connect(m_grid, &ListGrid::deleteRequested, this, &PersonListTab::deletePerson);
    connect(&m_forms.plan, &Plan::changed, this, [this](const PlanChange &change) {
        if (change.touches(Schema::DbId::RelTypes))
            fillFilterBoxes();
    });
}

void PersonListTab::setBoxText(QComboBox *box, const QString &text) {
    const int index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        box->setCurrentIndex(index);
    // An editable box may read a text that none of its entries has ("GIFTS").
    if (box->isEditable())
        box->setEditText(text);
}

QString PersonListTab::relationForNewRecord() const {
    return categoryForNewRecord(m_relation);
}

bool PersonListTab::relationEditorRequested() {
    return editCategoriesIfAsked(m_relation, CategoryKind::Relations);
}

QString PersonListTab::nameOf(const Record &record) const {
    return record.text(nameFieldOf(m_kind));
}

QString PersonListTab::nameIn(const std::vector<FieldEntry> &entries) const {
    for (const FieldEntry &entry : entries) {
        if (entry.code == nameFieldOf(m_kind) && entry.value)
            return entry.value->toText();
    }
    return {};
}

void PersonListTab::sortByName() {
    if (!m_forms.plan.isOpen())
        return;
    const Schema::DbId db = databaseOf(m_kind);
    const FieldCode name = nameFieldOf(m_kind);
    m_forms.plan.apply(tr("Sort %1s by Name").arg(recordWord()),
                       [&](PlanEdit &edit) { edit.sort(db, name); },
                       {.marksModified = false, .mergeKey = {}});
    refresh();
    m_forms.prompter.tell(sortedMessage(), QStringLiteral("Database Sort"),
                          Prompter::Icon::Information);
}

void PersonListTab::addPerson() {
    std::unique_ptr<Record> record = newRecord();
    frmRecordEditor editor(m_forms, m_kind, *record, true, window());
    if (editor.exec() != QDialog::Accepted)
        return; // nothing was added, nothing to take back
    const std::vector<FieldEntry> entries = editor.entries();
    const Schema::DbId db = databaseOf(m_kind);
    const FieldCode name = nameFieldOf(m_kind);
    addNewRecord(*m_grid, std::move(record), tr("Add %1 %2").arg(recordWord(), nameIn(entries)),
                 [&](PlanEdit &edit, Record &added) {
                     edit.writeAll(db, added, entries);
                     edit.sort(db, name);
                 });
}

void PersonListTab::deletePerson() {
    Record *record = m_grid->currentRecord();
    if (!record)
        return;
    const QString name = m_grid->text(m_grid->row(), 1);
    deleteCurrentRecord(*m_grid, name, tr("Delete %1 %2").arg(recordWord(), nameOf(*record)));
}

void PersonListTab::openCurrentRow() {
    Record *record = m_grid->currentRecord();
    if (!record)
        return;
    frmRecordEditor editor(m_forms, m_kind, *record, false, window());
    if (editor.exec() != QDialog::Accepted)
        return;
    const std::vector<FieldEntry> entries = editor.entries();
    const Schema::DbId db = databaseOf(m_kind);
    applyStep(tr("Edit %1 %2").arg(recordWord(), nameIn(entries)), [&](PlanEdit &edit) {
        edit.writeAll(db, *record, entries);
        edit.sort(db, nameFieldOf(m_kind));
    });
    m_grid->selectRecord(record);
}
