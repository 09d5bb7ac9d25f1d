#pragma once

// Records deleted wherever they stood, adjacent or not (the rows selected in a sorted or
// filtered view). The step keeps the records themselves and their rows; undo puts each back at
// its row, in one pass over the table however many there are.

#include "EditStep.h"

#include <vector>

namespace lh {

class RecordsRemovedAtStep final : public EditStep {
public:
    // `removed` were just taken out of the table at `rows` (ascending) by TakeRecordsAt.
    RecordsRemovedAtStep(std::string name, std::vector<TableStore::Row> rows,
                         TableStore::Detached removed);

    void Undo(TableStore& table) override;
    void Redo(TableStore& table) override;
    TableStore::Row RecordCountChange() const noexcept override {
        return -static_cast<TableStore::Row>(m_rows.size());
    }
    TableStore::Row Where() const noexcept override { return m_rows.empty() ? -1 : m_rows[0]; }
    std::size_t MemoryUsage() const noexcept override;

private:
    std::vector<TableStore::Row> m_rows;
    // The records while the step is done.
    TableStore::Detached m_removed;
};

} // namespace lh
