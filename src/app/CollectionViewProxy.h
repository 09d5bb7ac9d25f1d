#pragma once

// The order and the selection of records the grid shows: sorted by a column, filtered by the
// find bar's query, or the collection as it is. The row order comes from the core's whole-table
// routines (SortedRecordOrder, MatchingRecords), never from per-row comparisons, so a million
// records sort and filter at once. The entry row is always the last row and always shown; the
// row headers keep each record's position in the collection.
//
// The view is a snapshot: a record edited after a sort or a find stays where it is shown, and
// records appended (typed into the entry row, scanned, imported) show at the end, until the next
// sort or query. Nothing here changes the document.

#include "core/RecordCells.h"
#include "core/RecordFinder.h"
#include "core/TableStore.h"

#include <QAbstractProxyModel>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace lh {

class CollectionViewProxy final : public QAbstractProxyModel {
    Q_OBJECT
public:
    // `store` is the table the source model shows.
    explicit CollectionViewProxy(const TableStore& store, QObject* parent = nullptr);

    // The source must be the CollectionModel over `store`.
    void setSourceModel(QAbstractItemModel* source) override;

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;

    // Sorts by a field (TableStore::Field), stable; a column below 0 shows collection order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int SortColumn() const noexcept { return m_sortColumn; }
    Qt::SortOrder SortOrder() const noexcept { return m_sortOrder; }

    // The find bar's query (code page 932) over the chosen columns. With `onlyMatches` the view
    // shows the matching records alone; without, it shows all and the matches are only counted
    // and stepped through. An empty query finds nothing and hides nothing; no query (a text code
    // page 932 cannot hold, so no record can) finds nothing and, filtered, hides every record.
    void SetQuery(const std::optional<std::string>& query, FindColumns columns, bool onlyMatches);
    bool IsFiltered() const noexcept {
        return m_onlyMatches && (m_findsNothing || !m_query.empty());
    }
    // Matching records in the view, and all records.
    std::size_t MatchCount() const;
    std::size_t RecordCount() const noexcept { return m_records; }
    // The view row of the next match after `row` (Forward) or before it (Backward), going round;
    // -1 when nothing matches.
    int NextMatchRow(int row, FindDirection direction) const;

    // Every record in the order the view's sort shows them, for making it the collection's
    // order; empty when the view shows collection order. A filter hides nothing here: records
    // it hides take their place in the sorted order.
    std::vector<std::size_t> SortedCollectionOrder() const;

signals:
    // The sort changed, also when a new table put the view back in collection order (column -1).
    void SortChanged(int column, Qt::SortOrder order);

private:
    RecordCells Cells() const;
    bool Identity() const noexcept { return m_identity; }
    int EntryRow() const noexcept;
    // The record shown at a view row; m_records for the entry row.
    std::size_t RecordOfRow(int row) const;
    int RowOfRecord(std::size_t record) const;
    // The records in the sort's order, computed again when the table changed since.
    const std::vector<std::size_t>& SortedOrder() const;
    // Works out the rows from the sort and the query; `narrowing` may look only at the rows
    // shown now.
    void Rebuild(bool narrowing);
    void RebuildRowOf();
    void TableChanged();

    void SourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles);
    void SourceRowsAboutToBeInserted(const QModelIndex& parent, int first, int last);
    void SourceRowsInserted(const QModelIndex& parent, int first, int last);
    void SourceRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
    void SourceRowsRemoved(const QModelIndex& parent, int first, int last);
    void SourceAboutToBeReset();
    void SourceReset();

    const TableStore& m_store;
    // Records the view knows of; the source's entry row is this index.
    std::size_t m_records = 0;
    // No sort and no filter: view rows are source rows.
    bool m_identity = true;
    // Otherwise the record of each view row but the entry row, and its inverse (-1: hidden).
    std::vector<std::size_t> m_shown;
    std::vector<int> m_rowOf;

    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    mutable std::vector<std::size_t> m_sorted;
    mutable bool m_sortedValid = false;

    std::string m_query;
    bool m_findsNothing = false;
    FindColumns m_columns;
    bool m_onlyMatches = true;
    // The view rows that match, in order; worked out when first asked after a change.
    mutable std::vector<int> m_matchRows;
    mutable bool m_matchesValid = false;
    // The table changed since the rows were last worked out: a longer query must look again at
    // every record, not only at those shown.
    bool m_changedSinceRebuild = false;

    // An insertion in progress: where the new rows go in the view.
    int m_insertAt = -1;
    bool m_insertAppends = false;
    bool m_removeByReset = false;
};

} // namespace lh
