#include "StepSequence.h"

namespace lh {

StepSequence::StepSequence(std::string name, std::vector<std::unique_ptr<EditStep>> steps)
    : EditStep(std::move(name)), m_steps(std::move(steps)) {}

void StepSequence::Undo(TableStore& table) {
    // Later steps were made on the records as the earlier ones left them.
    for (auto it = m_steps.rbegin(); it != m_steps.rend(); ++it)
        (*it)->Undo(table);
}

void StepSequence::Redo(TableStore& table) {
    for (const auto& step : m_steps)
        step->Redo(table);
}

TableStore::Row StepSequence::RecordCountChange() const noexcept {
    TableStore::Row change = 0;
    for (const auto& step : m_steps)
        change += step->RecordCountChange();
    return change;
}

TableStore::Row StepSequence::Where() const noexcept {
    return m_steps.empty() ? -1 : m_steps.front()->Where();
}

std::size_t StepSequence::MemoryUsage() const noexcept {
    std::size_t total = sizeof(*this) + Name().capacity() + m_steps.capacity() * sizeof(m_steps[0]);
    for (const auto& step : m_steps)
        total += step->MemoryUsage();
    return total;
}

} // namespace lh
