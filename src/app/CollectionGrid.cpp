#include "CollectionGrid.h"

#include "CollectionDelegate.h"
#include "CollectionModel.h"
#include "CollectionView.h"
#include "CollectionViewProxy.h"
#include "RefusedCharacter.h"
#include "core/PastedRecords.h"
#include "core/RecordCommands.h"
#include "core/TabText.h"
#include "core/TableLayout.h"

#include <QAbstractProxyModel>
#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <vector>

namespace lh {

namespace {
constexpr const char* kPasteOnlyAtEntryRowText =
    "ﾚｺｰﾄﾞの貼り付けは最後の空の行で行います。\n"
    "ｾﾙに貼り付けるときは、Enterで編集を始めてから貼り付けてください。";
} // namespace

CollectionGrid::CollectionGrid(Document& document, MessageBoxService& messages, QWidget* viewParent,
                               QObject* parent)
    : QObject(parent), m_document(document), m_messages(messages),
      m_model(new CollectionModel(document, this)),
      m_viewOrder(new CollectionViewProxy(document.Table(), this)),
      m_view(new CollectionView(viewParent)) {
    m_viewOrder->setSourceModel(m_model);
    m_view->setModel(m_viewOrder);
    // A heading's click sorts: ascending, descending, then collection order again.
    QHeaderView* headings = m_view->horizontalHeader();
    headings->setSectionsClickable(true);
    headings->setSortIndicatorShown(true);
    headings->setSortIndicatorClearable(true);
    headings->setSortIndicator(-1, Qt::AscendingOrder);
    connect(headings, &QHeaderView::sortIndicatorChanged, this, &CollectionGrid::SortBy);
    connect(m_viewOrder, &CollectionViewProxy::SortChanged, this,
            &CollectionGrid::ShowSortIndicator);
    m_delegate = new CollectionDelegate(m_view);
    m_view->setItemDelegate(m_delegate);
    connect(m_model, &CollectionModel::TextRefused, this, &CollectionGrid::ShowRefusal);
    // Only while the grid itself has the focus: in the cell editor the key deletes characters.
    auto* clearCells = new QAction(m_view);
    clearCells->setShortcut(QKeySequence::Delete);
    clearCells->setShortcutContext(Qt::WidgetShortcut);
    m_view->addAction(clearCells);
    connect(clearCells, &QAction::triggered, this, &CollectionGrid::ClearSelectedCells);
    FollowCurrentCell();
}

void CollectionGrid::FollowCurrentCell() {
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CollectionGrid::CurrentCellChanged);
    // Rows coming or going above the current cell move it without a change of current cell
    // (an undo of an import, say): the shown position follows it all the same.
    QAbstractItemModel* shown = m_view->model();
    connect(shown, &QAbstractItemModel::rowsInserted, this, &CollectionGrid::RefreshPosition,
            Qt::UniqueConnection);
    connect(shown, &QAbstractItemModel::rowsRemoved, this, &CollectionGrid::RefreshPosition,
            Qt::UniqueConnection);
    connect(shown, &QAbstractItemModel::rowsMoved, this, &CollectionGrid::RefreshPosition,
            Qt::UniqueConnection);
    connect(shown, &QAbstractItemModel::layoutChanged, this, &CollectionGrid::RefreshPosition,
            Qt::UniqueConnection);
    connect(shown, &QAbstractItemModel::modelReset, this, &CollectionGrid::RefreshPosition,
            Qt::UniqueConnection);
}

void CollectionGrid::RefreshPosition() {
    if (m_selectedOnce && m_view->currentIndex().isValid())
        ShowPosition(m_view->currentIndex());
}

void CollectionGrid::ShowThrough(QAbstractProxyModel* proxy) {
    FinishEditing();
    QAbstractItemModel* shown = m_viewOrder;
    if (proxy) {
        proxy->setSourceModel(m_viewOrder);
        shown = proxy;
    }
    // The view makes a new selection model for the new model and leaves the old one to us.
    QItemSelectionModel* old = m_view->selectionModel();
    m_view->setModel(shown);
    delete old;
    FollowCurrentCell();
}

CollectionGrid::~CollectionGrid() {
    delete m_view.data();
}

