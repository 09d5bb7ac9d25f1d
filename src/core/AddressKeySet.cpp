#include "AddressKeySet.h"

#include <cstring>
#include <functional>
#include <limits>

namespace lh {

std::uint64_t AddressKeySet::Hash(std::string_view key) noexcept {
    return static_cast<std::uint64_t>(std::hash<std::string_view>{}(key));
}

bool AddressKeySet::Contains(std::string_view key, std::uint64_t hash) const noexcept {
    if (m_slots.empty())
        return false;
    const std::uint64_t stored = Stored(hash);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = static_cast<std::size_t>(stored) & mask;; i = (i + 1) & mask) {
        const Slot& s = m_slots[i];
        if (s.hash == 0)
            return false;
        if (s.hash == stored && s.length == key.size() &&
            std::memcmp(m_bytes.data() + s.offset, key.data(), key.size()) == 0)
            return true;
    }
}

void AddressKeySet::Insert(std::string_view key, std::uint64_t hash) {
    // Offsets are 32-bit; past that the set simply stops learning, which costs only speed.
    if (m_bytes.size() + key.size() > std::numeric_limits<std::uint32_t>::max())
        return;
    if ((m_count + 1) * 2 > m_slots.size())
        Grow();
    const std::uint64_t stored = Stored(hash);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = static_cast<std::size_t>(stored) & mask;
    while (m_slots[i].hash != 0)
        i = (i + 1) & mask;
    m_slots[i] = Slot{stored, static_cast<std::uint32_t>(m_bytes.size()),
                      static_cast<std::uint32_t>(key.size())};
    m_bytes.append(key);
    ++m_count;
}

void AddressKeySet::Grow() {
    std::vector<Slot> old;
    old.swap(m_slots);
    m_slots.resize(old.empty() ? 1024 : old.size() * 2);
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot& s : old) {
        if (s.hash == 0)
            continue;
        std::size_t i = static_cast<std::size_t>(s.hash) & mask;
        while (m_slots[i].hash != 0)
            i = (i + 1) & mask;
        m_slots[i] = s;
    }
}

} // namespace lh
