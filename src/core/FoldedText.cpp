#include "FoldedText.h"

#include "util/Mbcs.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace lh {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

inline std::uint64_t Load8(const char* p) noexcept {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// Upper-cases eight bytes below 0x80 at once: flags the bytes from 'a' to 'z' in their high bit,
// then clears bit 0x20 in exactly those.
inline std::uint64_t FoldEightAscii(std::uint64_t w) noexcept {
    const std::uint64_t geA = w + kOnes * (0x80 - 'a');
    const std::uint64_t gtZ = w + kOnes * (0x7F - 'z');
    return w ^ (((geA & ~gtZ) & kHighBits) >> 2);
}

// The first eight bytes in memory order as a number that orders like them.
inline std::uint64_t InByteOrder(std::uint64_t w) noexcept {
    if constexpr (std::endian::native == std::endian::little) {
        w = (w >> 32) | (w << 32);
        w = ((w & 0xFFFF0000FFFF0000ull) >> 16) | ((w & 0x0000FFFF0000FFFFull) << 16);
        w = ((w & 0xFF00FF00FF00FF00ull) >> 8) | ((w & 0x00FF00FF00FF00FFull) << 8);
    }
    return w;
}

} // namespace

int FoldedCompare(std::string_view a, std::string_view b) noexcept {
    const std::size_t n = std::min(a.size(), b.size());
    const char* x = a.data();
    const char* y = b.data();
    std::size_t i = 0;
    // While the texts agree so far they have their characters in the same places, so one walk
    // serves both: the byte after a lead byte that starts a character is never folded (as the
    // second byte of a pair it is kept; otherwise it is no letter).
    bool afterLead = false;
    while (i < n) {
        if (!afterLead && n - i >= 8) {
            const std::uint64_t v = Load8(x + i);
            const std::uint64_t w = Load8(y + i);
            if (((v | w) & kHighBits) == 0) {
                const std::uint64_t fv = FoldEightAscii(v);
                const std::uint64_t fw = FoldEightAscii(w);
                if (fv != fw)
                    return InByteOrder(fv) < InByteOrder(fw) ? -1 : 1;
                i += 8;
                continue;
            }
        }
        auto c = static_cast<unsigned char>(x[i]);
        auto d = static_cast<unsigned char>(y[i]);
        if (!afterLead) {
            c = FoldAsciiLetter(c);
            d = FoldAsciiLetter(d);
        }
        if (c != d)
            return c < d ? -1 : 1;
        afterLead = !afterLead && IsSjisLeadByte(c);
        ++i;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::uint64_t FoldedHash(std::string_view s) noexcept {
    // Folding only ever clears bit 0x20 of a byte, so texts that fold alike agree once that bit
    // is cleared everywhere: hashing without it needs no character walk.
    constexpr std::uint64_t kCaseBlind = ~(kOnes * 0x20);
    constexpr std::uint64_t kMul = 0x9e3779b97f4a7c15ull;
    const char* p = s.data();
    std::size_t n = s.size();
    std::uint64_t h = kMul ^ n;
    const auto mix = [&h](std::uint64_t w) {
        h = (h ^ (w & kCaseBlind)) * kMul;
        h ^= h >> 29;
    };
    for (; n >= 8; p += 8, n -= 8)
        mix(Load8(p));
    if (n > 0) {
        std::uint64_t w = 0;
        std::memcpy(&w, p, n);
        mix(w);
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return h;
}

} // namespace lh
