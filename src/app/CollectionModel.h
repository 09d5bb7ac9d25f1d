#pragma once

// The collection table as an item model: a view of the one TableStore, never a copy of it.
// Model rows are grid rows 1..RowCount-1 (the records and the entry row), model columns the
// grid columns 1..4; the heading row and the number column are the view's headers.

#include "core/TableStore.h"

#include <QAbstractTableModel>
#include <optional>
#include <string>
#include <string_view>

namespace lh {

class CollectionModel final : public QAbstractTableModel, private TableStore::Observer {
    Q_OBJECT
public:
    explicit CollectionModel(TableStore& store, QObject* parent = nullptr);
    ~CollectionModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Stores the text when code page 932 can hold it; false (and nothing changed) otherwise.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Grid coordinates of a model index.
    static TableStore::Row GridRow(const QModelIndex& index) { return index.row() + 1; }
    static int GridColumn(const QModelIndex& index) { return index.column() + 1; }
    QModelIndex IndexAt(TableStore::Row gridRow, int gridColumn) const;

    // cp932 cell bytes for display; undecodable bytes show as U+FFFD.
    static QString ToDisplay(std::string_view cellBytes);
    // Display text back to cp932; empty when some character has no cp932 form.
    static std::optional<std::string> ToCell(const QString& text);

private:
    void BeginReset() override;
    void EndReset() override;
    void RowsAboutToBeInserted(TableStore::Row first, TableStore::Row count) override;
    void RowsInserted(TableStore::Row first, TableStore::Row count) override;
    void RowsAboutToBeRemoved(TableStore::Row first, TableStore::Row count) override;
    void RowsRemoved(TableStore::Row first, TableStore::Row count) override;
    void CellsChanged(TableStore::Row firstRow, TableStore::Row lastRow) override;

    int StoreRows() const;

    TableStore& m_store;
    // The row count views were last told about; it moves only between begin/end notifications.
    int m_rows = 0;
};

} // namespace lh
