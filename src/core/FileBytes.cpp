#include "FileBytes.h"

#include <algorithm>
#include <cstring>

namespace lh {

void FileBytes::Clear() noexcept {
    m_bytes.reset();
    m_size = 0;
    m_capacity = 0;
}

void FileBytes::Reserve(std::size_t capacity) {
    if (capacity <= m_capacity)
        return;
    auto room = std::make_unique_for_overwrite<char[]>(capacity);
    if (m_size > 0)
        std::memcpy(room.get(), m_bytes.get(), m_size);
    m_bytes = std::move(room);
    m_capacity = capacity;
}

char* FileBytes::Spare(std::size_t more) {
    if (m_capacity - m_size < more)
        Reserve(std::max(m_size + more, m_capacity + m_capacity / 2));
    return m_bytes.get() + m_size;
}

void FileBytes::Added(std::size_t count) noexcept {
    m_size += std::min(count, m_capacity - m_size);
}

} // namespace lh
