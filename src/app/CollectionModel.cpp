#include "CollectionModel.h"

#include "RefusedCharacter.h"
#include "core/ColumnHeadings.h"
#include "core/RecordCommands.h"
#include "util/Codec.h"

#include <QAbstractProxyModel>
#include <climits>

namespace lh {

CollectionModel::CollectionModel(Document& document, QObject* parent)
    : QAbstractTableModel(parent), m_document(document), m_store(document.Table()),
      m_rows(StoreRows()) {
    m_store.AddObserver(this);
}

CollectionModel::~CollectionModel() {
    m_store.RemoveObserver(this);
}

int CollectionModel::StoreRows() const {
    // Item views count rows in int; a table beyond that is far past anything a file can hold.
    const TableStore::Row rows = m_store.RecordCount() + 1;
    return rows > INT_MAX ? INT_MAX : static_cast<int>(rows);
}

int CollectionModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int CollectionModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : TableStore::kFieldCount;
}

QModelIndex CollectionModel::SourceIndex(const QModelIndex& index) const {
    QModelIndex at = index;
    while (at.isValid() && at.model() != this) {
        const auto* proxy = qobject_cast<const QAbstractProxyModel*>(at.model());
        if (!proxy)
            return {};
        at = proxy->mapToSource(at);
    }
    return at;
}

TableStore::Row CollectionModel::RecordAt(const QModelIndex& index) const {
    const QModelIndex at = SourceIndex(index);
    return at.isValid() ? at.row() : -1;
}

int CollectionModel::FieldAt(const QModelIndex& index) const {
    const QModelIndex at = SourceIndex(index);
    return at.isValid() ? at.column() : -1;
}

QModelIndex CollectionModel::IndexOf(TableStore::Row record, int field) const {
    if (record < 0 || record >= m_rows)
        return {};
    return index(static_cast<int>(record), field);
}

QVariant CollectionModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return ToDisplay(m_store.Text(index.row(), index.column())); // empty in the entry row
}

QVariant CollectionModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount())
            return {};
        if (role == Qt::DisplayRole)
            return ToDisplay(FieldHeading(section));
        return {};
    }
    if (section < 0 || section >= m_rows)
        return {};
    if (role == Qt::DisplayRole) // the number belongs to the position
        return QString::number(static_cast<qint64>(section) + 1);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

Qt::ItemFlags CollectionModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

std::optional<std::string> CollectionModel::BytesFor(const QModelIndex& index,
                                                     const QString& text) {
    const std::string_view current = m_store.Text(index.row(), index.column());
    // A text that reads as the cell does keeps the cell's bytes, even undecodable ones.
    if (text == ToDisplay(current))
        return std::string(current);
    std::optional<std::string> bytes = ToCell(text);
    if (!bytes)
        emit TextRefused(FirstUnencodableCharacter(text).value_or(U'\uFFFD'));
    return bytes;
}

bool CollectionModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if ((role != Qt::EditRole && role != kCheckTextRole) ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    const std::optional<std::string> bytes = BytesFor(index, value.toString());
    if (!bytes)
        return false;
    if (role == Qt::EditRole)
        CommitCellText(m_document, index.row(), index.column(), *bytes);
    return true;
}

QString CollectionModel::ToDisplay(std::string_view cellBytes) {
    if (cellBytes.empty())
        return QString();
    return QString::fromStdString(SjisToUtf8Lossy(cellBytes));
}

std::optional<std::string> CollectionModel::ToCell(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToSjis(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

void CollectionModel::BeginReset() {
    beginResetModel();
}

void CollectionModel::EndReset() {
    m_rows = StoreRows();
    endResetModel();
}

void CollectionModel::RecordsAboutToBeInserted(TableStore::Row first, TableStore::Row count) {
    if (first == EntryRow()) {
        m_appending = true;
        return;
    }
    beginInsertRows(QModelIndex(), static_cast<int>(first), static_cast<int>(first + count - 1));
}

void CollectionModel::RecordsInserted(TableStore::Row first, TableStore::Row /*count*/) {
    if (m_appending) {
        m_appending = false;
        // The entry row's position now shows the first new record; the rest, and the entry
        // row, are new rows behind it.
        const int last = m_rows - 1;
        emit dataChanged(index(static_cast<int>(first), 0), index(last, columnCount() - 1),
                         {Qt::DisplayRole, Qt::EditRole});
        const int added = StoreRows() - m_rows;
        if (added <= 0)
            return;
        beginInsertRows(QModelIndex(), m_rows, m_rows + added - 1);
        m_rows = StoreRows();
        endInsertRows();
        return;
    }
    m_rows = StoreRows();
    endInsertRows();
}

void CollectionModel::RecordsAboutToBeRemoved(TableStore::Row first, TableStore::Row count) {
    beginRemoveRows(QModelIndex(), static_cast<int>(first), static_cast<int>(first + count - 1));
}

void CollectionModel::RecordsRemoved(TableStore::Row /*first*/, TableStore::Row /*count*/) {
    m_rows = StoreRows();
    endRemoveRows();
}

void CollectionModel::RecordsChanged(TableStore::Row first, TableStore::Row last) {
    // Whole rows: the view then leaves an open editor's text alone (it only reloads an editor
    // for a change of exactly its own cell), which keeps the text the editor started with.
    emit dataChanged(index(static_cast<int>(first), 0),
                     index(static_cast<int>(last), columnCount() - 1),
                     {Qt::DisplayRole, Qt::EditRole});
}

} // namespace lh
