#pragma once

// Eight bytes at a time: the word steps the duplicate test, the find matcher and the view's
// order share, so all of them fold letter case exactly alike.

#include <bit>
#include <cstdint>
#include <cstring>

namespace lh::eight {

inline constexpr std::uint64_t kOnes = 0x0101010101010101ull;
inline constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
inline constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7Full;

inline std::uint64_t Load8(const char* p) noexcept {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// The high bit of each byte of `w` that equals `c`, exactly: no carry runs from one byte into the
// next, so every flag is a match.
inline std::uint64_t BytesEqual(std::uint64_t w, unsigned char c) noexcept {
    const std::uint64_t x = w ^ (kOnes * c);
    return ~(((x & kLowBits) + kLowBits) | x) & kHighBits;
}

// Upper-cases eight bytes below 0x80 at once: flags the bytes from 'a' to 'z' in their high bit,
// then clears bit 0x20 in exactly those.
inline std::uint64_t FoldEightAscii(std::uint64_t w) noexcept {
    const std::uint64_t geA = w + kOnes * (0x80 - 'a');
    const std::uint64_t gtZ = w + kOnes * (0x7F - 'z');
    return w ^ (((geA & ~gtZ) & kHighBits) >> 2);
}

// The eight bytes in memory order as a number that orders like them.
inline std::uint64_t InByteOrder(std::uint64_t w) noexcept {
    if constexpr (std::endian::native == std::endian::little) {
        w = (w >> 32) | (w << 32);
        w = ((w & 0xFFFF0000FFFF0000ull) >> 16) | ((w & 0x0000FFFF0000FFFFull) << 16);
        w = ((w & 0xFF00FF00FF00FF00ull) >> 8) | ((w & 0x00FF00FF00FF00FFull) << 8);
    }
    return w;
}

} // namespace lh::eight
