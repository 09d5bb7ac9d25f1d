#include "CollectionModel.h"
#include "CollectionView.h"
#include "MainWindow.h"
#include "RefusedCharacter.h"
#include "core/RecordCommands.h"
#include "core/TableLayout.h"

#include <QLabel>
#include <QLineEdit>
#include <algorithm>

namespace lh {

void MainWindow::BeginCellEdit(int aCol, qint64 aRow, const QString& /*value*/) {
    // The cell's own bytes, not their display form: the comparison on change is exact.
    lh::BeginCellEdit(m_doc, aCol, aRow, m_doc.Table().CellView(aRow, aCol));
}

void MainWindow::CommitCellText(int aCol, qint64 aRow, const QString& value, QLineEdit* editor) {
    const std::string current(m_doc.Table().CellView(aRow, aCol));
    const QString shown = CollectionModel::ToDisplay(current);
    // Unchanged display text keeps the cell's bytes, even where they do not decode cleanly.
    std::optional<std::string> bytes =
        value == shown ? std::optional<std::string>(current) : CollectionModel::ToCell(value);
    if (!bytes) {
        if (editor) {
            const qsizetype added = std::max<qsizetype>(0, value.size() - shown.size());
            const qsizetype cursor =
                std::clamp<qsizetype>(editor->cursorPosition() - added, 0, shown.size());
            editor->setText(shown);
            editor->setCursorPosition(static_cast<int>(cursor));
        }
        const std::optional<char32_t> refused = FirstUnencodableCharacter(value);
        m_messages->ShowMessageBox(RefusedCellCharacterText(refused.value_or(U'\uFFFD')),
                                   std::string(), kWarningStyle);
        return;
    }
    lh::CommitCellText(m_doc, aCol, aRow, *bytes);
}

void MainWindow::SelectCell(int aCol, qint64 aRow) {
    m_positionPanel->setText(QString::fromStdString(CellPositionText(aRow, aCol)));
}

qint64 MainWindow::CurrentGridRow() const {
    const QModelIndex current = m_grid->currentIndex();
    return current.isValid() ? CollectionModel::GridRow(current) : 0;
}

void MainWindow::SetCurrentCell(qint64 gridRow, int gridColumn) {
    const QModelIndex index = m_model->IndexAt(gridRow, gridColumn);
    if (!index.isValid())
        return;
    m_grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_grid->scrollTo(index);
}

void MainWindow::DeleteRecord() {
    m_grid->FinishEditing();
    const qint64 row = CurrentGridRow();
    const int column = row > 0 ? CollectionModel::GridColumn(m_grid->currentIndex()) : 1;
    if (lh::DeleteRecord(m_doc, row, *m_messages))
        SetCurrentCell(row, column); // the row now holds the record that followed
}

void MainWindow::InsertRecord() {
    m_grid->FinishEditing();
    const qint64 row = CurrentGridRow();
    const int column = row > 0 ? CollectionModel::GridColumn(m_grid->currentIndex()) : 1;
    if (lh::InsertRecord(m_doc, row))
        SetCurrentCell(row, column); // the new empty record, not the one pushed down
}

} // namespace lh
