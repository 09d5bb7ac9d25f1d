#pragma once

// A file's bytes read into room that is not cleared first: a std::string would write zeros over
// the whole room only for the read to write the file over them.

#include <cstddef>
#include <memory>
#include <string_view>

namespace lh {

class FileBytes {
public:
    std::size_t Size() const noexcept { return m_size; }
    bool Empty() const noexcept { return m_size == 0; }
    std::string_view View() const noexcept { return {m_bytes.get(), m_size}; }
    operator std::string_view() const noexcept { return View(); }

    // No bytes, and no room either: the next room is fresh.
    void Clear() noexcept;
    // Room for `more` bytes after the ones held; write them there, then call Added. Room taken
    // anew is left untouched, and grows by half again at least, so that a read in pieces copies
    // each byte a few times at most.
    char* Spare(std::size_t more);
    // The first `count` bytes of the spare room now hold bytes of the file.
    void Added(std::size_t count) noexcept;

private:
    void Reserve(std::size_t capacity);

    std::unique_ptr<char[]> m_bytes;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

} // namespace lh
