#pragma once

#include "editors/frmrecordeditor.h"
#include "listtab.h"

class QComboBox;

// What the party and guest lists share: a relation filter that completes category names, and
// adding, deleting and opening a person in the record editor.
class PersonListTab : public ListTab {
    Q_OBJECT
public:
    ListGrid *grid() const { return m_grid; }
    RecordListModel *model() const { return m_model; }
    QComboBox *relationBox() const { return m_relation; }

    // "Add Person": a new record from the filters, opened in the record editor; it joins the
    // list when the editor is confirmed.
    void addPerson();
    // "Delete Person": asks first.
    void deletePerson();
    // Double-click or Enter on a row: the record editor on that row's record.
    void openCurrentRow();
    // Sorts by name, as a step of the history, and says so. It does not mark the plan modified.
    void sortByName();

    // Puts a filter box on `text`, choosing its entry when it has one.
    static void setBoxText(QComboBox *box, const QString &text);

protected:
    PersonListTab(const FormContext &forms, TabHost &host, RecordKind kind, QWidget *parent);

    // Call once the relation box exists: the list, the find box, type-ahead and the refresh
    // triggers.
    void setUpList(QComboBox *relation, const QString &gridName, const QString &settingsKey,
                   std::vector<ListColumn> columns, const QString &what);
    // The list's own refresh (UpdateGuestGrid, UpdatePartyGrid).
    virtual void refresh() = 0;
    // A new record, from the filters.
    virtual std::unique_ptr<Record> newRecord() const = 0;
    // How the record is named in steps ("Guest", "Party Member").
    virtual QString recordWord() const = 0;
    virtual QString sortedMessage() const = 0;

    // The relation a new record gets: the box's text, or empty for "All".
    QString relationForNewRecord() const;
    // When the relation box reads "Edit...", runs the relation-type editor and returns true:
    // the refresh stops there.
    bool relationEditorRequested();
    QString nameOf(const Record &record) const;
    QString nameIn(const std::vector<FieldEntry> &entries) const;

    const RecordKind m_kind;
    ListGrid *m_grid = nullptr;
    RecordListModel *m_model = nullptr;
    QComboBox *m_relation = nullptr;
};
