#include "personlisttab.h"

#include "editors/categorylists.h"
#include "editors/frmrecordeditor.h"
#include "store/appstate.h"
#include "views/tabhost.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

// --- PersonListTab -----------------------------------------------------------------------------

PersonListTab::PersonListTab(TabHost &host, Schema::DbId db, int editorKind, QWidget *parent)
    : ListTab(host, parent)
    , m_db(db)
    , m_editorKind(editorKind) {
}

void PersonListTab::connectControls(QComboBox *relation, ListGrid *grid) {
    m_relation = relation;
    m_grid = grid;
    installTypeAhead(relation, QStringLiteral("relation"));
    connect(relation, &QComboBox::activated, this, [this] { refresh(); });
    // Enter and the loss of focus both end an edit of the typed relation.
    if (QLineEdit *edit = relation->lineEdit())
        connect(edit, &QLineEdit::editingFinished, this, [this] { refresh(); });
    connect(grid, &ListGrid::rowDoubleClicked, this, &PersonListTab::openCurrentRow);
}

void PersonListTab::setBoxText(QComboBox *box, const QString &text) {
    const int index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        box->setCurrentIndex(index);
    // An editable box may read a text that none of its entries has ("GIFTS").
    if (box->isEditable())
        box->setEditText(text);
}

PalmDatabase *PersonListTab::database() const {
    PlanSet &set = appState().set;
    return set.isOpen() ? &set.db(m_db) : nullptr;
}

QString PersonListTab::relationForNewRecord() const {
    return categoryForNewRecord(m_relation);
}

bool PersonListTab::relationEditorRequested() {
    return editCategoriesIfAsked(m_relation, TabHost::CategoryList::Relations);
}

void PersonListTab::sortByNameField(FieldCode nameField, const QString &message) {
    PalmDatabase *db = database();
    if (!db)
        return;
    db->sort(nameField, true, QString(), true);
    refresh();
    appState().prompter().tell(message, QStringLiteral("Database Sort"),
                               Prompter::Icon::Information);
}

void PersonListTab::addPerson() {
    const int added = appendRecord(
        *m_grid, [this](PalmDatabase &db, Record &record) { writeNewRecord(db, record); });
    if (added == 0)
        return;
    AppState &state = appState();
    if (!runRecordEditor(added)) {
        removeRecordSilently(added);
        return;
    }
    if (state.cancelled) {
        removeRecordSilently(added);
        state.cancelled = false;
    } else {
        refresh();
        state.markPlanModified();
    }
}

void PersonListTab::deletePerson() {
    if (deleteCurrentRecord(*m_grid, [this](int row) { return m_grid->text(row, 1); }))
        // Shown in the status bar too, so that the window never claims an unchanged plan.
        appState().markPlanModified();
}

void PersonListTab::openCurrentRow() {
    const int number = m_grid->rowData(m_grid->row());
    if (number < 1)
        return;
    if (!runRecordEditor(number))
        return;
    refresh();
    AppState &state = appState();
    state.cancelled = false;
    if (state.changed)
        state.markPlanModified();
}

bool PersonListTab::runRecordEditor(int recordNumber) {
    AppState &state = appState();
    using Index = decltype(state.selectedRecord);
    if (!std::in_range<Index>(recordNumber))
        return false;
    state.editorKind = m_editorKind;
    state.selectedRecord = Index(recordNumber);
    frmRecordEditor editor(window());
    editor.exec();
    return true;
}
