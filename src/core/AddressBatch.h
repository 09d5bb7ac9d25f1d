#pragma once

// Addresses found by a scan, in file order, as the texts new records would get: the unit in
// which the reading side hands its finds to the side that keeps the table, whether that is the
// same thread or another.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

struct AddressBatch {
    // Past either size a batch is handed on, so memory stays bounded however many addresses a
    // file holds. The owner picks them: small enough that the texts are still in the cache when
    // they are settled.
    std::size_t maxEntries = 256;
    std::size_t maxBytes = std::size_t{32} << 10;
    // A batch is also handed on once it carries this much progress, so the display moves
    // through a file with few addresses; handing on at every step of the reader would cost
    // more in waking the other side than it shows.
    static constexpr std::int64_t kMaxProgress = std::int64_t{4} << 20;

    struct Entry {
        std::size_t offset = 0; // of the record text in the arena
        std::size_t length = 0;
        // TableStore::AddressHash of the record text, taken by the table's side: the reading
        // side is the busier one.
        std::uint64_t hash = 0;
    };

    std::string arena;
    std::vector<Entry> entries;
    std::int64_t tooLong = 0;  // addresses passed over for their size
    std::int64_t progress = 0; // progress owed once these addresses are settled

    // Adds prefix + address.
    void Add(std::string_view prefix, std::string_view address) {
        Entry e;
        e.offset = arena.size();
        arena.append(prefix);
        arena.append(address);
        e.length = arena.size() - e.offset;
        entries.push_back(e);
    }
    std::string_view Text(const Entry& e) const noexcept {
        return std::string_view(arena.data() + e.offset, e.length);
    }
    bool Full() const noexcept {
        return entries.size() >= maxEntries || arena.size() >= maxBytes || progress >= kMaxProgress;
    }
    bool Empty() const noexcept { return entries.empty() && tooLong == 0 && progress == 0; }
    void Clear() noexcept {
        arena.clear();
        entries.clear();
        tooLong = 0;
        progress = 0;
    }
};

} // namespace lh
