#include "CollectionModel.h"

#include "util/Codec.h"

#include <climits>

namespace lh {

CollectionModel::CollectionModel(TableStore& store, QObject* parent)
    : QAbstractTableModel(parent), m_store(store), m_rows(StoreRows()) {
    m_store.SetObserver(this);
}

CollectionModel::~CollectionModel() {
    m_store.SetObserver(nullptr);
}

int CollectionModel::StoreRows() const {
    // Item views count rows in int; a table beyond that is far past anything a file can hold.
    const TableStore::Row rows = m_store.RowCount() - 1;
    return rows > INT_MAX ? INT_MAX : static_cast<int>(rows);
}

int CollectionModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int CollectionModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : TableStore::kColumnCount - 1;
}

QModelIndex CollectionModel::IndexAt(TableStore::Row gridRow, int gridColumn) const {
    if (gridRow < 1 || gridRow > m_rows)
        return {};
    return index(static_cast<int>(gridRow - 1), gridColumn - 1);
}

QVariant CollectionModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return ToDisplay(m_store.CellView(GridRow(index), GridColumn(index)));
}

QVariant CollectionModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount())
            return {};
        if (role == Qt::DisplayRole)
            return ToDisplay(TableStore::Heading(section + 1));
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

bool CollectionModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    const std::optional<std::string> bytes = ToCell(value.toString());
    if (!bytes)
        return false;
    m_store.SetCell(GridRow(index), GridColumn(index), *bytes);
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

void CollectionModel::RowsAboutToBeInserted(TableStore::Row first, TableStore::Row count) {
    beginInsertRows(QModelIndex(), static_cast<int>(first - 1),
                    static_cast<int>(first - 1 + count - 1));
}

void CollectionModel::RowsInserted(TableStore::Row /*first*/, TableStore::Row /*count*/) {
    m_rows = StoreRows();
    endInsertRows();
}

void CollectionModel::RowsAboutToBeRemoved(TableStore::Row first, TableStore::Row count) {
    beginRemoveRows(QModelIndex(), static_cast<int>(first - 1),
                    static_cast<int>(first - 1 + count - 1));
}

void CollectionModel::RowsRemoved(TableStore::Row /*first*/, TableStore::Row /*count*/) {
    m_rows = StoreRows();
    endRemoveRows();
}

void CollectionModel::CellsChanged(TableStore::Row firstRow, TableStore::Row lastRow) {
    // Whole rows: the view then leaves an open editor's text alone (it only reloads an editor
    // for a change of exactly its own cell), which keeps the text the editor started with.
    emit dataChanged(index(static_cast<int>(firstRow - 1), 0),
                     index(static_cast<int>(lastRow - 1), columnCount() - 1),
                     {Qt::DisplayRole, Qt::EditRole});
}

} // namespace lh
