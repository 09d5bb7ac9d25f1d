#include "Mbcs.h"

#include <array>
#include <cstring>

namespace lh {

namespace {

enum : unsigned char { kLeadBit = 1, kTrailBit = 2 };

constexpr std::array<unsigned char, 256> MakeByteTable() {
    std::array<unsigned char, 256> t{};
    for (int b = 0; b < 256; ++b) {
        const auto u = static_cast<unsigned char>(b);
        t[static_cast<std::size_t>(b)] = static_cast<unsigned char>(
            (IsSjisLeadByte(u) ? kLeadBit : 0) | (IsSjisTrailByte(u) ? kTrailBit : 0));
    }
    return t;
}
constexpr std::array<unsigned char, 256> kByte = MakeByteTable();

inline unsigned Lead(char c) noexcept {
    return kByte[static_cast<unsigned char>(c)] & kLeadBit;
}

inline unsigned Trail(char c) noexcept {
    return (kByte[static_cast<unsigned char>(c)] & kTrailBit) >> 1;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// True when the eight bytes at p are all below 0x80: none of them can start a two-byte
// character, so from a character boundary they are eight one-byte characters.
inline bool EightAscii(const char* p) noexcept {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return (w & kHighBits) == 0;
}

// Byte length of the character at p within [p, end) of NUL-free text.
inline std::size_t CharLen(const char* p, const char* end) noexcept {
    return (Lead(*p) && p + 1 < end && Trail(p[1])) ? 2 : 1;
}

// Number of characters in [p, end), NUL-free text, p a character boundary. Counts the pairs: a
// lead byte that does not itself complete a pair waits for the next byte, and forms a pair with
// it when that byte is a trail byte.
MbcsIndex CountChars(const char* p, const char* end) noexcept {
    const char* const begin = p;
    MbcsIndex pairs = 0;
    unsigned waiting = 0;
    while (p < end) {
        if (waiting == 0 && end - p >= 8 && EightAscii(p)) {
            p += 8;
            continue;
        }
        pairs += waiting & Trail(*p);
        waiting = (waiting ^ 1u) & Lead(*p);
        ++p;
    }
    return static_cast<MbcsIndex>(end - begin) - pairs;
}

// Moves p over up to n characters; returns how many it stepped.
MbcsIndex StepChars(const char*& p, const char* end, MbcsIndex n) noexcept {
    MbcsIndex stepped = 0;
    while (stepped < n && p < end) {
        if (n - stepped >= 8 && end - p >= 8 && EightAscii(p)) {
            p += 8;
            stepped += 8;
            continue;
        }
        p += CharLen(p, end);
        ++stepped;
    }
    return stepped;
}

// True when c (a byte of the text) starts a character, given that `known` (<= c) does. A byte
// that is not a lead byte always ends a character, and lead bytes are trail bytes too, so the
// lead bytes right before c pair up from the start of their run: an even run ends on a boundary;
// after an odd run the last lead byte takes c as its second byte only when c is a trail byte.
inline bool IsBoundary(const char* known, const char* c) noexcept {
    const char* j = c;
    while (j > known && Lead(j[-1]))
        --j;
    return ((c - j) & 1) == 0 || !Trail(*c);
}

// Byte search restricted to character boundaries. Comparing character by character, with two-byte
// characters compared whole, gives the same answer as comparing the bytes, so a plain byte search
// finds the candidates and only their boundary needs checking. `s` may run past the first NUL:
// the stretch before each candidate is checked for one, which keeps a loop of searches over a
// long text linear instead of cutting the whole text at every call. `pat` holds no NUL.
std::size_t FindOnBoundary(std::string_view pat, std::string_view s, std::size_t from) noexcept {
    if (pat.empty())
        return std::string_view::npos;
    const char* const base = s.data();
    std::size_t known = from;
    for (;;) {
        const std::size_t c = s.find(pat, from);
        if (c == std::string_view::npos || std::memchr(base + known, 0, c - known) != nullptr)
            return std::string_view::npos;
        if (IsBoundary(base + known, base + c))
            return c;
        // c is the second byte of a pair, so the byte after it starts a character.
        known = from = c + 1;
    }
}

inline bool IsBlankAt(const char* p, const char* end) noexcept {
    const auto b = static_cast<unsigned char>(*p);
    if (CharLen(p, end) == 2)
        return b == 0x81 && static_cast<unsigned char>(p[1]) == 0x40;
    return b <= 0x20 || b == 0x7F;
}

inline std::string_view Between(const char* from, const char* to) noexcept {
    return std::string_view(from, static_cast<std::size_t>(to - from));
}

} // namespace

std::string_view MbcsText(std::string_view s) noexcept {
    if (s.empty())
        return s;
    const void* nul = std::memchr(s.data(), 0, s.size());
    if (nul)
        return s.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - s.data()));
    return s;
}

MbcsIndex MbcsLength(std::string_view s) noexcept {
    s = MbcsText(s);
    return CountChars(s.data(), s.data() + s.size());
}

std::string_view MbcsCopyView(std::string_view s, MbcsIndex pos, MbcsIndex count) noexcept {
    s = MbcsText(s);
    if (s.empty() || pos < 0 || count <= 0)
        return {};
    const char* p = s.data();
    const char* const end = p + s.size();
    const MbcsIndex skip = pos == 0 ? 0 : pos - 1;
    if (skip > 0 && StepChars(p, end, skip) < skip)
        return {};
    if (p >= end)
        return {};
    const char* const start = p;
    StepChars(p, end, count);
    return Between(start, p);
}

std::string MbcsCopy(std::string_view s, MbcsIndex pos, MbcsIndex count) {
    return std::string(MbcsCopyView(s, pos, count));
}

