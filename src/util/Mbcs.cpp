#include "Mbcs.h"

#include <cstring>

namespace lh {

namespace {

// Byte length of the character at p within [p, end): 2 for a lead byte with a following byte.
inline std::size_t CharLen(const char* p, const char* end) noexcept {
    return (IsSjisLeadByte(static_cast<unsigned char>(*p)) && p + 1 < end) ? 2 : 1;
}

// Moves past up to n characters (all when n <= 0 is not wanted: callers pass n >= 1).
// Returns the number of characters stepped; p is advanced.
inline MbcsIndex StepChars(const char*& p, const char* end, MbcsIndex n) noexcept {
    MbcsIndex stepped = 0;
    while (stepped < n && p < end) {
        p += CharLen(p, end);
        ++stepped;
    }
    return stepped;
}

// True when pattern matches the text at p: two-byte characters compare both bytes, every other
// pairing compares the first byte only and advances one byte on each side.
inline bool MatchAt(const char* p, const char* end, std::string_view pat) noexcept {
    const char* q = pat.data();
    const char* qend = q + pat.size();
    if (p >= end || q >= qend || *p != *q)
        return false;
    while (p < end && q < qend) {
        const std::size_t lp = CharLen(p, end);
        const std::size_t lq = CharLen(q, qend);
        if (lp == 2 && lq == 2) {
            if (p[0] != q[0] || p[1] != q[1])
                return false;
            p += 2;
            q += 2;
        } else {
            if (*p != *q)
                return false;
            ++p;
            ++q;
        }
    }
    return q >= qend;
}

inline bool IsBlankAt(const char* p, const char* end) noexcept {
    const auto b = static_cast<unsigned char>(*p);
    if (CharLen(p, end) == 2)
        return b == 0x81 && static_cast<unsigned char>(p[1]) == 0x40;
    return b <= 0x20 || b == 0x7F;
}

} // namespace

std::string_view MbcsText(std::string_view s) noexcept {
    const void* nul = std::memchr(s.data(), 0, s.size());
    if (nul)
        return s.substr(0, static_cast<const char*>(nul) - s.data());
    return s;
}

MbcsIndex MbcsLength(std::string_view s) noexcept {
    s = MbcsText(s);
    const char* p = s.data();
    const char* end = p + s.size();
    MbcsIndex n = 0;
    while (p < end) {
        if (IsSjisLeadByte(static_cast<unsigned char>(*p)) && p + 1 < end)
            p += 2;
        else
            ++p;
        ++n;
    }
    return n;
}

std::string_view MbcsCopyView(std::string_view s, MbcsIndex pos, MbcsIndex count) noexcept {
    s = MbcsText(s);
    if (s.empty() || pos < 0 || count <= 0)
        return {};
    const char* p = s.data();
    const char* end = p + s.size();
    const MbcsIndex skip = pos == 0 ? 0 : pos - 1;
    if (skip > 0 && StepChars(p, end, skip) < skip)
        return {};
    if (p >= end)
        return {};
    const char* start = p;
    StepChars(p, end, count);
    return std::string_view(start, static_cast<std::size_t>(p - start));
}

std::string MbcsCopy(std::string_view s, MbcsIndex pos, MbcsIndex count) {
    return std::string(MbcsCopyView(s, pos, count));
}

MbcsIndex MbcsPos(std::string_view pattern, std::string_view s) noexcept {
    pattern = MbcsText(pattern);
    s = MbcsText(s);
    if (pattern.empty() || s.empty())
        return 0;
    const char* p = s.data();
    const char* end = p + s.size();
    const char first = pattern.front();
    MbcsIndex n = 1;
    while (p < end) {
        if (*p == first && MatchAt(p, end, pattern))
            return n;
        p += CharLen(p, end);
        ++n;
    }
    return 0;
}

MbcsIndex MbcsPosFrom(std::string_view pattern, std::string_view s, MbcsIndex start) noexcept {
    s = MbcsText(s);
    if (start < 1)
        start = 1;
    const char* p = s.data();
    const char* end = p + s.size();
    if (StepChars(p, end, start - 1) < start - 1 || p >= end)
        return 0;
    const MbcsIndex r = MbcsPos(pattern, std::string_view(p, static_cast<std::size_t>(end - p)));
    return r == 0 ? 0 : start + r - 1;
}

MbcsIndex MbcsLastPos(std::string_view pattern, std::string_view s) noexcept {
    MbcsIndex last = 0;
    for (MbcsIndex r = MbcsPos(pattern, s); r != 0; r = MbcsPosFrom(pattern, s, r + 1))
        last = r;
    return last;
}

std::string MbcsTail(std::string_view s, MbcsIndex pos) {
    const MbcsIndex n = MbcsLength(s);
    if (n - pos < 0 || pos < 0)
        return {};
    return MbcsCopy(s, pos, n - pos + 1);
}

std::string MbcsRight(std::string_view s, MbcsIndex n) {
    if (n < 1)
        return {};
    const MbcsIndex len = MbcsLength(s);
    if (len - n < 0)
        return std::string(MbcsText(s));
    return MbcsCopy(s, len - n + 1, n);
}

std::string MbcsTrim(std::string_view s) {
    s = MbcsText(s);
    const char* p = s.data();
    const char* end = p + s.size();
    while (p < end && IsBlankAt(p, end))
        p += CharLen(p, end);
    const char* start = p;
    const char* lastEnd = p; // end of the last non-blank character
    while (p < end) {
        const std::size_t len = CharLen(p, end);
        const bool blank = IsBlankAt(p, end);
        p += len;
        if (!blank)
            lastEnd = p;
    }
    return std::string(start, static_cast<std::size_t>(lastEnd - start));
}

std::string AsciiUpper(std::string_view s) {
    std::string r(s);
    AsciiUpperInPlace(r);
    return r;
}

void AsciiUpperInPlace(std::string& s) noexcept {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
}

} // namespace lh
