#pragma once

// In-place editor of the collection grid. While the user types it asks the model whether the
// cell would take the text (a refused change is undone in the editor at once, so nothing typed
// before it is lost); when the editor closes after a change it commits the text with one
// setData. An editor opened and closed without a change commits nothing.

#include <QStyledItemDelegate>

namespace lh {

class CollectionDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

protected:
    // Esc closes the editor without storing anything: the cell keeps its old text and nothing
    // is recorded or marked.
    bool eventFilter(QObject* object, QEvent* event) override;
};

} // namespace lh
