#pragma once

// Records held as plain strings, handed to the whole-collection operations the way a store
// hands its own.

#include "core/RecordCells.h"

#include <array>
#include <string>
#include <vector>

namespace lh::test {

struct RecordRows {
    // Name, address, access, remark.
    std::vector<std::array<std::string, 4>> rows;

    RecordCells Cells() const {
        return RecordCells(rows.size(), [this](std::size_t r, GridColumn c) -> std::string_view {
            return rows[r][static_cast<std::size_t>(c) - 1];
        });
    }
};

// Records with only the given column filled.
inline RecordRows ColumnRows(GridColumn column, const std::vector<std::string>& texts) {
    RecordRows records;
    for (const std::string& t : texts) {
        std::array<std::string, 4> row;
        row[static_cast<std::size_t>(column) - 1] = t;
        records.rows.push_back(row);
    }
    return records;
}

} // namespace lh::test
