#pragma once

#include "views/tabhost.h"
#include "widgets/listgrid.h"

#include <QHBoxLayout>
#include <QWidget>
#include <functional>

class PalmDatabase;
class Record;
class QComboBox;
class QPushButton;

// A tab of the main window that shows one list: a row of filter boxes and buttons along the
// top, and the grid below it, which the main window sizes with the window.
class ListTab : public QWidget {
    Q_OBJECT
public:
    // Where the grid starts below the top of the tab page, in twips.
    static constexpr int kGridTopTwips = 540;
    static constexpr int kGridLeftTwips = 60;

    explicit ListTab(TabHost &host, QWidget *parent = nullptr);

protected:
    // Adds a widget to the top row, after those added before; a label goes in front when given.
    void addToTop(QWidget *widget, const QString &label = {});
    QComboBox *addFilterBox(const QString &objectName, const QString &label, bool editable);
    QPushButton *addButton(const QString &objectName, const QString &caption);
    // When the category box `box` reads "Edit...", runs that category editor and returns true:
    // the box holds a command then, not a filter. One editor at a time, since the editor may
    // be asked for again by the focus loss of the very box that opened it.
    bool editCategoriesIfAsked(const QComboBox *box, TabHost::CategoryList list);
    // The category a new record takes from `box`: none for "All" and "Edit...".
    static QString categoryForNewRecord(const QComboBox *box);
    // The database the tab lists and the refresh of its list, for the shared delete steps.
    virtual PalmDatabase *listDatabase() { return nullptr; }
    virtual void refreshList() {}
    // Removes a record without a question (an editor cancelled right after Add) and refreshes.
    void removeRecordSilently(int recordNumber);
    // What a Delete button does with the current row of `grid`: nothing on the header row; a
    // record a cancelled editor left behind goes without a question; otherwise "Are you sure
    // you want to delete <what(row)>?" and the record goes on Yes. True when the user's
    // answer removed a record (the list is refreshed then, and the caller marks the change).
    bool deleteCurrentRecord(const ListGrid &grid, const std::function<QString(int row)> &what);
    // The first steps of an Add button: appends a record to the listed database, lets `init`
    // write its initial fields, refreshes the list and makes the new row of `grid` current when
    // the filters show it. Returns the new record's number (the editor opens it by number, so a
    // filter that hides it cannot send the editor to another record), or 0 when nothing was
    // added: no plan, or the record could not be added or written (reported, nothing left).
    int appendRecord(ListGrid &grid, const std::function<void(PalmDatabase &, Record &)> &init);
    // What a status box asks of the stored Boolean: "True" for "Confirmed", "False" for
    // "Unconfirmed", and its own text otherwise ("All").
    static QString statusFilter(const QComboBox *box);
    // Places a grid where the main window's layout expects it.
    void placeGrid(ListGrid *grid);
    void resizeEvent(QResizeEvent *event) override;

    TabHost &m_host;

private:
    QWidget *m_bar;
    QHBoxLayout *m_topRow;
};
