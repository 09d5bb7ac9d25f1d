#pragma once

// Records removed from anywhere in the table at once (the duplicates of a collection). The step
// keeps the records themselves, taken out of the table, with the places they had, so undo puts
// each back where it was in one pass over the table.

#include "EditStep.h"

#include <cstddef>
#include <vector>

namespace lh {

class ScatteredRecordsRemovedStep final : public EditStep {
public:
    // `removed` were just taken out of the table with TakeRecordsAt(`places`).
    ScatteredRecordsRemovedStep(std::string name, std::vector<std::size_t> places,
                                TableStore::Detached removed);

    void Undo(TableStore& table) override;
    void Redo(TableStore& table) override;
    TableStore::Row RecordCountChange() const noexcept override {
        return -static_cast<TableStore::Row>(m_places.size());
    }
    // The first place a record was removed from.
    TableStore::Row Where() const noexcept override;
    std::size_t MemoryUsage() const noexcept override;

private:
    // Ascending, as the records' indexes before the removal.
    std::vector<std::size_t> m_places;
    // The records while the step is done.
    TableStore::Detached m_removed;
};

} // namespace lh
