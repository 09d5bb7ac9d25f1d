#pragma once

// The upper-cased keys a scan has already settled, in one flat open-addressing table over one
// byte arena. A scan asks it first: most addresses in logs and archives repeat, and a flat table
// answers a repeat with one or two memory accesses where the table store's node-based index needs
// several. It only remembers; the table store's index stays the authority (a key lands here only
// after the table holds it, and nothing leaves the table while a scan runs).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

class AddressKeySet {
public:
    static std::uint64_t Hash(std::string_view key) noexcept;

    bool Contains(std::string_view key, std::uint64_t hash) const noexcept;
    // Adds a key known not to be in the set yet.
    void Insert(std::string_view key, std::uint64_t hash);

private:
    struct Slot {
        std::uint64_t hash = 0; // 0: empty
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    static std::uint64_t Stored(std::uint64_t hash) noexcept { return hash | 1; }
    void Grow();

    std::vector<Slot> m_slots;
    std::string m_bytes;
    std::size_t m_count = 0;
};

} // namespace lh
