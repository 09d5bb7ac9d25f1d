#pragma once

// Texts of cells changed in place: one editor session, or the cells the Delete key emptied.

#include "EditStep.h"

#include <string>
#include <vector>

namespace lh {

class CellTextsStep final : public EditStep {
public:
    struct Change {
        TableStore::Row record = 0;
        int field = 0;
        std::string before; // cp932
        std::string after;  // cp932
    };

    // `changes` in the order they were made.
    CellTextsStep(std::string name, std::vector<Change> changes);

    void Undo(TableStore& table) override;
    void Redo(TableStore& table) override;
    TableStore::Row RecordCountChange() const noexcept override { return 0; }
    TableStore::Row Where() const noexcept override;
    std::size_t MemoryUsage() const noexcept override;

private:
    std::vector<Change> m_changes;
};

} // namespace lh
