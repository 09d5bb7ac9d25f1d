#include "CollectionDelegate.h"

#include "CollectionModel.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <algorithm>

namespace lh {

namespace {
// Set once the editor holds the cell's text, so later model updates do not reload it.
constexpr const char* kLoadedProperty = "linkhiveLoaded";
// The last text the model accepted, which a refused change goes back to.
constexpr const char* kAcceptedProperty = "linkhiveAccepted";
// Set by the user's first accepted change. Kept apart from QLineEdit::isModified, which going
// back to the accepted text clears.
constexpr const char* kChangedProperty = "linkhiveChanged";

void TakeBackRefusedChange(QLineEdit* editor, const QString& typed) {
    const QString accepted = editor->property(kAcceptedProperty).toString();
    // The caret stays where it was before the refused characters went in.
    const qsizetype added = std::max<qsizetype>(0, typed.size() - accepted.size());
    const qsizetype cursor =
        std::clamp<qsizetype>(editor->cursorPosition() - added, 0, accepted.size());
    editor->setText(accepted);
    editor->setCursorPosition(static_cast<int>(cursor));
}
} // namespace

QWidget* CollectionDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                          const QModelIndex& index) const {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    const QPersistentModelIndex where(index);
    connect(editor, &QLineEdit::textEdited, editor, [where, editor](const QString& text) {
        if (!where.isValid())
            return;
        // The model answers through the models stacked on it; it tells the user of a refusal.
        auto* model = const_cast<QAbstractItemModel*>(where.model());
        if (!model->setData(where, text, CollectionModel::kCheckTextRole)) {
            TakeBackRefusedChange(editor, text);
            return;
        }
        editor->setProperty(kAcceptedProperty, text);
        editor->setProperty(kChangedProperty, true);
    });
    return editor;
}

void CollectionDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line || line->property(kLoadedProperty).toBool())
        return;
    line->setProperty(kLoadedProperty, true);
    const QString text = index.data(Qt::EditRole).toString();
    line->setProperty(kAcceptedProperty, text);
    line->setText(text);
}

void CollectionDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                      const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line || !line->property(kChangedProperty).toBool())
        return;
    // Once per editor: the view may ask again while the editor closes.
    line->setProperty(kChangedProperty, false);
    model->setData(index, line->text(), Qt::EditRole);
}

bool CollectionDelegate::eventFilter(QObject* object, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        if (auto* editor = qobject_cast<QWidget*>(object)) {
            // Nothing is committed later either: setModelData only stores a changed text, and
            // the view forgets the editor as it closes.
            editor->setProperty(kChangedProperty, false);
            emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace lh
