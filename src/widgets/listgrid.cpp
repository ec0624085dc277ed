#include "listgrid.h"

#include "twips.h"

#include <QAction>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QSettings>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace {

// The widest a remembered column may be; anything beyond is a damaged value.
constexpr int kMostTwips = 40000;
constexpr int kLeastTwips = 120;

// Shows a cell's whole text as its tooltip when the cell cuts it.
class CutTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override {
        if (event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString text = index.data(Qt::DisplayRole).toString();
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        // The room the style gives the text, less the margins it keeps on both sides.
        const int margin = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        const int room = option.rect.width() - margin;
        if (!text.isEmpty() && item.fontMetrics.horizontalAdvance(text) > room)
            QToolTip::showText(event->globalPos(), text, view);
        else
            QToolTip::hideText();
        return true;
    }
};

} // namespace

ListGrid::ListGrid(const QString &objectName, const QString &settingsKey, RecordListModel *model,
                   QWidget *parent)
    : QTableView(parent)
    , m_model(model)
    , m_settingsKey(settingsKey) {
    setObjectName(objectName);
    setModel(m_model);
    setItemDelegate(new CutTextDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setWordWrap(false);
    // Tab goes on to the next control, as in any form.
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView *header = horizontalHeader();
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    header->setMinimumSectionSize(Twips::toPixels(kLeastTwips));
    connect(header, &QHeaderView::sectionClicked, this, &ListGrid::headerClicked);
    connect(header, &QWidget::customContextMenuRequested, this, &ListGrid::headerMenu);
    connect(header, &QHeaderView::sectionResized, this, [this](int section, int, int) {
        if (m_fitting)
            return;
        if (section == mainColumn())
            m_mainSized = true;
        fitMainColumn();
    });

    connect(this, &QTableView::clicked, this, [this] { emit rowClicked(); });
    connect(this, &QTableView::doubleClicked, this, [this] { emit rowDoubleClicked(); });
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, &ListGrid::rememberCurrent);
    connect(m_model, &RecordListModel::rowsRebuilt, this, &ListGrid::restoreCurrent);
    connect(m_model, &RecordListModel::countChanged, this, &ListGrid::fitNumberColumn);
    connect(m_model, &QAbstractItemModel::modelReset, this, &ListGrid::applyColumns);
    resetColumns();
}

int ListGrid::mainColumn() const {
    const auto &columns = m_model->columns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].stretches)
            return int(c) + 1;
    }
    return -1;
}

int ListGrid::cols() const {
    return m_model->columnCount();
}

int ListGrid::rows() const {
    return m_model->rowCount() + 1;
}

int ListGrid::row() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void ListGrid::setRow(int row) {
    if (row < 1 || row >= rows()) {
        setCurrentIndex(QModelIndex());
        clearSelection();
        return;
    }
    const int column = std::max(currentIndex().column(), 1);
    setCurrentIndex(m_model->index(row - 1, column));
    scrollTo(currentIndex());
}

int ListGrid::col() const {
    return currentIndex().isValid() ? currentIndex().column() : 0;
}

void ListGrid::setCol(int col) {
    const QModelIndex current = currentIndex();
    if (current.isValid() && col >= 0 && col < cols())
        setCurrentIndex(m_model->index(current.row(), col));
}

int ListGrid::rowData(int row) const {
    return row >= 1 ? m_model->recordNumber(row - 1) : 0;
}

QString ListGrid::text(int row, int col) const {
    if (row == 0) {
        return col >= 1 ? m_model->headerData(col, Qt::Horizontal, Qt::DisplayRole).toString()
                        : QString();
    }
    return m_model->cellText(row - 1, col);
}

Record *ListGrid::currentRecord() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? m_model->record(current.row()) : nullptr;
}

bool ListGrid::selectRecord(const Record *record) {
    const int row = m_model->rowOf(record);
    if (row < 0)
        return false;
    setRow(row + 1);
    if (currentIndex().column() < 1)
        setCol(1);
    return true;
}

void ListGrid::rememberCurrent() {
    m_current = currentRecord();
}

void ListGrid::restoreCurrent() {
    const Record *wanted = std::exchange(m_current, nullptr);
    if (wanted)
        selectRecord(wanted);
}

// --- Columns -----------------------------------------------------------------------------------

int ListGrid::columnWidthTwips(int col) const {
    return Twips::fromPixels(columnWidth(col));
}

void ListGrid::setColumnWidthTwips(int col, int twips) {
    setColumnWidth(col, Twips::toPixels(twips));
}

void ListGrid::applyColumns() {
    const auto &columns = m_model->columns();
    QHeaderView *header = horizontalHeader();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (header->sectionSize(int(c) + 1) == 0 && !header->isSectionHidden(int(c) + 1))
            setColumnWidth(int(c) + 1, startWidth(int(c) + 1));
    }
    fitNumberColumn();
    fitMainColumn();
}

void ListGrid::resetColumns() {
    const auto &columns = m_model->columns();
    const bool fitting = std::exchange(m_fitting, true);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        setColumnWidth(int(c) + 1, startWidth(int(c) + 1));
        setColumnHidden(int(c) + 1, columns[c].extra);
        m_model->setColumnShown(int(c) + 1, !columns[c].extra);
    }
    m_fitting = fitting;
    m_mainSized = false;
    fitNumberColumn();
    fitMainColumn();
}

