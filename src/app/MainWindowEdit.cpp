#include "CollectionGrid.h"
#include "MainWindow.h"

namespace lh {

void MainWindow::DeleteRecord() {
    m_collectionGrid->DeleteRecord();
}

void MainWindow::InsertRecord() {
    m_collectionGrid->InsertRecord();
}

} // namespace lh
