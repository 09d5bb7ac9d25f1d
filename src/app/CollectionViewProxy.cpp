#include "CollectionViewProxy.h"

#include "core/BookmarkFile.h"
#include "core/ViewOrder.h"
#include "util/Mbcs.h"

#include <algorithm>
#include <numeric>

namespace lh {

namespace {

// More separate runs of removed rows than this, and one reset is cheaper than telling each.
constexpr std::size_t kMostRemovalRuns = 16;
// A change of more rows than this repaints the whole view instead of row by row.
constexpr int kMostChangedRows = 64;

bool SameColumns(FindColumns a, FindColumns b) {
    return a.name == b.name && a.address == b.address && a.remark == b.remark;
}

// True when `longer` is `shorter` followed by whole characters.
bool GrewByCharacters(const std::string& shorter, const std::string& longer) {
    if (longer.size() <= shorter.size() || longer.compare(0, shorter.size(), shorter) != 0)
        return false;
    std::size_t at = 0;
    while (at < shorter.size())
        at += MbcsCharSize(longer, at);
    return at == shorter.size();
}

} // namespace

CollectionViewProxy::CollectionViewProxy(const TableStore& store, QObject* parent)
    : QAbstractProxyModel(parent), m_store(store) {}

void CollectionViewProxy::setSourceModel(QAbstractItemModel* source) {
    beginResetModel();
    if (QAbstractItemModel* old = sourceModel())
        disconnect(old, nullptr, this, nullptr);
    QAbstractProxyModel::setSourceModel(source);
    if (source) {
        connect(source, &QAbstractItemModel::dataChanged, this,
                &CollectionViewProxy::SourceDataChanged);
        connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this,
                &CollectionViewProxy::SourceRowsAboutToBeInserted);
        connect(source, &QAbstractItemModel::rowsInserted, this,
                &CollectionViewProxy::SourceRowsInserted);
        connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                &CollectionViewProxy::SourceRowsAboutToBeRemoved);
        connect(source, &QAbstractItemModel::rowsRemoved, this,
                &CollectionViewProxy::SourceRowsRemoved);
        connect(source, &QAbstractItemModel::modelAboutToBeReset, this,
                &CollectionViewProxy::SourceAboutToBeReset);
        connect(source, &QAbstractItemModel::modelReset, this, &CollectionViewProxy::SourceReset);
    }
    m_records = source ? static_cast<std::size_t>(std::max(source->rowCount() - 1, 0)) : 0;
    TableChanged();
    Rebuild(false);
    endResetModel();
}

QModelIndex CollectionViewProxy::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex CollectionViewProxy::parent(const QModelIndex& /*child*/) const {
    return {};
}

int CollectionViewProxy::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !sourceModel())
        return 0;
    return EntryRow() + 1;
}

int CollectionViewProxy::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !sourceModel() ? 0 : TableStore::kFieldCount;
}

int CollectionViewProxy::EntryRow() const noexcept {
    return static_cast<int>(m_identity ? m_records : m_shown.size());
}

std::size_t CollectionViewProxy::RecordOfRow(int row) const {
    if (m_identity)
        return static_cast<std::size_t>(row);
    const auto at = static_cast<std::size_t>(row);
    return at < m_shown.size() ? m_shown[at] : m_records;
}

int CollectionViewProxy::RowOfRecord(std::size_t record) const {
    if (record == m_records)
        return EntryRow();
    if (m_identity)
        return record < m_records ? static_cast<int>(record) : -1;
    return record < m_rowOf.size() ? m_rowOf[record] : -1;
}

QModelIndex CollectionViewProxy::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid() || !sourceModel() || proxyIndex.model() != this)
        return {};
    return sourceModel()->index(static_cast<int>(RecordOfRow(proxyIndex.row())),
                                proxyIndex.column());
}

