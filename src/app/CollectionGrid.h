#pragma once

// The collection grid and its editing: the view, the model over the document, the in-place
// editor, the current cell and the text of the position panel, and the record commands that
// act on the current row. The window places the view and wires the rest.

#include "core/Document.h"
#include "core/TableStore.h"
#include "core/UserInterface.h"

#include <QModelIndex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

class QAbstractProxyModel;
class QWidget;

namespace lh {

class CollectionDelegate;
class CollectionModel;
class CollectionView;
class CollectionViewProxy;

class CollectionGrid final : public QObject {
    Q_OBJECT
public:
    // The view is made a child of `viewParent`; refusals of typed text go to `messages`.
    CollectionGrid(Document& document, MessageBoxService& messages, QWidget* viewParent,
                   QObject* parent = nullptr);
    // The view goes first: it must not outlive the model it shows.
    ~CollectionGrid() override;

    CollectionView* View() const noexcept;
    CollectionModel* Model() const noexcept { return m_model; }
    // The view's sort and find filter, always between the model and the view.
    CollectionViewProxy* ViewOrder() const noexcept { return m_viewOrder; }
    // Shows the view order through `proxy` as well, or directly for none. The grid does not own
    // the proxy, which must stay until another one (or none) takes its place.
    void ShowThrough(QAbstractProxyModel* proxy);

    // The record of the current cell (RecordCount() for the entry row, -1 for none) and its
    // field (-1 for none).
    TableStore::Row CurrentRecord() const;
    int CurrentField() const;
    // Makes a record's field the current cell and scrolls it into view; the record
    // RecordCount() is the entry row.
    void SetCurrentCell(TableStore::Row record, int field);

    // The view's index of a record's field, through the proxy models between view and model;
    // invalid for a record the view does not show.
    QModelIndex ViewIndexOf(TableStore::Row record, int field) const;

    // Stores the open editor's text and closes it, so commands see every typed character.
    void FinishEditing();

    // The record commands on the current row; the current cell stays in its row. With several
    // whole rows selected, delete takes all their records as one step.
    void DeleteRecord();
    void InsertRecord();
    // The Delete key outside the cell editor: empties the selected cells (else the current
    // one) as one undoable step.
    void ClearSelectedCells();

    // The selected cells (else the current one) as tab-separated text: the rows in view order,
    // the columns from the leftmost to the rightmost selected, a cell not selected empty. The
    // entry row gives nothing.
    QString SelectedCellsText() const;
    // Pasted text becomes records after the last one (one undo step) while the entry row is
    // current. Elsewhere, or with text code page 932 cannot hold, the user is told why and
    // nothing changes. True when records were added.
    bool PasteText(const QString& text);

    // A new or loaded table: the first cell becomes current without a word in the position
    // panel until the user has chosen a cell once, and the top left comes into view.
    void ShowFirstCell();
    // After records were appended: the entry row becomes current in the current column, and
    // the end of the table comes into view.
    void ShowEntryRow();

signals:
    // Text of the position panel: grid row and column (counted with the heading row and the
    // number column), each right-aligned in five places.
    void PositionChanged(const QString& text);

private:
    // Records of the rows selected whole, in collection order, without the entry row.
    std::vector<TableStore::Row> SelectedRecords() const;
    void CurrentCellChanged(const QModelIndex& current);
    void RefreshPosition();
    void ShowPosition(const QModelIndex& viewIndex);
    void ShowRefusal(char32_t character);
    // A heading's click asked for another sort (column -1: collection order).
    void SortBy(int column, Qt::SortOrder order);
    void ShowSortIndicator(int column, Qt::SortOrder order);

    Document& m_document;
    MessageBoxService& m_messages;
    void FollowCurrentCell();

    CollectionModel* m_model = nullptr;
    CollectionViewProxy* m_viewOrder = nullptr;
    QPointer<CollectionView> m_view;
    CollectionDelegate* m_delegate = nullptr;
    bool m_selectedOnce = false;
};

} // namespace lh
