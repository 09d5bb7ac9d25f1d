#pragma once

// Records that came into the table as a block: an inserted empty record, a record typed into
// the entry row, or everything a scan, an import, a paste or a drop appended. Undo takes them
// out and keeps them as they were, so redo puts the very records back: the step itself holds
// no copy of their texts.

#include "EditStep.h"

namespace lh {

class RecordsAddedStep final : public EditStep {
public:
    // The records first..first+count-1 were just added.
    RecordsAddedStep(std::string name, TableStore::Row first, TableStore::Row count);

    void Undo(TableStore& table) override;
    void Redo(TableStore& table) override;
    TableStore::Row RecordCountChange() const noexcept override { return m_count; }
    TableStore::Row Where() const noexcept override { return m_first; }
    std::size_t MemoryUsage() const noexcept override;

private:
    TableStore::Row m_first;
    TableStore::Row m_count;
    // The records while the step is undone.
    TableStore::Detached m_taken;
};

} // namespace lh
