#include "RecordsReorderedStep.h"

#include <utility>

namespace lh {

RecordsReorderedStep::RecordsReorderedStep(std::string name, std::vector<std::size_t> order)
    : EditStep(std::move(name)), m_order(std::move(order)) {}

void RecordsReorderedStep::Undo(TableStore& table) {
    std::vector<std::size_t> back(m_order.size());
    for (std::size_t i = 0; i < m_order.size(); ++i)
        back[m_order[i]] = i;
    table.ReorderRecords(back);
}

void RecordsReorderedStep::Redo(TableStore& table) {
    table.ReorderRecords(m_order);
}

std::size_t RecordsReorderedStep::MemoryUsage() const noexcept {
    return sizeof(*this) + m_order.capacity() * sizeof(std::size_t);
}

} // namespace lh
