#pragma once

// The companion's listing of a collection in UTF-8 (to a Windows console, as its characters): one
// line of tab-separated fields per record (tabs, line breaks and backslashes escaped), or a JSON
// array of objects.

#include "core/TableStore.h"

#include <cstdio>

namespace lh::cli {

enum class ListingFormat { Tsv, Json };

// Writes the records of `table` to `out`; `lossyCells` counts the cells whose bytes are no code
// page 932 (shown as U+FFFD). Write errors are left in the stream's error mark.
void WriteListing(std::FILE* out, const TableStore& table, ListingFormat format, int& lossyCells);

} // namespace lh::cli
