#include "CollectionDelegate.h"

#include <QLineEdit>

namespace lh {

namespace {
// Set once the editor holds the cell's text, so later model updates do not reload it.
constexpr const char* kLoadedProperty = "linkhiveLoaded";
} // namespace

QWidget* CollectionDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                          const QModelIndex& index) const {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    const QPersistentModelIndex where(index);
    // Qt hands the delegate out as const while it creates editors; the signal is ours to send.
    auto* self = const_cast<CollectionDelegate*>(this);
    connect(editor, &QLineEdit::textEdited, self, [self, where, editor](const QString& text) {
        if (where.isValid())
            emit self->EditTextChanged(where, text, editor, false);
    });
    return editor;
}

void CollectionDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line || line->property(kLoadedProperty).toBool())
        return;
    line->setProperty(kLoadedProperty, true);
    const QString text = index.data(Qt::EditRole).toString();
    emit const_cast<CollectionDelegate*>(this)->EditTextLoaded(index, text);
    line->setText(text);
}

void CollectionDelegate::setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                                      const QModelIndex& index) const {
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        emit const_cast<CollectionDelegate*>(this)->EditTextChanged(index, line->text(), line,
                                                                    true);
}

} // namespace lh