QModelIndex CollectionViewProxy::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid() || sourceIndex.model() != sourceModel())
        return {};
    const int row = RowOfRecord(static_cast<std::size_t>(sourceIndex.row()));
    return row < 0 ? QModelIndex() : createIndex(row, sourceIndex.column());
}

RecordCells CollectionViewProxy::Cells() const {
    return RecordCells(m_records, [this](std::size_t record, GridColumn column) {
        return m_store.Text(static_cast<TableStore::Row>(record), static_cast<int>(column) - 1);
    });
}

const std::vector<std::size_t>& CollectionViewProxy::SortedOrder() const {
    if (!m_sortedValid) {
        const auto column = static_cast<GridColumn>(m_sortColumn + 1);
        const SortDirection direction = m_sortOrder == Qt::AscendingOrder
                                            ? SortDirection::Ascending
                                            : SortDirection::Descending;
        m_sorted = SortedRecordOrder(Cells(), column, direction, AccessFieldsFromText);
        m_sortedValid = true;
    }
    return m_sorted;
}

void CollectionViewProxy::Rebuild(bool narrowing) {
    std::vector<std::size_t> rows;
    bool identity = false;
    if (IsFiltered() && m_findsNothing) {
        // nothing shown but the entry row
    } else if (IsFiltered()) {
        const RecordCells cells = Cells();
        const RecordMatcher matcher(m_query, m_columns);
        if (narrowing && !m_identity)
            rows = MatchingRecords(cells, matcher, m_shown);
        else if (m_sortColumn >= 0)
            rows = MatchingRecords(cells, matcher, SortedOrder());
        else
            rows = MatchingRecords(cells, matcher);
    } else if (m_sortColumn >= 0) {
        rows = SortedOrder();
    } else {
        identity = true;
    }
    m_identity = identity;
    m_shown = std::move(rows);
    RebuildRowOf();
    m_changedSinceRebuild = false;
    // Filtered, every row shown matches: no second pass to count them.
    m_matchesValid = IsFiltered();
    if (m_matchesValid) {
        m_matchRows.resize(m_shown.size());
        std::iota(m_matchRows.begin(), m_matchRows.end(), 0);
    }
}

void CollectionViewProxy::RebuildRowOf() {
    if (m_identity) {
        m_rowOf = {};
        return;
    }
    m_rowOf.assign(m_records, -1);
    for (std::size_t row = 0; row < m_shown.size(); ++row)
        m_rowOf[m_shown[row]] = static_cast<int>(row);
}

void CollectionViewProxy::TableChanged() {
    m_sortedValid = false;
    m_matchesValid = false;
    m_changedSinceRebuild = true;
}