CollectionView* CollectionGrid::View() const noexcept {
    return m_view.data();
}

QModelIndex CollectionGrid::ViewIndexOf(TableStore::Row record, int field) const {
    QModelIndex at = m_model->IndexOf(record, field);
    // The proxies from the view's model down to ours, then mapped back up in turn.
    std::vector<const QAbstractProxyModel*> proxies;
    for (const QAbstractItemModel* m = m_view->model(); m && m != m_model;) {
        const auto* proxy = qobject_cast<const QAbstractProxyModel*>(m);
        if (!proxy)
            return {};
        proxies.push_back(proxy);
        m = proxy->sourceModel();
    }
    for (auto p = proxies.rbegin(); p != proxies.rend() && at.isValid(); ++p)
        at = (*p)->mapFromSource(at);
    return at;
}

TableStore::Row CollectionGrid::CurrentRecord() const {
    return m_model->RecordAt(m_view->currentIndex());
}

int CollectionGrid::CurrentField() const {
    return m_model->FieldAt(m_view->currentIndex());
}

void CollectionGrid::SetCurrentCell(TableStore::Row record, int field) {
    const QModelIndex index = ViewIndexOf(record, field);
    if (!index.isValid())
        return;
    m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_view->scrollTo(index);
}

void CollectionGrid::FinishEditing() {
    m_view->FinishEditing();
}

std::vector<TableStore::Row> CollectionGrid::SelectedRecords() const {
    std::vector<TableStore::Row> records;
    const TableStore::Row entry = m_document.Table().RecordCount();
    for (const QModelIndex& row : m_view->selectionModel()->selectedRows()) {
        const TableStore::Row record = m_model->RecordAt(row);
        if (record >= 0 && record < entry)
            records.push_back(record);
    }
    std::sort(records.begin(), records.end());
    return records;
}

void CollectionGrid::DeleteRecord() {
    FinishEditing();
    const TableStore::Row current = CurrentRecord();
    const int field = current >= 0 ? CurrentField() : TableStore::kName;
    const std::vector<TableStore::Row> selected = SelectedRecords();
    if (selected.size() > 1) {
        // The row of the topmost record deleted now holds the record that followed.
        if (DeleteRecords(m_document, selected, m_messages))
            SetCurrentCell(selected.front(), field >= 0 ? field : TableStore::kName);
        return;
    }
    if (lh::DeleteRecord(m_document, current, m_messages))
        SetCurrentCell(current, field); // the row now holds the record that followed
}

void CollectionGrid::InsertRecord() {
    FinishEditing();
    const TableStore::Row record = CurrentRecord();
    const int field = record >= 0 ? CurrentField() : TableStore::kName;
    if (lh::InsertRecord(m_document, record))
        SetCurrentCell(record, field); // the new empty record, not the one pushed down
}

void CollectionGrid::ClearSelectedCells() {
    QModelIndexList chosen = m_view->selectionModel()->selectedIndexes();
    if (chosen.isEmpty() && m_view->currentIndex().isValid())
        chosen.push_back(m_view->currentIndex());
    std::vector<CellRef> cells;
    cells.reserve(static_cast<std::size_t>(chosen.size()));
    for (const QModelIndex& index : chosen) {
        const TableStore::Row record = m_model->RecordAt(index);
        const int field = m_model->FieldAt(index);
        if (record >= 0 && field >= 0)
            cells.push_back({record, field});
    }
    // In document order, so undo shows the topmost cell.
    std::sort(cells.begin(), cells.end(), [](const CellRef& a, const CellRef& b) {
        return a.record != b.record ? a.record < b.record : a.field < b.field;
    });
    ClearCells(m_document, cells);
}

