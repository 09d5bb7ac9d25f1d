#pragma once

#include "core/TableStore.h"

#include <string>
#include <string_view>
#include <vector>

namespace lh::cli {

// The UTF-8 texts of the cells of a run of records, for the listing. Cells of plain ASCII are
// their own text. The others are converted together, one conversion for the run instead of one
// per cell, joined by NUL bytes (which no double-byte character holds and every conversion
// keeps). A run that does not convert as a whole, because some cell holds bytes that are no
// code page 932, is converted cell by cell, with U+FFFD where needed: `lossy` counts those cells.
class CellTexts {
public:
    // Converts the cells of records first..end-1; `lossy` grows by the cells that needed U+FFFD.
    void Prepare(const TableStore& table, TableStore::Row first, TableStore::Row end, int& lossy);
    // A text (TableStore::Field) of a record of the run; valid until the next Prepare.
    std::string_view Get(TableStore::Row r, int field) const { return m_views[Slot(r, field)]; }

private:
    std::size_t Slot(TableStore::Row r, int field) const {
        return static_cast<std::size_t>(r - m_first) * TableStore::kFieldCount +
               static_cast<std::size_t>(field);
    }

    TableStore::Row m_first = 0;
    std::vector<std::string_view> m_views;
    std::string m_joined;
    std::string m_converted;
    std::vector<std::string> m_alone;
};

} // namespace lh::cli
