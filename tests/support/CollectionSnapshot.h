#pragma once

// Every text of every record, so a test can say a collection is back to the very state it had.

#include "core/TableStore.h"

#include <array>
#include <string>
#include <vector>

namespace lh::test {

using CollectionTexts = std::vector<std::array<std::string, TableStore::kFieldCount>>;

inline CollectionTexts Snapshot(const TableStore& table) {
    CollectionTexts out;
    for (TableStore::Row r = 0; r < table.RecordCount(); ++r) {
        auto& row = out.emplace_back();
        for (int f = 0; f < TableStore::kFieldCount; ++f)
            row[static_cast<std::size_t>(f)] = std::string(table.Text(r, f));
    }
    return out;
}

} // namespace lh::test
