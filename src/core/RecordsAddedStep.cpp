#include "RecordsAddedStep.h"

namespace lh {

RecordsAddedStep::RecordsAddedStep(std::string name, TableStore::Row first, TableStore::Row count)
    : EditStep(std::move(name)), m_first(first), m_count(count) {}

void RecordsAddedStep::Undo(TableStore& table) {
    m_taken = table.TakeRecords(m_first, m_count);
}

void RecordsAddedStep::Redo(TableStore& table) {
    table.PutRecords(m_first, std::move(m_taken));
}

std::size_t RecordsAddedStep::MemoryUsage() const noexcept {
    return sizeof(*this) + m_taken.MemoryUsage();
}

} // namespace lh
