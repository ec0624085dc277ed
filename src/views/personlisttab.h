#pragma once

#include "listtab.h"
#include "store/schema.h"

class QComboBox;

// What the party and guest lists share: a relation filter that completes category names, and
// adding, deleting and opening a person in the record editor. Every handler finds its record
// through the row data of the grid, never through the row's position.
class PersonListTab : public ListTab {
    Q_OBJECT
public:
    ListGrid *grid() const { return m_grid; }
    QComboBox *relationBox() const { return m_relation; }

    // "Add Person": a new record from the filters, opened in the record editor at once; it is
    // removed again when the editor is cancelled.
    void addPerson();
    // "Delete Person": asks first, unless an Add is being undone (the cancelled flag is set).
    void deletePerson();
    // Double-click or Enter on a row: the record editor on that row's record.
    void openCurrentRow();

    // Puts a filter box on `text`, choosing its entry when it has one.
    static void setBoxText(QComboBox *box, const QString &text);

protected:
    PersonListTab(TabHost &host, Schema::DbId db, int editorKind, QWidget *parent);

    // Call once the relation box and the grid exist: type-ahead and the refresh triggers.
    void connectControls(QComboBox *relation, ListGrid *grid);
    // The list's own refresh (UpdateGuestGrid, UpdatePartyGrid).
    virtual void refresh() = 0;
    // The initial fields of a record made by Add Person.
    virtual void writeNewRecord(PalmDatabase &db, Record &record) = 0;

    // A field's value as text; a field the record lacks reads as empty text.
    static QString fieldText(const Fields &fields, FieldCode code) {
        const Field *field = fields.find(code);
        return field ? field->value().toText() : QString();
    }
    // The open plan's database of this list, or null when no plan is open.
    PalmDatabase *database() const;
    // The relation a new record gets: the box's text, or empty for "All".
    QString relationForNewRecord() const;
    // When the relation box reads "Edit...", runs the relation-type editor and returns true:
    // the refresh stops there.
    bool relationEditorRequested();
    // Sorts by the name field, refreshes and says so. Sorting is not an edit of the plan.
    void sortByNameField(FieldCode nameField, const QString &message);

    ListGrid *m_grid = nullptr;
    QComboBox *m_relation = nullptr;

private:
    PalmDatabase *listDatabase() override { return database(); }
    void refreshList() override { refresh(); }
    // Runs the record editor on one record; false when the number cannot be handed over.
    bool runRecordEditor(int recordNumber);

    Schema::DbId m_db;
    int m_editorKind;
};
