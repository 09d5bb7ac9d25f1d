#include "ScatteredRecordsRemovedStep.h"

#include <utility>

namespace lh {

ScatteredRecordsRemovedStep::ScatteredRecordsRemovedStep(std::string name,
                                                         std::vector<std::size_t> places,
                                                         TableStore::Detached removed)
    : EditStep(std::move(name)), m_places(std::move(places)), m_removed(std::move(removed)) {}

void ScatteredRecordsRemovedStep::Undo(TableStore& table) {
    table.PutRecordsAt(m_places, std::move(m_removed));
}

void ScatteredRecordsRemovedStep::Redo(TableStore& table) {
    m_removed = table.TakeRecordsAt(m_places);
}

TableStore::Row ScatteredRecordsRemovedStep::Where() const noexcept {
    return m_places.empty() ? -1 : static_cast<TableStore::Row>(m_places.front());
}

std::size_t ScatteredRecordsRemovedStep::MemoryUsage() const noexcept {
    return sizeof(*this) + m_places.capacity() * sizeof(std::size_t) + Name().capacity() +
           m_removed.MemoryUsage();
}

} // namespace lh
