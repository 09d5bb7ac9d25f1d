#include "CollectionGrid.h"
#include "CollectionViewProxy.h"
#include "MainWindow.h"
#include "QtBusyCursor.h"
#include "core/DuplicateRemoval.h"

#include <algorithm>

namespace lh {

void MainWindow::RemoveDuplicates() {
    // A filter hides records but not their addresses: the earlier record of an address may be
    // one the view does not show, so the whole collection is looked at either way.
    const bool filtered = m_collectionGrid->ViewOrder()->IsFiltered();
    const int field = m_collectionGrid->CurrentField();
    DuplicatesRemoved removed;
    {
        BusyScope busy(m_busyCursor.get());
        removed = RemoveDuplicateRecords(m_doc);
    }
    // The grid shows where the first duplicate stood, as undo and redo of the step do.
    if (removed.first >= 0)
        m_collectionGrid->SetCurrentCell(std::min(removed.first, m_doc.Table().RecordCount()),
                                         field >= 0 ? field : TableStore::kName);
    m_messages->ShowMessageBox(DuplicatesRemovedText(removed.count, filtered), kApplicationTitle,
                               kInformationStyle);
}

} // namespace lh
