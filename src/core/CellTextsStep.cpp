#include "CellTextsStep.h"

namespace lh {

CellTextsStep::CellTextsStep(std::string name, std::vector<Change> changes)
    : EditStep(std::move(name)), m_changes(std::move(changes)) {}

void CellTextsStep::Undo(TableStore& table) {
    // Backwards, so a cell changed twice ends with its first text.
    for (auto it = m_changes.rbegin(); it != m_changes.rend(); ++it)
        table.SetText(it->record, it->field, it->before);
}

void CellTextsStep::Redo(TableStore& table) {
    for (const Change& change : m_changes)
        table.SetText(change.record, change.field, change.after);
}

TableStore::Row CellTextsStep::Where() const noexcept {
    return m_changes.empty() ? -1 : m_changes.front().record;
}

std::size_t CellTextsStep::MemoryUsage() const noexcept {
    std::size_t total = sizeof(*this) + m_changes.capacity() * sizeof(Change);
    for (const Change& change : m_changes)
        total += change.before.capacity() + change.after.capacity();
    return total;
}

} // namespace lh
