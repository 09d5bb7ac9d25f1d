#include "FoldedText.h"

#include "EightBytes.h"
#include "util/Mbcs.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace lh {

namespace {

using eight::FoldEightAscii;
using eight::InByteOrder;
using eight::kHighBits;
using eight::kOnes;
using eight::Load8;

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
