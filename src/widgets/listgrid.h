#pragma once

#include "plan/recordlistmodel.h"

#include <QTableView>

class QSettings;

// The grid of every list of the main window, over a RecordListModel. Column 0 holds each row's
// number; rows count from 1 (row 0 is the header row), and each row's data is the 1-based
// number of the record it shows: handlers find records only through it.
//
// The list's main text column takes the width the others leave; the user may resize any
// column, fit it to its content by double-clicking its edge, show further columns from the
// header's menu and go back to the starting widths there. A click on a header sorts the view
// by that column, a second click reverses, a third goes back to the plan's order. The record
// that was current stays current whatever the rows do. Delete asks the tab to delete, Enter
// opens the record, Tab leaves the list.
class ListGrid : public QTableView {
    Q_OBJECT
public:
    // `settingsKey` names the list's widths in the settings ("Guest").
    ListGrid(const QString &objectName, const QString &settingsKey, RecordListModel *model,
             QWidget *parent = nullptr);

    RecordListModel *listModel() const { return m_model; }
    QString settingsKey() const { return m_settingsKey; }
    int cols() const;
    int rows() const; // the header row included

    int row() const; // 0 when no data row is current
    void setRow(int row);
    int col() const;
    void setCol(int col);
    int rowData(int row) const; // 0 for the header row
    QString text(int row, int col) const;
    // The record of the current row; null for none.
    Record *currentRecord() const;
    // Makes the record's row current, wherever the order put it; false when it is not listed.
    bool selectRecord(const Record *record);

    int columnWidthTwips(int col) const;
    void setColumnWidthTwips(int col, int twips);
    // Widths, shown columns: written under the list's key, read back with every value checked
    // (a value from an older layout, or a damaged one, gives the starting width).
    void saveState(QSettings &settings) const;
    void restoreState(QSettings &settings);
    // The starting widths, and only the columns shown at first.
    void resetColumns();
    // Shows or hides one of the further columns (model column number).
    void setColumnShown(int column, bool shown);
    // A column's starting width, in pixels: its twips, or what its widest usual text and its
    // caption need. The main column is never made narrower than this.
    int startWidth(int column) const;

signals:
    void rowClicked();
    // A double-click, or Enter, on a row.
    void rowDoubleClicked();
    // Delete was pressed on a row.
    void deleteRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void headerClicked(int section);
    void headerMenu(const QPoint &at);
    void fitMainColumn();
    void fitNumberColumn();
    void applyColumns();
    void rememberCurrent();
    void restoreCurrent();
    int mainColumn() const;

    RecordListModel *m_model;
    QString m_settingsKey;
    const Record *m_current = nullptr;
    bool m_fitting = false;
    bool m_mainSized = false; // the user gave the main column a width of its own
};
