#include "CollectionView.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <algorithm>

namespace lh {

CollectionView::CollectionView(QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("collectionGrid"));
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // Rectangular ranges with Shift or a drag; Ctrl adds cells, or rows on the row headings.
    setSelectionMode(QAbstractItemView::ExtendedSelection);
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
    // A row heading selects its row; Shift extends the rows, Ctrl adds one.
    rows->setSectionsClickable(true);
    connect(rows, &QHeaderView::sectionPressed, this, [this] { m_selectingRows = true; });
    rows->setHighlightSections(false);
    rows->setDefaultAlignment(Qt::AlignCenter);
    // The toolkit's corner button draws a blank heading; the number column's heading goes there.
    m_corner = findChild<QAbstractButton*>();
    if (m_corner)
        m_corner->installEventFilter(this);
    rows->installEventFilter(this);
}

void CollectionView::setModel(QAbstractItemModel* model) {
    if (QAbstractItemModel* old = this->model())
        disconnect(old, nullptr, this, nullptr);
    QTableView::setModel(model);
    if (!model)
        return;
    connect(model, &QAbstractItemModel::rowsInserted, this, &CollectionView::FitNumberColumn);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &CollectionView::FitNumberColumn);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &CollectionView::LayOutAfterRemoval);
    connect(model, &QAbstractItemModel::modelReset, this, &CollectionView::FitNumberColumn);
    FitNumberColumn();
}

void CollectionView::LayOutAfterRemoval() {
    // Until the delayed layout runs, the scroll position may lie past the last row (an undone
    // scan takes its whole block from the end), and a paint then draws every row heading.
    const QHeaderView* rows = verticalHeader();
    if (rows->offset() > std::max(0, rows->length() - viewport()->height()))
        executeDelayedItemsLayout();
}

void CollectionView::SetCornerText(const QString& text) {
    m_cornerText = text;
    if (m_corner)
        m_corner->update();
}

bool CollectionView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_corner && event->type() == QEvent::Paint) {
        PaintCorner(m_corner);
        return true;
    }
    if (watched == verticalHeader() && event->type() == QEvent::FontChange) {
        m_numberDigits = 0; // the digits' width changed
        FitNumberColumn();
    }
    return QTableView::eventFilter(watched, event);
}

void CollectionView::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && modifiers == Qt::NoModifier && state() != QAbstractItemView::EditingState &&
        currentIndex().isValid()) {
        if (edit(currentIndex(), QAbstractItemView::EditKeyPressed, event)) {
            event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

QItemSelectionModel::SelectionFlags CollectionView::selectionCommand(const QModelIndex& index,
                                                                     const QEvent* event) const {
    QItemSelectionModel::SelectionFlags command = QTableView::selectionCommand(index, event);
    if (event) {
        // A click on a cell, or a move without Shift, goes back to choosing cells.
        const auto type = event->type();
        const bool press = type == QEvent::MouseButtonPress || type == QEvent::KeyPress;
        const bool shift =
            (type == QEvent::KeyPress || type == QEvent::MouseButtonPress ||
             type == QEvent::MouseMove) &&
            static_cast<const QInputEvent*>(event)->modifiers().testFlag(Qt::ShiftModifier);
        if (press && !shift)
            m_selectingRows = false;
    }
    if (m_selectingRows && command.testFlag(QItemSelectionModel::Select))
        command |= QItemSelectionModel::Rows;
    return command;
}

void CollectionView::ChooseRowForMenu(int row) {
    if (!model() || row < 0 || row >= model()->rowCount() ||
        selectionModel()->isRowSelected(row, QModelIndex()))
        return;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    selectionModel()->setCurrentIndex(model()->index(row, column),
                                      QItemSelectionModel::ClearAndSelect |
                                          QItemSelectionModel::Rows);
    m_selectingRows = true;
}

void CollectionView::PaintCorner(QAbstractButton* corner) {
    QStyleOptionHeader option;
    option.initFrom(corner);
    // The corner takes no clicks, yet its heading reads like the other headings, not greyed.
    option.palette = horizontalHeader()->palette();
    option.rect = corner->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.orientation = Qt::Horizontal;
    option.textAlignment = Qt::AlignCenter;
    option.text = m_cornerText;
    option.fontMetrics = horizontalHeader()->fontMetrics();
    QStyle::State state = QStyle::State_None;
    if (isEnabled())
        state |= QStyle::State_Enabled;
    option.state = state | QStyle::State_Raised | QStyle::State_Horizontal;
    QPainter painter(corner);
    painter.setFont(horizontalHeader()->font());
    corner->style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
}

int CollectionView::NumberDigits(qint64 number) {
    int digits = 1;
    for (; number >= 10; number /= 10)
        ++digits;
    return digits;
}

int CollectionView::NumberColumnWidthFor(int digits) const {
    const QHeaderView* rows = verticalHeader();
    const QFontMetrics metrics(rows->font());
    int digitWidth = 0;
    for (char d = '0'; d <= '9'; ++d)
        digitWidth = std::max(digitWidth, metrics.horizontalAdvance(QLatin1Char(d)));
    const int margin = rows->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, rows);
    // The header's margins, half a character of air on each side and the grid line.
    return digitWidth * std::max(digits, 1) + 2 * margin + metrics.averageCharWidth() + 1;
}

void CollectionView::FitNumberColumn() {
    // The largest number is the entry row's, the last row; a filtered view shows fewer rows
    // than that number.
    const int rows = model() ? model()->rowCount() : 0;
    const qint64 largest =
        rows > 0 ? std::max<qint64>(model()->headerData(rows - 1, Qt::Vertical).toLongLong(), rows)
                 : 0;
    const int digits = NumberDigits(largest);
    if (digits == m_numberDigits)
        return;
    m_numberDigits = digits;
    verticalHeader()->setFixedWidth(std::max(m_numberWidth, NumberColumnWidthFor(digits)));
}

int CollectionView::ColumnWidth(int gridColumn) const {
    if (gridColumn == 0)
        return m_numberWidth;
    return columnWidth(gridColumn - 1);
}

void CollectionView::SetColumnWidth(int gridColumn, int width) {
    if (gridColumn == 0) {
        m_numberWidth = width;
        m_numberDigits = 0;
        FitNumberColumn();
    } else
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
