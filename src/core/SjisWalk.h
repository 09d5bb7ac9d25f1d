#pragma once

// Character-boundary reasoning over code page 932 bytes without walking every character from
// the start of a line. A byte outside the lead-byte ranges always ends a character (it is a
// single-byte character or a second byte), and every lead byte is also a valid second byte, so
// the lead bytes in front of a position pair up from the start of their run: after an even run
// the position is a character boundary; after an odd run it is the second byte of a two-byte
// character exactly when its own byte is a trail byte (otherwise the last lead byte stands
// alone, and a '<' or space after it is seen as what it is).
//
// Every function takes `floor`, a position known to be a character boundary, and never looks
// before it.

#include "util/Mbcs.h"

#include <cstddef>

namespace lh::sjis {

inline bool IsLead(char c) noexcept {
    return IsSjisLeadByte(static_cast<unsigned char>(c));
}

inline bool IsTrail(char c) noexcept {
    return IsSjisTrailByte(static_cast<unsigned char>(c));
}

// Number of lead-range bytes directly before `pos`, not looking before `floor`.
inline std::size_t LeadRunBefore(const char* p, std::size_t floor, std::size_t pos) noexcept {
    std::size_t k = pos;
    while (k > floor && IsLead(p[k - 1]))
        --k;
    return pos - k;
}

// Whether the byte at `pos` (which must exist) begins a character.
inline bool IsBoundary(const char* p, std::size_t floor, std::size_t pos) noexcept {
    return LeadRunBefore(p, floor, pos) % 2 == 0 || !IsTrail(p[pos]);
}

// The boundary at `pos`, or the one just before it when `pos` may split a two-byte character.
// At `pos` == `size` the next byte is not known yet: a lead byte waiting for it is held back.
inline std::size_t BoundaryAtOrBefore(const char* p, std::size_t floor, std::size_t pos,
                                      std::size_t size) noexcept {
    if (pos < size)
        return IsBoundary(p, floor, pos) ? pos : pos - 1;
    return LeadRunBefore(p, floor, pos) % 2 == 0 ? pos : pos - 1;
}

inline constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// Scans [floor, pos) backwards for the last character for which `isDelimiter` holds and returns
// the position just after it, or kNotFound. `pos` must be a boundary. `isDelimiter(lead, trail)`
// gets the two bytes of a two-byte character, or (byte, 0) for a single-byte one; a character
// made only of lead-range bytes is never asked about (no delimiter is one).
template <class IsDelimiter>
std::size_t LastDelimiterEnd(const char* p, std::size_t floor, std::size_t pos,
                             IsDelimiter isDelimiter) noexcept {
    std::size_t k = pos;
    while (k > floor) {
        const char last = p[k - 1];
        if (IsLead(last)) {
            // A run of lead bytes before a boundary: pairs of lead bytes and at most one lone one.
            k -= LeadRunBefore(p, floor, k);
            continue;
        }
        const std::size_t run = LeadRunBefore(p, floor, k - 1);
        if (run % 2 == 0 || !IsTrail(last)) {
            if (isDelimiter(static_cast<unsigned char>(last), 0u))
                return k;
        } else if (isDelimiter(static_cast<unsigned char>(p[k - 2]),
                               static_cast<unsigned char>(last))) {
            return k;
        }
        k = k - 1 - run;
    }
    return kNotFound;
}

} // namespace lh::sjis
