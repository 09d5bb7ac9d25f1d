#include "EditHistory.h"

#include "StepSequence.h"

#include <algorithm>
#include <utility>

namespace lh {

EditHistory::EditHistory(std::size_t limit) : m_limit(std::max<std::size_t>(1, limit)) {}

EditHistory::~EditHistory() = default;
EditHistory::EditHistory(EditHistory&&) noexcept = default;
EditHistory& EditHistory::operator=(EditHistory&&) noexcept = default;

void EditHistory::Add(std::unique_ptr<EditStep> step, const TableStore& table) {
    if (!step)
        return;
    if (m_groupDepth > 0) {
        m_group.push_back(std::move(step));
        return;
    }
    Append(Entry{std::move(step), table.RecordCount()});
}

void EditHistory::BeginGroup(std::string name) {
    if (m_groupDepth++ == 0) {
        m_groupName = std::move(name);
        m_group.clear();
    }
}

void EditHistory::EndGroup(const TableStore& table) {
    if (m_groupDepth == 0 || --m_groupDepth > 0)
        return;
    if (m_group.empty())
        return;
    std::vector<std::unique_ptr<EditStep>> steps;
    steps.swap(m_group);
    Append(Entry{std::make_unique<StepSequence>(std::move(m_groupName), std::move(steps)),
                 table.RecordCount()});
}

void EditHistory::Append(Entry entry) {
    // What was undone is gone for good; so is the clean state when it lay among it.
    if (m_clean != kNoCleanState && m_clean > m_done)
        m_clean = kNoCleanState;
    m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_done), m_steps.end());
    m_steps.push_back(std::move(entry));
    m_done = m_steps.size();
    if (m_steps.size() > m_limit) {
        const std::size_t dropped = m_steps.size() - m_limit;
        m_steps.erase(m_steps.begin(), m_steps.begin() + static_cast<std::ptrdiff_t>(dropped));
        m_done -= dropped;
        if (m_clean != kNoCleanState)
            m_clean = m_clean < dropped ? kNoCleanState : m_clean - dropped;
    }
}

std::string EditHistory::UndoName() const {
    return CanUndo() ? m_steps[m_done - 1].step->Name() : std::string();
}

std::string EditHistory::RedoName() const {
    return CanRedo() ? m_steps[m_done].step->Name() : std::string();
}

bool EditHistory::Undo(TableStore& table, TableStore::Row* where) {
    if (!CanUndo() || m_groupDepth > 0)
        return false;
    Entry& entry = m_steps[m_done - 1];
    if (table.RecordCount() != entry.recordsWhenDone) {
        Forget();
        return false;
    }
    entry.step->Undo(table);
    --m_done;
    if (where)
        *where = entry.step->Where();
    return true;
}

bool EditHistory::Redo(TableStore& table, TableStore::Row* where) {
    if (!CanRedo() || m_groupDepth > 0)
        return false;
    Entry& entry = m_steps[m_done];
    if (table.RecordCount() != entry.recordsWhenDone - entry.step->RecordCountChange()) {
        Forget();
        return false;
    }
    entry.step->Redo(table);
    ++m_done;
    if (where)
        *where = entry.step->Where();
    return true;
}

void EditHistory::Clear() {
    m_steps.clear();
    m_done = 0;
    m_clean = 0;
    m_group.clear();
    m_groupDepth = 0;
}

void EditHistory::Forget() {
    const bool clean = IsClean();
    Clear();
    if (!clean)
        m_clean = kNoCleanState;
}

std::size_t EditHistory::MemoryUsage() const noexcept {
    std::size_t total = m_steps.capacity() * sizeof(Entry);
    for (const Entry& entry : m_steps)
        total += entry.step->MemoryUsage();
    return total;
}

} // namespace lh
