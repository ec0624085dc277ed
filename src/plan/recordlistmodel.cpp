#include "recordlistmodel.h"

#include "rules/textmatch.h"

#include <QCollator>
#include <algorithm>
#include <cmath>

RecordListModel::RecordListModel(Plan &plan, Schema::DbId db, std::vector<ListColumn> columns,
                                 QObject *parent)
    : QAbstractTableModel(parent)
    , m_plan(plan)
    , m_db(db)
    , m_columns(std::move(columns))
    , m_shown(m_columns.size() + 1, true) {
    connect(&plan, &Plan::changed, this, &RecordListModel::planChanged);
    connect(&plan, &Plan::reset, this, &RecordListModel::refresh);
    rebuildRows();
}

void RecordListModel::setColumns(std::vector<ListColumn> columns) {
    beginResetModel();
    m_columns = std::move(columns);
    m_shown.assign(m_columns.size() + 1, true);
    m_sortColumn.reset();
    rebuildRows();
    endResetModel();
    emit rowsRebuilt();
    emit countChanged();
}

void RecordListModel::setFilter(Filter filter) {
    m_filter = std::move(filter);
}

void RecordListModel::setColumnShown(int column, bool shown) {
    if (column >= 0 && std::size_t(column) < m_shown.size())
        m_shown[std::size_t(column)] = shown;
}

const std::vector<std::unique_ptr<Record>> *RecordListModel::records() const {
    return m_plan.isOpen() ? &m_plan.db(m_db).records().raw() : nullptr;
}

int RecordListModel::recordCount() const {
    const auto *all = records();
    return all ? int(all->size()) : 0;
}

const Field *RecordListModel::fieldOf(const Record &record, FieldCode code, int &hint) const {
    const Fields &fields = record.fields();
    if (hint >= 0 && hint < fields.count()) {
        const Field &tried = fields.begin()[hint];
        if (tried.code() == code)
            return &tried;
    }
    const Field *found = fields.find(code);
    hint = found ? int(found - &*fields.begin()) : -1;
    return found;
}

QString RecordListModel::textOf(const Record &record, std::size_t column) const {
    const ListColumn &c = m_columns[column];
    if (c.text)
        return c.text(record);
    const Field *f = fieldOf(record, *c.field, m_hints[column]);
    return f ? f->value().toText() : QString();
}

bool RecordListModel::listed(const Record &record) const {
    return !m_filter || m_filter(record);
}

bool RecordListModel::found(const Record &record) const {
    if (m_foldedSearch.isEmpty())
        return true;
    // Stored texts are read in place; only the few made-up cells ("Confirmed") are built.
    const auto holds = [this, &record](FieldCode code, int &hint) {
        const Field *f = fieldOf(record, code, hint);
        if (!f)
            return false;
        const FieldValue &value = f->value();
        if (value.type() == FieldValue::Type::Text)
            return TextMatch::contains(value.textView(), m_foldedSearch);
        return TextMatch::contains(value.toText(), m_foldedSearch);
    };
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        if (!m_shown[c + 1])
            continue;
        const ListColumn &column = m_columns[c];
        // A formatted cell is found by what it shows as well as by what is stored ("1,500"
        // and "1500").
        if ((column.field && holds(*column.field, m_hints[c])) ||
            (column.text && TextMatch::contains(column.text(record), m_foldedSearch)))
            return true;
    }
    for (std::size_t s = 0; s < m_searchFields.size(); ++s) {
        if (holds(m_searchFields[s], m_hints[m_columns.size() + s]))
            return true;
    }
    return false;
}

void RecordListModel::setSearchText(const QString &text) {
    if (text == m_searchText)
        return;
    m_hints.resize(m_columns.size() + m_searchFields.size(), -1);
    const QString previous = m_foldedSearch;
    m_searchText = text;
    m_foldedSearch = TextMatch::folded(text);
    const auto *all = records();
    beginResetModel();
    if (all && !previous.isEmpty() && m_foldedSearch.contains(previous)) {
        // Typing on narrows the rows found so far: only they can still match.
        std::vector<int> kept;
        kept.reserve(m_rows.size());
        for (const int index : m_rows) {
            if (found(*(*all)[std::size_t(index)]))
                kept.push_back(index);
            else
                m_rowOf[std::size_t(index)] = -1;
        }
        m_rows = std::move(kept);
        for (std::size_t row = 0; row < m_rows.size(); ++row)
            m_rowOf[std::size_t(m_rows[row])] = int(row);
    } else {
        rebuildRows();
    }
    endResetModel();
    emit rowsRebuilt();
    emit countChanged();
}

void RecordListModel::sortBy(std::optional<int> column, Qt::SortOrder order) {
    if (column && (*column < 1 || std::size_t(*column) > m_columns.size()))
        column.reset();
    m_sortColumn = column;
    m_sortOrder = order;
    refresh();
}

void RecordListModel::refresh() {
    beginResetModel();
    rebuildRows();
    endResetModel();
    emit rowsRebuilt();
    emit countChanged();
}

void RecordListModel::rebuildRows() {
    m_hints.assign(m_columns.size() + m_searchFields.size(), -1);
    m_rows.clear();
    m_rowOf.clear();
    const auto *all = records();
    if (!all)
        return;
    m_rowOf.assign(all->size(), -1);
    m_rows.reserve(all->size());
    for (std::size_t i = 0; i < all->size(); ++i) {
        const Record &record = *(*all)[i];
        if (listed(record) && found(record))
            m_rows.push_back(int(i));
    }
    sortRows();
    for (std::size_t row = 0; row < m_rows.size(); ++row)
        m_rowOf[std::size_t(m_rows[row])] = int(row);
}

