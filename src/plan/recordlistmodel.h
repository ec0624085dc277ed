#pragma once

#include "plan.h"

#include <QAbstractTableModel>
#include <functional>
#include <optional>
#include <vector>

// One column of a list: its caption, starting width, how a record's cell reads and how the
// column sorts.
struct ListColumn {
    QString header;
    int startTwips = 1140;
    // A text as wide as the column's cells usually are (a date in the user's form, a count):
    // when set, the column starts as wide as that and its caption need instead of startTwips,
    // so that it is neither cut nor wider than it has to be at first sight.
    QString widest;
    // The field the cell shows; the find text is looked for in its stored text.
    std::optional<FieldCode> field = std::nullopt;
    // How the cell reads when not as stored (money grouped, dates in the user's form, made-up
    // cells such as "Confirmed"); without it the field's stored text.
    std::function<QString(const Record &)> text = {};
    // Set for columns that sort by value (numbers, money, dates) rather than by their text.
    std::function<double(const Record &)> number = {};
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    // The list's main text column, which takes the width the others leave.
    bool stretches = false;
    // Shown only when the user asks for it (the header's menu).
    bool extra = false;
};

// A list of the main window as a view over the records of one database: which records show
// (the tab's filters and the find text) and how each cell reads are the tab's; the cells are
// read from the records when they are painted, never copied. Column 0 holds each row's number.
//
// The model follows the plan: an edit of one record updates that row, records added, removed or
// reordered rebuild the rows, and a load rebuilds everything. Sorting by a column changes the
// view only, never the stored order of the records.
class RecordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    RecordListModel(Plan &plan, Schema::DbId db, std::vector<ListColumn> columns,
                    QObject *parent = nullptr);

    Schema::DbId database() const { return m_db; }
    const std::vector<ListColumn> &columns() const { return m_columns; }
    // Another set of columns (the guest list's gifts view); the rows are rebuilt.
    void setColumns(std::vector<ListColumn> columns);

    // Which records the tab lists; null lists every one. Call refresh() after changing the
    // conditions the filter reads.
    using Filter = std::function<bool(const Record &)>;
    void setFilter(Filter filter);
    // Further fields the find text is looked for in (notes), besides the shown columns.
    void setSearchFields(std::vector<FieldCode> fields) { m_searchFields = std::move(fields); }
    // The find text: rows whose shown columns or search fields hold it, ignoring case and
    // accents ("zoe" finds "Zoë"). Matched literally.
    void setSearchText(const QString &text);
    QString searchText() const { return m_searchText; }
    // Whether column `column` (of the model, 1 and up) is shown, for the find text.
    void setColumnShown(int column, bool shown);

    // The view's order: by `column` (1 and up), or the plan's own order for none.
    void sortBy(std::optional<int> column, Qt::SortOrder order = Qt::AscendingOrder);
    std::optional<int> sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // Rebuilds the rows from the records.
    void refresh();

    // The records of the database, and of the list.
    int recordCount() const;
    int rowCountShown() const { return int(m_rows.size()); }
    // The 1-based record number of a row (0-based here), 0 when there is none.
    int recordNumber(int row) const;
    Record *record(int row) const;
    // The row of a record, -1 when the list does not show it.
    int rowOf(const Record *record) const;
    // The records the list shows, in its order.
    std::vector<const Record *> shownRecords() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The text a cell shows (column 0: the row's number).
    QString cellText(int row, int column) const;

signals:
    // The rows were rebuilt (a view puts its selection back on the record it had).
    void rowsRebuilt();
    // The count of rows shown changed.
    void countChanged();

private:
    void planChanged(const PlanChange &change);
    bool listed(const Record &record) const;
    bool found(const Record &record) const;
    void rebuildRows();
    void sortRows();
    const std::vector<std::unique_ptr<Record>> *records() const;
    // The field of a column in a record. Records of one database keep their fields in the same
    // order, so the place found in the last record is tried first.
    const Field *fieldOf(const Record &record, FieldCode code, int &hint) const;
    QString textOf(const Record &record, std::size_t column) const;

    Plan &m_plan;
    Schema::DbId m_db;
    std::vector<ListColumn> m_columns;
    std::vector<bool> m_shown;
    Filter m_filter;
    std::vector<FieldCode> m_searchFields;
    QString m_searchText;
    QString m_foldedSearch;
    std::optional<int> m_sortColumn;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    mutable std::vector<int> m_hints; // per column, then per search field
    std::vector<int> m_rows;  // the records shown (0-based places in the database), in order
    std::vector<int> m_rowOf; // for each record, its row, or -1
};
