#pragma once

// Hashes of a long run of items, worked out on a helper thread ahead of a caller that takes them
// in order: the caller's lookups and the hashing overlap on two processors instead of taking
// turns on one.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace lh {

class HashesAhead {
public:
    // Fills out[0..last-first-1] with the hashes of items first..last-1. Runs on the helper
    // thread, on each item once, in order; it must not throw.
    using HashItems = std::function<void(std::size_t first, std::size_t last, std::uint64_t* out)>;

    // Starts hashing items 0..count-1. Started() says whether a helper thread could be had;
    // without one, Hash must not be called. Throws only when the room for the hashes cannot be
    // had.
    HashesAhead(std::size_t count, HashItems hashItems);
    // Stops the helper early when the caller gives up, and waits for it.
    ~HashesAhead();
    HashesAhead(const HashesAhead&) = delete;
    HashesAhead& operator=(const HashesAhead&) = delete;

    bool Started() const noexcept { return m_helper.joinable(); }
    // The hash of item i (i < count), once the helper has reached it.
    std::uint64_t Hash(std::size_t i) {
        if (i >= m_seen)
            WaitFor(i);
        return m_hashes[i];
    }
    // Waits for the helper to end; after it the items may change.
    void Join() noexcept;

private:
    void Run() noexcept;
    void WaitFor(std::size_t i);

    std::size_t m_count;
    HashItems m_hashItems;
    std::unique_ptr<std::uint64_t[]> m_hashes;
    // Items hashed so far: the helper raises it a block at a time.
    std::atomic<std::size_t> m_done{0};
    std::atomic<bool> m_stop{false};
    // The caller's last look at m_done, so most items need no atomic read.
    std::size_t m_seen = 0;
    std::thread m_helper;
};

} // namespace lh
