#include "HashesAhead.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace lh {

namespace {

// Large enough that handing a block over costs next to nothing, small enough that the caller
// does not wait long for the first one.
constexpr std::size_t kBlock = 1024;

} // namespace

HashesAhead::HashesAhead(std::size_t count, HashItems hashItems)
    : m_count(count), m_hashItems(std::move(hashItems)),
      // Left unset: the helper's first writes are the first touch of the pages, on its own
      // processor.
      m_hashes(std::make_unique_for_overwrite<std::uint64_t[]>(count)) {
    try {
        m_helper = std::thread(&HashesAhead::Run, this);
    } catch (const std::system_error&) {
        // Without a thread the caller hashes on its own.
    }
}

HashesAhead::~HashesAhead() {
    m_stop.store(true, std::memory_order_relaxed);
    Join();
}

void HashesAhead::Join() noexcept {
    if (m_helper.joinable())
        m_helper.join();
}

void HashesAhead::Run() noexcept {
    for (std::size_t first = 0; first < m_count; first += kBlock) {
        if (m_stop.load(std::memory_order_relaxed))
            return;
        const std::size_t last = std::min(m_count, first + kBlock);
        m_hashItems(first, last, m_hashes.get() + first);
        m_done.store(last, std::memory_order_release);
    }
}

void HashesAhead::WaitFor(std::size_t i) {
    // The helper is at most a block's hashing away, unless it lost its processor: then the
    // caller gives its own up rather than spin.
    for (int spins = 0;; ++spins) {
        m_seen = m_done.load(std::memory_order_acquire);
        if (i < m_seen)
            return;
        if (spins >= 64)
            std::this_thread::yield();
    }
}

} // namespace lh
