#include "RecordsRemovedStep.h"

namespace lh {

RecordsRemovedStep::RecordsRemovedStep(std::string name, TableStore::Row first,
                                       TableStore::Detached removed)
    : EditStep(std::move(name)), m_first(first), m_count(removed.Count()),
      m_removed(std::move(removed)) {}

void RecordsRemovedStep::Undo(TableStore& table) {
    table.PutRecords(m_first, std::move(m_removed));
}

void RecordsRemovedStep::Redo(TableStore& table) {
    m_removed = table.TakeRecords(m_first, m_count);
}

std::size_t RecordsRemovedStep::MemoryUsage() const noexcept {
    return sizeof(*this) + m_removed.MemoryUsage();
}

} // namespace lh
