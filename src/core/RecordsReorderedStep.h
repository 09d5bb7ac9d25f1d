#pragma once

// The records put into a new order (the view's order made the collection's). Only the order is
// kept: undo puts every record back where it was, so the steps recorded before it still find
// their records at the places they name.

#include "EditStep.h"

#include <cstddef>
#include <vector>

namespace lh {

class RecordsReorderedStep final : public EditStep {
public:
    // `order[i]` is the place record i had before the change.
    RecordsReorderedStep(std::string name, std::vector<std::size_t> order);

    void Undo(TableStore& table) override;
    void Redo(TableStore& table) override;
    TableStore::Row RecordCountChange() const noexcept override { return 0; }
    TableStore::Row Where() const noexcept override { return -1; }
    std::size_t MemoryUsage() const noexcept override;

private:
    std::vector<std::size_t> m_order;
};

} // namespace lh
