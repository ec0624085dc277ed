#pragma once

#include "plan/formcontext.h"
#include "views/tabhost.h"
#include "widgets/listgrid.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// A tab of the main window that shows one list: a row of filter boxes and buttons along the
// top, a find box, and the grid below, which takes the rest of the page.
class ListTab : public QWidget {
    Q_OBJECT
public:
    ListTab(const FormContext &forms, TabHost &host, QWidget *parent = nullptr);

    // The find box (null for a tab without one): Ctrl+F comes here.
    QLineEdit *findBox() const { return m_find; }
    void focusFind();
    // Refills the tab's filter boxes from the category lists (each ends on its first entry)
    // and its list.
    virtual void fillFilterBoxes() {}

protected:
    // Adds a widget to the top row, after those added before; a label goes in front when given.
    void addToTop(QWidget *widget, const QString &label = {});
    QComboBox *addFilterBox(const QString &objectName, const QString &label, bool editable);
    QPushButton *addButton(const QString &objectName, const QString &caption);
    // Puts the list's grid below the top row; `what` names the list for screen readers.
    ListGrid *addGrid(const QString &objectName, const QString &settingsKey, RecordListModel *model,
                      const QString &what);
    // A find box over `grid`'s list, with its count ("12 of 150"): at the end of the top row,
    // or on a line of its own below it when the row has no room.
    void addFindBox(ListGrid *grid, const QString &what);
    QVBoxLayout *pageLayout() const { return m_page; }
    void resizeEvent(QResizeEvent *event) override;

    // When the category box `box` reads "Edit...", runs that category editor and returns true:
    // the box holds a command then, not a filter. One editor at a time, since the editor may
    // be asked for again by the focus loss of the very box that opened it.
    bool editCategoriesIfAsked(const QComboBox *box, CategoryKind list);
    // The category a new record takes from `box`: none for "All" and "Edit...".
    static QString categoryForNewRecord(const QComboBox *box);

    // Delete on the current row of `grid`: nothing on no row; otherwise "Are you sure you want
    // to delete <what>?" and the record goes, as the step `step`, on Yes. True when it went.
    bool deleteCurrentRecord(ListGrid &grid, const QString &what, const QString &step);
    // A new record, filled in its editor, joins the list's database as one step: inserted at the
    // end, `fill` writes the editor's fields (and sorts). The new record is selected wherever it
    // went. Null when it could not be added (reported).
    Record *addNewRecord(ListGrid &grid, std::unique_ptr<Record> record, const QString &step,
                         const std::function<void(PlanEdit &, Record &)> &fill);
    // Runs a step of the user's, reporting a failure (nothing is changed then).
    bool applyStep(const QString &step, const std::function<void(PlanEdit &)> &change);

    const FormContext m_forms;
    TabHost &m_host;

private:
    void updateCount();
    void placeFindBox();

    QVBoxLayout *m_page;
    QHBoxLayout *m_topRow;
    QHBoxLayout *m_findRow;
    QLineEdit *m_find = nullptr;
    QLabel *m_count = nullptr;
    ListGrid *m_findGrid = nullptr;
    bool m_editorOpen = false;
};