void CollectionViewProxy::sort(int column, Qt::SortOrder order) {
    if (column >= TableStore::kFieldCount)
        return;
    if (column < 0)
        order = Qt::AscendingOrder;
    if (column == m_sortColumn && order == m_sortOrder && !m_changedSinceRebuild)
        return;
    if (column != m_sortColumn || order != m_sortOrder)
        m_sortedValid = false;
    m_sortColumn = column < 0 ? -1 : column;
    m_sortOrder = order;
    if (IsFiltered()) {
        // A table changed since the find may match other records now.
        beginResetModel();
        Rebuild(false);
        endResetModel();
    } else {
        // The same rows in another order: the current cell and the selection go with them.
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList before = persistentIndexList();
        std::vector<std::size_t> records;
        records.reserve(static_cast<std::size_t>(before.size()));
        for (const QModelIndex& at : before)
            records.push_back(RecordOfRow(at.row()));
        Rebuild(false);
        QModelIndexList after;
        after.reserve(before.size());
        for (qsizetype i = 0; i < before.size(); ++i) {
            const int row = RowOfRecord(records[static_cast<std::size_t>(i)]);
            after.push_back(row < 0 ? QModelIndex() : createIndex(row, before[i].column()));
        }
        changePersistentIndexList(before, after);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
    emit SortChanged(m_sortColumn, m_sortOrder);
}

void CollectionViewProxy::SetQuery(const std::optional<std::string>& query, FindColumns columns,
                                   bool onlyMatches) {
    const bool wasFiltered = IsFiltered();
    const bool sameColumns = SameColumns(columns, m_columns);
    const std::string text = query.value_or(std::string());
    if (text == m_query && query.has_value() != m_findsNothing && sameColumns &&
        onlyMatches == m_onlyMatches)
        return;
    const bool narrowing = wasFiltered && onlyMatches && sameColumns && !m_changedSinceRebuild &&
                           !m_findsNothing && query && GrewByCharacters(m_query, text);
    m_query = text;
    m_findsNothing = !query.has_value();
    m_columns = columns;
    m_onlyMatches = onlyMatches;
    m_matchesValid = false;
    if (!wasFiltered && !IsFiltered())
        return; // all records stay shown; only the matches to count and step through changed
    beginResetModel();
    Rebuild(narrowing);
    endResetModel();
}

std::size_t CollectionViewProxy::MatchCount() const {
    if (!m_matchesValid) {
        m_matchRows.clear();
        if (!m_query.empty() && !m_findsNothing) {
            const RecordCells cells = Cells();
            const RecordMatcher matcher(m_query, m_columns);
            if (m_identity) {
                for (const std::size_t record : MatchingRecords(cells, matcher))
                    m_matchRows.push_back(static_cast<int>(record));
            } else {
                for (const std::size_t record : MatchingRecords(cells, matcher, m_shown))
                    m_matchRows.push_back(m_rowOf[record]);
            }
        }
        m_matchesValid = true;
    }
    return m_matchRows.size();
}

int CollectionViewProxy::NextMatchRow(int row, FindDirection direction) const {
    if (MatchCount() == 0)
        return -1;
    if (direction == FindDirection::Forward) {
        const auto next = std::upper_bound(m_matchRows.begin(), m_matchRows.end(), row);
        return next == m_matchRows.end() ? m_matchRows.front() : *next;
    }
    const auto at = std::lower_bound(m_matchRows.begin(), m_matchRows.end(), row);
    return at == m_matchRows.begin() ? m_matchRows.back() : *(at - 1);
}

std::vector<std::size_t> CollectionViewProxy::SortedCollectionOrder() const {
    if (m_sortColumn < 0)
        return {};
    // Unfiltered, the rows shown are every record in the very order the user sees.
    if (!IsFiltered() && !m_identity)
        return m_shown;
    return SortedOrder();
}

void CollectionViewProxy::SourceDataChanged(const QModelIndex& topLeft,
                                            const QModelIndex& bottomRight,
                                            const QList<int>& roles) {
    TableChanged();
    if (!topLeft.isValid() || !bottomRight.isValid())
        return;
    if (m_identity) {
        emit dataChanged(createIndex(topLeft.row(), topLeft.column()),
                         createIndex(bottomRight.row(), bottomRight.column()), roles);
        return;
    }
    if (bottomRight.row() - topLeft.row() >= kMostChangedRows) {
        emit dataChanged(createIndex(0, 0), createIndex(EntryRow(), columnCount() - 1), roles);
        return;
    }
    for (int record = topLeft.row(); record <= bottomRight.row(); ++record) {
        const int row = RowOfRecord(static_cast<std::size_t>(record));
        if (row >= 0)
            emit dataChanged(createIndex(row, topLeft.column()),
                             createIndex(row, bottomRight.column()), roles);
    }
}

void CollectionViewProxy::SourceRowsAboutToBeInserted(const QModelIndex& /*parent*/, int first,
                                                      int last) {
    const int count = last - first + 1;
    if (m_identity) {
        beginInsertRows({}, first, last);
        return;
    }
    // Rows behind the entry row: the entry row became the first new record and the rest follow
    // it, all shown at the end, so what was typed or scanned stays in view.
    m_insertAppends = static_cast<std::size_t>(first) > m_records;
    if (m_insertAppends) {
        const int entry = EntryRow();
        beginInsertRows({}, entry + 1, entry + count);
        return;
    }
    // An inserted record shows above the record it was inserted in front of.
    const int below = RowOfRecord(static_cast<std::size_t>(first));
    m_insertAt = below >= 0 ? below : EntryRow();
    beginInsertRows({}, m_insertAt, m_insertAt + count - 1);
}

void CollectionViewProxy::SourceRowsInserted(const QModelIndex& /*parent*/, int first, int last) {
    const auto count = static_cast<std::size_t>(last - first + 1);
    if (m_identity) {
        m_records += count;
    } else if (m_insertAppends) {
        m_rowOf.resize(m_records + count, -1);
        for (std::size_t k = 0; k < count; ++k) {
            m_rowOf[m_records + k] = static_cast<int>(m_shown.size());
            m_shown.push_back(m_records + k);
        }
        m_records += count;
    } else {
        const auto from = static_cast<std::size_t>(first);
        for (std::size_t& record : m_shown)
            if (record >= from)
                record += count;
        std::vector<std::size_t> added(count);
        std::iota(added.begin(), added.end(), from);
        m_shown.insert(m_shown.begin() + m_insertAt, added.begin(), added.end());
        m_records += count;
        RebuildRowOf();
    }
    TableChanged();
    endInsertRows();
}

void CollectionViewProxy::SourceRowsAboutToBeRemoved(const QModelIndex& /*parent*/, int first,
                                                     int last) {
    if (m_identity) {
        beginRemoveRows({}, first, last);
        return;
    }
    std::vector<int> rows;
    for (int record = first; record <= last; ++record) {
        const int row = RowOfRecord(static_cast<std::size_t>(record));
        if (row >= 0)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end(), std::greater<>());
    std::vector<std::pair<int, int>> runs; // last row, first row; from the bottom up
    for (const int row : rows) {
        if (!runs.empty() && runs.back().second == row + 1)
            runs.back().second = row;
        else
            runs.emplace_back(row, row);
    }
    m_removeByReset = runs.size() > kMostRemovalRuns;
    if (m_removeByReset) {
        beginResetModel();
        return;
    }
    // Each run goes while the source still holds the records, so the rows left map as before.
    for (const auto& [bottom, top] : runs) {
        beginRemoveRows({}, top, bottom);
        m_shown.erase(m_shown.begin() + top, m_shown.begin() + bottom + 1);
        RebuildRowOf();
        endRemoveRows();
    }
}

void CollectionViewProxy::SourceRowsRemoved(const QModelIndex& /*parent*/, int first, int last) {
    const auto from = static_cast<std::size_t>(first);
    const auto to = static_cast<std::size_t>(last);
    const std::size_t count = to - from + 1;
    m_records -= std::min(count, m_records);
    if (m_identity) {
        TableChanged();
        endRemoveRows();
        return;
    }
    if (m_removeByReset)
        std::erase_if(m_shown, [&](std::size_t record) { return record >= from && record <= to; });
    for (std::size_t& record : m_shown)
        if (record > to)
            record -= count;
    RebuildRowOf();
    TableChanged();
    if (m_removeByReset) {
        m_removeByReset = false;
        endResetModel();
    }
}

void CollectionViewProxy::SourceAboutToBeReset() {
    beginResetModel();
}

void CollectionViewProxy::SourceReset() {
    // Another table (a load, a new collection, a new order): it shows in its own order; a
    // query typed in the find bar still applies.
    m_records = static_cast<std::size_t>(std::max(sourceModel()->rowCount() - 1, 0));
    const bool wasSorted = m_sortColumn >= 0;
    m_sortColumn = -1;
    m_sortOrder = Qt::AscendingOrder;
    m_sorted = {};
    TableChanged();
    Rebuild(false);
    endResetModel();
    if (wasSorted)
        emit SortChanged(m_sortColumn, m_sortOrder);
}

} // namespace lh
