#pragma once

// The collection as an item model: a view of the document's records, never a copy of them.
// Model rows are the records, then the entry row (always empty: text committed there becomes a
// new record); model columns are the record's texts (TableStore::Field). Headings and record
// numbers are the model's header data.
//
// Every edit goes through setData, which holds the rules of the cell texts: what code page 932
// cannot hold is refused (TextRefused names the character), and a text that reads as the cell
// already does keeps the cell's bytes, even where they do not decode cleanly.

#include "core/Document.h"
#include "core/TableStore.h"

#include <QAbstractTableModel>
#include <optional>
#include <string>
#include <string_view>

namespace lh {

class CollectionModel final : public QAbstractTableModel, private TableStore::Observer {
    Q_OBJECT
public:
    // setData with this role stores nothing: it only says whether the cell would take the text,
    // refusing it the way an edit is refused. Editors ask it while the user types.
    static constexpr int kCheckTextRole = Qt::UserRole + 1;

    explicit CollectionModel(Document& document, QObject* parent = nullptr);
    ~CollectionModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The user's edit of a cell: stored when code page 932 can hold it, and the document is
    // marked; in the entry row a non-empty text becomes a new record. False (nothing changed)
    // for a refused text.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The one way from an index to the document: `index` may belong to this model or to proxy
    // models stacked on it. The record under it (RecordCount() for the entry row, -1 for none)
    // and its field (-1 for none).
    TableStore::Row RecordAt(const QModelIndex& index) const;
    int FieldAt(const QModelIndex& index) const;
    // This model's index under an index of this model or of a proxy stacked on it.
    QModelIndex SourceIndex(const QModelIndex& index) const;
    // The index of a record's field; the record RecordCount() is the entry row.
    QModelIndex IndexOf(TableStore::Row record, int field) const;
    int EntryRow() const noexcept { return m_rows - 1; }

    // cp932 cell bytes for display; undecodable bytes show as U+FFFD.
    static QString ToDisplay(std::string_view cellBytes);
    // Display text back to cp932; empty when some character has no cp932 form.
    static std::optional<std::string> ToCell(const QString& text);

signals:
    // An edit was refused because code page 932 has no form for `character`.
    void TextRefused(char32_t character);

private:
    void BeginReset() override;
    void EndReset() override;
    void RecordsAboutToBeInserted(TableStore::Row first, TableStore::Row count) override;
    void RecordsInserted(TableStore::Row first, TableStore::Row count) override;
    void RecordsAboutToBeRemoved(TableStore::Row first, TableStore::Row count) override;
    void RecordsRemoved(TableStore::Row first, TableStore::Row count) override;
    void RecordsChanged(TableStore::Row first, TableStore::Row last) override;

    // The cp932 bytes `text` stands for in the cell at `index`; none (and TextRefused) when code
    // page 932 cannot hold it.
    std::optional<std::string> BytesFor(const QModelIndex& index, const QString& text);
    int StoreRows() const;

    Document& m_document;
    TableStore& m_store;
    // The row count views were last told about; it moves only between begin/end notifications.
    int m_rows = 0;
    // Records appended behind the last one are announced once they are in place: the entry
    // row's position becomes the first new record and new entry rows follow it, so an index on
    // the entry row stays on the record typed there.
    bool m_appending = false;
};

} // namespace lh
