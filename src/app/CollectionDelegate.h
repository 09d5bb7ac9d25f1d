#pragma once

// In-place editor of the collection grid. It reports the editor's text when the editor is
// loaded, at every change the user makes (keystroke, deletion, paste) and when it closes; the
// window decides what the cell keeps. It never writes to the model itself.

#include <QLineEdit>
#include <QPersistentModelIndex>
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

signals:
    void EditTextLoaded(const QModelIndex& index, const QString& text);
    // `closing` is true for the final report when the editor closes.
    void EditTextChanged(const QModelIndex& index, const QString& text, QLineEdit* editor,
                         bool closing);
};

} // namespace lh
