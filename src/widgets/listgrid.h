#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <vector>

class ListGridModel;

// The grid of every list of the main window. Row 0 is the header row with the column titles in
// columns 1 and up; column 0 holds each data row's number. Each data row remembers the
// 1-based record number it shows (its row data); handlers find records only through it.
// Rows are plain texts in one model, so refreshing 65,535 rows costs no widget per cell.
class ListGrid : public QTableView {
    Q_OBJECT
public:
    // `columns` counts column 0. `settingsKey` names the widths in the settings ("Guest").
    ListGrid(const QString &objectName, const QString &settingsKey, const QStringList &headers,
             QWidget *parent = nullptr);

    QString settingsKey() const { return m_settingsKey; }
    int cols() const;
    int rows() const; // the header row included
    void setHeaders(const QStringList &headers);

    int row() const; // 0 when no data row is current
    void setRow(int row);
    int col() const;
    void setCol(int col);
    int rowData(int row) const; // 0 for the header row
    QString text(int row, int col) const;

    int columnWidthTwips(int col) const;
    void setColumnWidthTwips(int col, int twips);

    // Rebuilding: clear() cuts back to the header row; appendRow() adds rows; finish() shows
    // them and makes `restoreRow` current when it is still a data row (else the first row).
    void clearRows();
    void appendRow(int recordNumber, QStringList cells);
    void finish(int restoreRow);

signals:
    void rowClicked();
    void rowDoubleClicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    ListGridModel *m_model;
    QString m_settingsKey;
};

// The refresh pattern of every list: remember the current row, rebuild, restore it.
class GridRebuild {
public:
    GridRebuild(ListGrid &grid, QStringList headers);
    ~GridRebuild();
    void add(int recordNumber, QStringList cells) {
        m_grid.appendRow(recordNumber, std::move(cells));
    }
    GridRebuild(const GridRebuild &) = delete;
    GridRebuild &operator=(const GridRebuild &) = delete;

private:
    ListGrid &m_grid;
    int m_remembered;
};

class ListGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ListGridModel(QObject *parent)
        : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setHeaders(const QStringList &headers);
    const QStringList &headers() const { return m_headers; }
    void clear();
    void append(int recordNumber, QStringList cells);
    void publish();
    int recordAt(int row) const { return m_records[std::size_t(row)]; }
    QString cell(int row, int column) const;

private:
    QStringList m_headers;
    std::vector<int> m_records;
    std::vector<QString> m_cells; // rows × headers, row by row
    bool m_resetting = false;
};