QString CollectionGrid::SelectedCellsText() const {
    QModelIndexList chosen = m_view->selectionModel()->selectedIndexes();
    if (chosen.isEmpty() && m_view->currentIndex().isValid())
        chosen.push_back(m_view->currentIndex());
    const TableStore::Row entry = m_document.Table().RecordCount();
    chosen.removeIf([&](const QModelIndex& i) { return m_model->RecordAt(i) >= entry; });
    if (chosen.isEmpty())
        return QString();
    std::sort(chosen.begin(), chosen.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.row() != b.row() ? a.row() < b.row() : a.column() < b.column();
    });
    int left = chosen.front().column();
    int right = left;
    for (const QModelIndex& i : chosen) {
        left = std::min(left, i.column());
        right = std::max(right, i.column());
    }
    std::vector<TabRow> rows;
    int lastRow = -1;
    for (const QModelIndex& i : chosen) {
        if (i.row() != lastRow) {
            rows.emplace_back(static_cast<std::size_t>(right - left + 1));
            lastRow = i.row();
        }
        rows.back()[static_cast<std::size_t>(i.column() - left)] =
            m_document.Table().Text(m_model->RecordAt(i), m_model->FieldAt(i));
    }
    // Joined in code page 932 (its double-byte characters never hold a tab, a line break or a
    // quote), then decoded once.
    return CollectionModel::ToDisplay(FormatTabText(rows));
}

bool CollectionGrid::PasteText(const QString& text) {
    FinishEditing();
    const TableStore::Row current = CurrentRecord();
    if (current >= 0 && current < m_document.Table().RecordCount()) {
        m_messages.ShowMessageBox(kPasteOnlyAtEntryRowText, std::string(), kInformationStyle);
        return false;
    }
    // Converted whole; only a refused text is searched character by character for the culprit.
    const std::optional<std::string> bytes = CollectionModel::ToCell(text);
    if (!bytes) {
        const char32_t refused = FirstUnencodableCharacter(text).value_or(U'\uFFFD');
        m_messages.ShowMessageBox(RefusedPasteCharacterText(refused), std::string(), kWarningStyle);
        return false;
    }
    if (PasteRecords(m_document, ParseTabText(*bytes)) == 0)
        return false;
    ShowEntryRow();
    return true;
}

void CollectionGrid::ShowFirstCell() {
    const QModelIndex first = ViewIndexOf(0, TableStore::kName);
    {
        const QSignalBlocker quiet(m_view->selectionModel());
        m_view->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect);
    }
    m_view->viewport()->update();
    m_view->scrollToTop();
    m_view->horizontalScrollBar()->setValue(m_view->horizontalScrollBar()->minimum());
    if (m_selectedOnce)
        ShowPosition(first);
    if (m_view->isVisible())
        m_view->setFocus();
}

void CollectionGrid::ShowEntryRow() {
    const int field = CurrentField();
    const QModelIndex target =
        ViewIndexOf(m_document.Table().RecordCount(), field >= 0 ? field : TableStore::kName);
    m_view->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    m_view->ScrollEndIntoView();
    m_view->viewport()->repaint();
}

void CollectionGrid::CurrentCellChanged(const QModelIndex& current) {
    if (!current.isValid())
        return;
    m_selectedOnce = true;
    ShowPosition(current);
}

void CollectionGrid::ShowPosition(const QModelIndex& viewIndex) {
    // The grid counts its heading row and number column too.
    const TableStore::Row row = viewIndex.isValid() ? viewIndex.row() + 1 : 0;
    const int column = viewIndex.isValid() ? viewIndex.column() + 1 : 0;
    emit PositionChanged(QString::fromStdString(CellPositionText(row, column)));
}

void CollectionGrid::SortBy(int column, Qt::SortOrder order) {
    FinishEditing();
    const TableStore::Row record = CurrentRecord();
    const int field = CurrentField();
    m_viewOrder->sort(column, order);
    // The current cell stays on its record, wherever the record now shows.
    if (m_view->currentIndex().isValid())
        m_view->scrollTo(m_view->currentIndex());
    else if (record >= 0 && field >= 0)
        SetCurrentCell(record, field);
}

void CollectionGrid::ShowSortIndicator(int column, Qt::SortOrder order) {
    QHeaderView* headings = m_view->horizontalHeader();
    if (headings->sortIndicatorSection() == column && headings->sortIndicatorOrder() == order)
        return;
    const QSignalBlocker quiet(headings);
    headings->setSortIndicator(column, order);
}

void CollectionGrid::ShowRefusal(char32_t character) {
    m_messages.ShowMessageBox(RefusedCellCharacterText(character), std::string(), kWarningStyle);
}

} // namespace lh
