#include "CollectionView.h"
#include "MainWindow.h"

namespace lh {

void MainWindow::ImportFromFile() {
    // The row being typed into is stored first: the records go in behind it.
    m_grid->FinishEditing();
    m_exchange->ImportWithDialog();
}

void MainWindow::ExportToFile() {
    m_grid->FinishEditing();
    m_exchange->ExportWithDialog();
}

} // namespace lh
