#include "DuplicateFinder.h"

#include "FoldedText.h"

#include <bit>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace lh {

std::vector<std::size_t> DuplicateAddressRecords(const RecordCells& cells) {
    const std::size_t count = cells.Count();
    if (count > std::numeric_limits<std::uint32_t>::max() - 1)
        throw std::length_error("too many records to compare");
    // Open addressing over the first record of each address: a slot holds part of the hash, so
    // most probes that miss never read a text, and the record's number (plus one; 0: free).
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t recordPlusOne = 0;
    };
    const std::size_t capacity = std::bit_ceil(count * 2 + 2);
    const std::size_t mask = capacity - 1;
    std::vector<Slot> slots(capacity);
    std::vector<std::size_t> duplicates;
    for (std::size_t r = 0; r < count; ++r) {
        const std::string_view address = cells.Cell(r, GridColumn::Address);
        if (address.empty())
            continue;
        const std::uint64_t hash = FoldedHash(address);
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        std::size_t i = static_cast<std::size_t>(hash) & mask;
        for (;; i = (i + 1) & mask) {
            Slot& slot = slots[i];
            if (slot.recordPlusOne == 0) {
                slot = {tag, static_cast<std::uint32_t>(r + 1)};
                break;
            }
            if (slot.tag == tag &&
                FoldedEqual(cells.Cell(slot.recordPlusOne - 1, GridColumn::Address), address)) {
                duplicates.push_back(r);
                break;
            }
        }
    }
    return duplicates;
}

} // namespace lh
