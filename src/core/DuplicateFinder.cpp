#include "DuplicateFinder.h"

#include "FoldedText.h"

#include <algorithm>
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
    // Hash a batch first and ask for its slots, so their memory accesses overlap; the lookups
    // then go in record order, which keeps the first record of each address.
    constexpr std::size_t kBatch = 16;
    std::string_view addresses[kBatch];
    std::uint64_t hashes[kBatch];
    for (std::size_t start = 0; start < count; start += kBatch) {
        const std::size_t n = std::min(kBatch, count - start);
        for (std::size_t k = 0; k < n; ++k) {
            addresses[k] = cells.Cell(start + k, GridColumn::Address);
            hashes[k] = FoldedHash(addresses[k]);
            __builtin_prefetch(&slots[static_cast<std::size_t>(hashes[k]) & mask]);
        }
        for (std::size_t k = 0; k < n; ++k) {
            if (addresses[k].empty())
                continue;
            const std::size_t r = start + k;
            const auto tag = static_cast<std::uint32_t>(hashes[k] >> 32);
            for (std::size_t i = static_cast<std::size_t>(hashes[k]) & mask;; i = (i + 1) & mask) {
                Slot& slot = slots[i];
                if (slot.recordPlusOne == 0) {
                    slot = {tag, static_cast<std::uint32_t>(r + 1)};
                    break;
                }
                if (slot.tag == tag &&
                    FoldedEqual(cells.Cell(slot.recordPlusOne - 1, GridColumn::Address),
                                addresses[k])) {
                    duplicates.push_back(r);
                    break;
                }
            }
        }
    }
    return duplicates;
}

} // namespace lh
