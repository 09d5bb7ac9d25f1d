#include "RecordsRemovedAtStep.h"

namespace lh {

RecordsRemovedAtStep::RecordsRemovedAtStep(std::string name, std::vector<TableStore::Row> rows,
                                           TableStore::Detached removed)
    : EditStep(std::move(name)), m_rows(std::move(rows)), m_removed(std::move(removed)) {}

void RecordsRemovedAtStep::Undo(TableStore& table) {
    table.PutRecordsAt(m_rows, std::move(m_removed));
}

void RecordsRemovedAtStep::Redo(TableStore& table) {
    m_removed = table.TakeRecordsAt(m_rows);
}

std::size_t RecordsRemovedAtStep::MemoryUsage() const noexcept {
    return sizeof(*this) + Name().capacity() + m_rows.capacity() * sizeof(TableStore::Row) +
           m_removed.MemoryUsage();
}

} // namespace lh