MbcsIndex MbcsPos(std::string_view pattern, std::string_view s) noexcept {
    pattern = MbcsText(pattern);
    if (pattern.empty() || s.empty())
        return 0;
    const std::size_t c = FindOnBoundary(pattern, s, 0);
    if (c == std::string_view::npos)
        return 0;
    return CountChars(s.data(), s.data() + c) + 1;
}

MbcsIndex MbcsPosFrom(std::string_view pattern, std::string_view s, MbcsIndex start) noexcept {
    pattern = MbcsText(pattern);
    s = MbcsText(s);
    if (start < 1)
        start = 1;
    if (pattern.empty())
        return 0;
    const char* p = s.data();
    const char* const end = p + s.size();
    if (StepChars(p, end, start - 1) < start - 1 || p >= end)
        return 0;
    const std::size_t c = FindOnBoundary(pattern, s, static_cast<std::size_t>(p - s.data()));
    if (c == std::string_view::npos)
        return 0;
    return start + CountChars(p, s.data() + c);
}

MbcsIndex MbcsLastPos(std::string_view pattern, std::string_view s) noexcept {
    pattern = MbcsText(pattern);
    if (pattern.empty() || s.empty())
        return 0;
    // One pass: each search resumes one character after the previous match, so overlapping
    // matches count, and nothing is walked twice.
    std::size_t last = std::string_view::npos;
    for (std::size_t c = FindOnBoundary(pattern, s, 0); c != std::string_view::npos;
         c = FindOnBoundary(pattern, s, c + MbcsCharSize(s, c)))
        last = c;
    if (last == std::string_view::npos)
        return 0;
    return CountChars(s.data(), s.data() + last) + 1;
}

std::string_view MbcsTailView(std::string_view s, MbcsIndex pos) noexcept {
    s = MbcsText(s);
    if (pos < 0)
        return {};
    const char* p = s.data();
    const char* const end = p + s.size();
    const MbcsIndex skip = pos == 0 ? 0 : pos - 1;
    if (StepChars(p, end, skip) < skip)
        return {};
    return Between(p, end);
}

std::string MbcsTail(std::string_view s, MbcsIndex pos) {
    return std::string(MbcsTailView(s, pos));
}

std::string_view MbcsRightView(std::string_view s, MbcsIndex n) noexcept {
    s = MbcsText(s);
    if (n < 1)
        return {};
    const char* const begin = s.data();
    const char* const end = begin + s.size();
    // The last n characters take at most 2n bytes: start at a boundary no later than that, found
    // by stepping back over lead-range bytes, instead of walking the whole text.
    const char* q = begin;
    if (n < static_cast<MbcsIndex>(s.size() / 2)) {
        q = end - 2 * n;
        while (q > begin && Lead(q[-1]))
            --q;
    }
    const MbcsIndex available = CountChars(q, end);
    if (available <= n)
        return Between(q, end); // exactly the last n characters, or the whole text
    StepChars(q, end, available - n);
    return Between(q, end);
}

std::string MbcsRight(std::string_view s, MbcsIndex n) {
    return std::string(MbcsRightView(s, n));
}

std::string_view MbcsTrimView(std::string_view s) noexcept {
    s = MbcsText(s);
    const char* p = s.data();
    const char* const end = p + s.size();
    while (p < end && IsBlankAt(p, end))
        p += CharLen(p, end);
    const char* const start = p;
    const char* lastEnd = p; // end of the last non-blank character
    while (p < end) {
        const bool blank = IsBlankAt(p, end);
        p += CharLen(p, end);
        if (!blank)
            lastEnd = p;
    }
    return Between(start, lastEnd);
}

std::string MbcsTrim(std::string_view s) {
    return std::string(MbcsTrimView(s));
}

std::size_t MbcsFind(std::string_view pattern, std::string_view s, std::size_t fromByte) noexcept {
    pattern = MbcsText(pattern);
    if (fromByte >= s.size())
        return std::string_view::npos;
    return FindOnBoundary(pattern, s, fromByte);
}

std::size_t MbcsCharSize(std::string_view s, std::size_t at) noexcept {
    if (at >= s.size() || s[at] == '\0')
        return 0;
    return (Lead(s[at]) && at + 1 < s.size() && Trail(s[at + 1])) ? 2 : 1;
}

std::string AsciiUpper(std::string_view s) {
    std::string r(s);
    AsciiUpperInPlace(r);
    return r;
}

void AsciiUpperInPlace(std::string& s) noexcept {
    AsciiUpperInPlace(s.data(), s.size());
}

void AsciiUpperInPlace(char* data, std::size_t size) noexcept {
    char* p = data;
    char* const end = p + size;
    while (p < end) {
        if (end - p >= 8 && EightAscii(p)) {
            // Fold eight one-byte characters at once: flag bytes from 'a' to 'z' in their high
            // bit, then clear bit 0x20 in exactly those.
            std::uint64_t w;
            std::memcpy(&w, p, sizeof w);
            constexpr std::uint64_t ones = 0x0101010101010101ull;
            const std::uint64_t geA = w + ones * (0x80 - 'a');
            const std::uint64_t gtZ = w + ones * (0x7F - 'z');
            const std::uint64_t lower = (geA & ~gtZ) & kHighBits;
            w ^= lower >> 2;
            std::memcpy(p, &w, sizeof w);
            p += 8;
            continue;
        }
        const auto b = static_cast<unsigned char>(*p);
        if (Lead(*p) && p + 1 < end && Trail(p[1])) {
            p += 2;
            continue;
        }
        if (b >= 'a' && b <= 'z')
            *p = static_cast<char>(b - 'a' + 'A');
        ++p;
    }
}

} // namespace lh
