#include "CollectionView.h"

#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>

namespace lh {

CollectionView::CollectionView(QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("StringGrid1"));
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ContiguousSelection); // rectangular ranges
    setTabKeyNavigation(true);
    // Typing, the edit key or a click on the current cell opens the editor; a double click is
    // the access command (it also cancels the pending click edit).
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::SelectedClicked);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // Scrolling by whole rows keeps a million rows cheap; the view follows the thumb while it is
    // dragged.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    verticalScrollBar()->setTracking(true);
    horizontalScrollBar()->setTracking(true);

    QHeaderView* columns = horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setSectionsClickable(false);
    columns->setHighlightSections(false);
    columns->setStretchLastSection(false);

    QHeaderView* rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Interactive);
    rows->setSectionsClickable(false);
    rows->setHighlightSections(false);
    rows->setDefaultAlignment(Qt::AlignCenter);
}

int CollectionView::ColumnWidth(int gridColumn) const {
    if (gridColumn == 0)
        return verticalHeader()->width();
    return columnWidth(gridColumn - 1);
}

void CollectionView::SetColumnWidth(int gridColumn, int width) {
    if (gridColumn == 0)
        verticalHeader()->setFixedWidth(width);
    else
        setColumnWidth(gridColumn - 1, width);
}

void CollectionView::SetDefaultRowHeight(int height) {
    QHeaderView* rows = verticalHeader();
    rows->setMinimumSectionSize(std::min(rows->minimumSectionSize(), height));
    rows->setDefaultSectionSize(height);
    horizontalHeader()->setFixedHeight(height);
}

void CollectionView::FinishEditing() {
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void CollectionView::ScrollEndIntoView() {
    // A long pass adds rows without returning to the event loop; the view lays them out now.
    executeDelayedItemsLayout();
    const int rows = model() ? model()->rowCount() : 0;
    if (rows == 0)
        return;
    const int height = viewport()->height();
    int used = 0;
    int fit = 0;
    for (int row = rows - 1; row >= 0; --row) {
        used += rowHeight(row);
        if (used > height)
            break;
        ++fit;
    }
    // Rows scroll whole, so the scroll value is the top row.
    verticalScrollBar()->setValue(rows - std::max(fit, 1));
}

} // namespace lh