void ListGrid::setColumnShown(int column, bool shown) {
    if (column < 1 || column >= cols())
        return;
    setColumnHidden(column, !shown);
    m_model->setColumnShown(column, shown);
    if (shown && columnWidth(column) == 0)
        setColumnWidth(column, startWidth(column));
    fitMainColumn();
}

int ListGrid::startWidth(int column) const {
    const ListColumn &c = m_model->columns()[std::size_t(column - 1)];
    if (c.widest.isEmpty())
        return Twips::toPixels(c.startTwips);
    // The cell's margins and the grid line, as the view's own fit to contents allows, and the
    // whole caption (a sort arrow, when shown, may then cover its last letter).
    const QStyle *s = style();
    const int cell = fontMetrics().horizontalAdvance(c.widest) +
                     2 * s->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 8;
    const int caption = horizontalHeader()->fontMetrics().horizontalAdvance(c.header) +
                        2 * s->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + 4;
    return std::max(cell, caption);
}

void ListGrid::fitNumberColumn() {
    // As wide as the largest row number's digits, no wider.
    const int digits = int(QString::number(std::max(1, m_model->rowCount())).size());
    const int width = fontMetrics().horizontalAdvance(QString(digits, u'9')) + 12;
    const bool fitting = std::exchange(m_fitting, true);
    setColumnWidth(0, width);
    m_fitting = fitting;
}

void ListGrid::fitMainColumn() {
    const int main = mainColumn();
    if (main < 0 || m_mainSized || m_fitting || isColumnHidden(main))
        return;
    int others = 0;
    for (int c = 0; c < cols(); ++c) {
        if (c != main && !isColumnHidden(c))
            others += columnWidth(c);
    }
    const int start = startWidth(main);
    const int room = viewport()->width() - others;
    const bool fitting = std::exchange(m_fitting, true);
    setColumnWidth(main, std::max(start, room));
    m_fitting = fitting;
}

void ListGrid::resizeEvent(QResizeEvent *event) {
    QTableView::resizeEvent(event);
    fitMainColumn();
}

void ListGrid::saveState(QSettings &settings) const {
    QStringList shown;
    for (int c = 0; c < cols(); ++c) {
        settings.setValue(m_settingsKey + QString::number(c),
                          QString::number(isColumnHidden(c) ? 0 : columnWidthTwips(c)));
        if (c >= 1 && m_model->columns()[std::size_t(c - 1)].extra && !isColumnHidden(c))
            shown << m_model->columns()[std::size_t(c - 1)].header;
    }
    settings.setValue(m_settingsKey + QStringLiteral("Shown"), shown.join(u','));
    settings.setValue(m_settingsKey + QStringLiteral("MainSized"), m_mainSized);
}

void ListGrid::restoreState(QSettings &settings) {
    resetColumns();
    const bool fitting = std::exchange(m_fitting, true);
    const QStringList shown =
        settings.value(m_settingsKey + QStringLiteral("Shown")).toString().split(u',');
    for (int c = 1; c < cols(); ++c) {
        const ListColumn &column = m_model->columns()[std::size_t(c - 1)];
        if (column.extra && shown.contains(column.header)) {
            setColumnHidden(c, false);
            m_model->setColumnShown(c, true);
        }
        bool ok = false;
        const int twips = settings.value(m_settingsKey + QString::number(c)).toString().toInt(&ok);
        if (ok && twips >= kLeastTwips && twips <= kMostTwips)
            setColumnWidthTwips(c, twips);
    }
    m_fitting = fitting;
    m_mainSized = settings.value(m_settingsKey + QStringLiteral("MainSized")).toBool();
    fitNumberColumn();
    fitMainColumn();
}

// --- Header ------------------------------------------------------------------------------------

void ListGrid::headerClicked(int section) {
    if (section < 1)
        return;
    // By the column, reversed, then the plan's own order again.
    std::optional<int> column = section;
    Qt::SortOrder order = Qt::AscendingOrder;
    if (m_model->sortColumn() == section) {
        if (m_model->sortOrder() == Qt::AscendingOrder)
            order = Qt::DescendingOrder;
        else
            column.reset();
    }
    m_model->sortBy(column, order);
    QHeaderView *header = horizontalHeader();
    header->setSortIndicatorShown(column.has_value());
    if (column)
        header->setSortIndicator(*column, order);
}

void ListGrid::headerMenu(const QPoint &at) {
    QMenu menu(this);
    const auto &columns = m_model->columns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (!columns[c].extra)
            continue;
        const int column = int(c) + 1;
        QAction *action = menu.addAction(columns[c].header);
        action->setCheckable(true);
        action->setChecked(!isColumnHidden(column));
        connect(action, &QAction::toggled, this,
                [this, column](bool shown) { setColumnShown(column, shown); });
    }
    if (!menu.isEmpty())
        menu.addSeparator();
    connect(menu.addAction(tr("&Reset Column Widths")), &QAction::triggered, this,
            &ListGrid::resetColumns);
    menu.exec(horizontalHeader()->mapToGlobal(at));
}

// --- Keys --------------------------------------------------------------------------------------

void ListGrid::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (row() >= 1) {
            emit rowDoubleClicked();
            return;
        }
        break;
    case Qt::Key_Delete:
        if (row() >= 1) {
            emit deleteRequested();
            return;
        }
        break;
    default:
        break;
    }
    QTableView::keyPressEvent(event);
}
