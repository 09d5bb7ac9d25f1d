#pragma once

// Records deleted as a block. The step keeps the records themselves, taken out of the table,
// and undo puts them back where they were.

#include "EditStep.h"

namespace lh {

class RecordsRemovedStep final : public EditStep {
public:
    // `removed` were just taken out of the table at `first`.
    RecordsRemovedStep(std::string name, TableStore::Row first, TableStore::Detached removed);

    void Undo(TableStore& table) override;
    void Redo(TableStore& table) override;
    TableStore::Row RecordCountChange() const noexcept override { return -m_count; }
    TableStore::Row Where() const noexcept override { return m_first; }
    std::size_t MemoryUsage() const noexcept override;

private:
    TableStore::Row m_first;
    TableStore::Row m_count;
    // The records while the step is done.
    TableStore::Detached m_removed;
};

} // namespace lh
