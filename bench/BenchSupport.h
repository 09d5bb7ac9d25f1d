#pragma once

// Helpers the benchmark programs share.

#include <chrono>
#include <cstdint>

namespace lh::bench {

// Seconds since `since` on the steady clock.
inline double Seconds(const std::chrono::steady_clock::time_point& since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A well-mixed 32-bit hash of a counter: made-up records in no particular order, the same on
// every run and every system.
inline std::uint32_t Scramble(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

} // namespace lh::bench