void RecordListModel::sortRows() {
    const auto *all = records();
    if (!m_sortColumn || !all)
        return;
    const ListColumn &column = m_columns[std::size_t(*m_sortColumn - 1)];
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    if (column.number) {
        // Values first, then the rows without one (a number that is not there sorts last).
        std::vector<std::pair<double, int>> keys;
        keys.reserve(m_rows.size());
        for (const int index : m_rows) {
            const double value = column.number(*(*all)[std::size_t(index)]);
            keys.emplace_back(std::isfinite(value) ? value : -HUGE_VAL, index);
        }
        std::stable_sort(keys.begin(), keys.end(), [descending](const auto &a, const auto &b) {
            return descending ? a.first > b.first : a.first < b.first;
        });
        for (std::size_t i = 0; i < keys.size(); ++i)
            m_rows[i] = keys[i].second;
        return;
    }
    // The same collation as the name sort, with numbers inside texts by value ("Table 10"
    // after "Table 9").
    QCollator collator = nameCollator();
    collator.setNumericMode(true);
    std::vector<std::pair<QCollatorSortKey, int>> keys;
    keys.reserve(m_rows.size());
    for (const int index : m_rows)
        keys.emplace_back(
            collator.sortKey(textOf(*(*all)[std::size_t(index)], std::size_t(*m_sortColumn - 1))),
            index);
    std::stable_sort(keys.begin(), keys.end(), [descending](const auto &a, const auto &b) {
        const int c = a.first.compare(b.first);
        return descending ? c > 0 : c < 0;
    });
    for (std::size_t i = 0; i < keys.size(); ++i)
        m_rows[i] = keys[i].second;
}

void RecordListModel::planChanged(const PlanChange &change) {
    if (!change.touches(m_db))
        return;
    const auto *all = records();
    if (!all || change.rowsChanged(m_db) || m_rowOf.size() != all->size()) {
        refresh();
        return;
    }
    for (const Record *changed : change.records(m_db)) {
        const auto it = std::find_if(all->begin(), all->end(),
                                     [changed](const auto &r) { return r.get() == changed; });
        if (it == all->end())
            continue;
        const int index = int(it - all->begin());
        const int row = m_rowOf[std::size_t(index)];
        const bool keep = listed(*changed) && found(*changed);
        if (row >= 0 && keep && !m_sortColumn) {
            emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
            continue;
        }
        if (row < 0 && !keep)
            continue;
        if (m_sortColumn) {
            // The row may move with its new text: the order is made again.
            refresh();
            return;
        }
        if (row >= 0) {
            beginRemoveRows({}, row, row);
            m_rows.erase(m_rows.begin() + row);
            m_rowOf[std::size_t(index)] = -1;
            for (std::size_t r = std::size_t(row); r < m_rows.size(); ++r)
                m_rowOf[std::size_t(m_rows[r])] = int(r);
            endRemoveRows();
        } else {
            // In the plan's order: after the rows of the records before it.
            const int at =
                int(std::lower_bound(m_rows.begin(), m_rows.end(), index) - m_rows.begin());
            beginInsertRows({}, at, at);
            m_rows.insert(m_rows.begin() + at, index);
            for (std::size_t r = std::size_t(at); r < m_rows.size(); ++r)
                m_rowOf[std::size_t(m_rows[r])] = int(r);
            endInsertRows();
        }
        emit countChanged();
    }
}

int RecordListModel::recordNumber(int row) const {
    return row >= 0 && std::size_t(row) < m_rows.size() ? m_rows[std::size_t(row)] + 1 : 0;
}

Record *RecordListModel::record(int row) const {
    const auto *all = records();
    const int number = recordNumber(row);
    return all && number >= 1 && std::size_t(number) <= all->size()
               ? (*all)[std::size_t(number - 1)].get()
               : nullptr;
}

int RecordListModel::rowOf(const Record *record) const {
    const auto *all = records();
    if (!all || !record)
        return -1;
    for (std::size_t i = 0; i < all->size() && i < m_rowOf.size(); ++i) {
        if ((*all)[i].get() == record)
            return m_rowOf[i];
    }
    return -1;
}

std::vector<const Record *> RecordListModel::shownRecords() const {
    std::vector<const Record *> shown;
    shown.reserve(m_rows.size());
    for (int row = 0; row < rowCountShown(); ++row)
        shown.push_back(record(row));
    return shown;
}

int RecordListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RecordListModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_columns.size()) + 1;
}

QString RecordListModel::cellText(int row, int column) const {
    if (column == 0)
        return row >= 0 && row < rowCountShown() ? QString::number(row + 1) : QString();
    const Record *r = record(row);
    if (!r || column < 1 || std::size_t(column) > m_columns.size())
        return {};
    return textOf(*r, std::size_t(column - 1));
}

QVariant RecordListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        if (index.column() == 0)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(m_columns[std::size_t(index.column() - 1)].alignment);
    case Qt::UserRole:
        return recordNumber(index.row());
    default:
        return {};
    }
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return section >= 1 && std::size_t(section) <= m_columns.size()
                   ? m_columns[std::size_t(section - 1)].header
                   : QString();
    if (role == Qt::TextAlignmentRole && section >= 1 && std::size_t(section) <= m_columns.size())
        return QVariant::fromValue(m_columns[std::size_t(section - 1)].alignment);
    return {};
}
