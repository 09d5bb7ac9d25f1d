#pragma once

// Records whose address repeats that of an earlier record, by the duplicate test of the scans:
// letter case folded as that test folds it, nothing else. The first record with an address
// stays; a record with an empty address is never a duplicate.

#include "RecordCells.h"

#include <cstddef>
#include <vector>

namespace lh {

// The duplicates' indexes in collection order. Throws std::length_error for more records than an
// index of 32 bits holds.
std::vector<std::size_t> DuplicateAddressRecords(const RecordCells& cells);

} // namespace lh
