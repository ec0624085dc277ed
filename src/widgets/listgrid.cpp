#include "listgrid.h"

#include "store/appstate.h"
#include "twips.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace {
constexpr int kDefaultWidthTwips = 1140;
}

// --- Model -----------------------------------------------------------------------------------

int ListGridModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() || m_resetting ? 0 : int(m_records.size());
}

int ListGridModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_headers.size());
}

QString ListGridModel::cell(int row, int column) const {
    const std::size_t at = std::size_t(row) * std::size_t(m_headers.size()) + std::size_t(column);
    return at < m_cells.size() ? m_cells[at] : QString();
}

QVariant ListGridModel::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return cell(index.row(), index.column());
}

QVariant ListGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString::number(section + 1);
    return section < m_headers.size() ? m_headers[section] : QString();
}

void ListGridModel::setHeaders(const QStringList &headers) {
    if (headers == m_headers)
        return;
    beginResetModel();
    m_headers = headers;
    m_records.clear();
    m_cells.clear();
    endResetModel();
}

void ListGridModel::clear() {
    // The view hears of the new rows once, in publish(), not row by row.
    beginResetModel();
    m_resetting = true;
    m_records.clear();
    m_cells.clear();
}

void ListGridModel::append(int recordNumber, QStringList cells) {
    m_records.push_back(recordNumber);
    const qsizetype width = m_headers.size();
    for (qsizetype c = 0; c < width; ++c)
        m_cells.push_back(c < cells.size() ? std::move(cells[c]) : QString());
}

void ListGridModel::publish() {
    if (!m_resetting)
        return;
    m_resetting = false;
    endResetModel();
}

// --- Grid ------------------------------------------------------------------------------------

ListGrid::ListGrid(const QString &objectName, const QString &settingsKey,
                   const QStringList &headers, QWidget *parent)
    : QTableView(parent)
    , m_model(new ListGridModel(this))
    , m_settingsKey(settingsKey) {
    setObjectName(objectName);
    m_model->setHeaders(headers);
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setWordWrap(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (int c = 0; c < cols(); ++c)
        setColumnWidthTwips(c, kDefaultWidthTwips);

    connect(this, &QTableView::clicked, this, [this] { emit rowClicked(); });
    connect(this, &QTableView::doubleClicked, this, [this] { emit rowDoubleClicked(); });
}

int ListGrid::cols() const {
    return m_model->columnCount() + 1;
}

int ListGrid::rows() const {
    return m_model->rowCount() + 1;
}

void ListGrid::setHeaders(const QStringList &headers) {
    m_model->setHeaders(headers);
}

int ListGrid::row() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void ListGrid::setRow(int row) {
    if (row < 1 || row >= rows()) {
        setCurrentIndex(QModelIndex());
        return;
    }
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    setCurrentIndex(m_model->index(row - 1, column));
}

int ListGrid::col() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() + 1 : 0;
}

void ListGrid::setCol(int col) {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || col < 1 || col >= cols())
        return;
    setCurrentIndex(m_model->index(current.row(), col - 1));
}

int ListGrid::rowData(int row) const {
    return row >= 1 && row < rows() ? m_model->recordAt(row - 1) : 0;
}

QString ListGrid::text(int row, int col) const {
    if (row == 0)
        return col >= 1 && col < cols() ? m_model->headers()[col - 1] : QString();
    if (row < 0 || row >= rows())
        return {};
    if (col == 0)
        return QString::number(row);
    return col < cols() ? m_model->cell(row - 1, col - 1) : QString();
}

int ListGrid::columnWidthTwips(int col) const {
    const int pixels = col == 0 ? verticalHeader()->width() : columnWidth(col - 1);
    return Twips::fromPixels(pixels);
}

void ListGrid::setColumnWidthTwips(int col, int twips) {
    const int pixels = std::max(0, Twips::toPixels(twips));
    if (col == 0)
        verticalHeader()->setFixedWidth(pixels);
    else if (col < cols())
        setColumnWidth(col - 1, pixels);
}

void ListGrid::clearRows() {
    m_model->clear();
}

void ListGrid::appendRow(int recordNumber, QStringList cells) {
    m_model->append(recordNumber, std::move(cells));
}

void ListGrid::finish(int restoreRow) {
    m_model->publish();
    if (restoreRow >= 1 && restoreRow < rows())
        setRow(restoreRow);
    else if (rows() > 1)
        setRow(1);
}

void ListGrid::keyPressEvent(QKeyEvent *event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && row() >= 1) {
        emit rowDoubleClicked();
        return;
    }
    QTableView::keyPressEvent(event);
}

// --- Rebuild ---------------------------------------------------------------------------------

GridRebuild::GridRebuild(ListGrid &grid, QStringList headers)
    : m_grid(grid)
    , m_remembered(appState().loading ? 0 : grid.row()) {
    m_grid.setHeaders(headers);
    m_grid.clearRows();
}

GridRebuild::~GridRebuild() {
    m_grid.finish(m_remembered);
}
