#include "CollectionModel.h"
#include "CollectionView.h"
#include "MainWindow.h"

#include <QAction>

namespace lh {

void MainWindow::ConnectScanCommands() {
    if (QAction* item = Item("EditFileURLItem"))
        connect(item, &QAction::triggered, this, &MainWindow::EditFileURLItemClick);
    if (QAction* item = Item("EditFileEMItem"))
        connect(item, &QAction::triggered, this, &MainWindow::EditFileEMItemClick);
}

void MainWindow::EditFileURLItemClick() {
    // An open editor's text is stored first: a scan appends behind the row being typed into.
    m_grid->FinishEditing();
    m_scans->EditFileURLItemClick();
}

void MainWindow::EditFileEMItemClick() {
    m_grid->FinishEditing();
    m_scans->EditFileEMItemClick();
}

void MainWindow::FinishScan() {
    TableStore& table = m_doc.Table();
    const TableStore::Row entry = table.EntryRow();
    for (int column = 1; column < TableStore::kColumnCount; ++column)
        if (!table.CellView(entry, column).empty())
            table.SetCell(entry, column, {});

    const QModelIndex current = m_grid->currentIndex();
    const int column = current.isValid() ? CollectionModel::GridColumn(current) : 1;
    const QModelIndex target = m_model->IndexAt(entry, column);
    m_grid->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    m_grid->ScrollEndIntoView();
    m_grid->viewport()->repaint();
}

} // namespace lh
