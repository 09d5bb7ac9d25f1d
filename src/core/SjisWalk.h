#pragma once

// Character-boundary reasoning over code page 932 bytes without walking every character from
// the start of a line. A byte outside the lead-byte ranges always ends a character (it is a
// single-byte character or a trail byte), so the character structure right before a position
// follows from the run of lead-range bytes in front of it: an even run means the position is a
// character boundary, an odd run means it is the second byte of a two-byte character.
//
// Every function takes `floor`, a position known to be a character boundary, and never looks
// before it. The text handed in never holds NUL, CR or 0x1A, so a lead byte followed by any byte
// of the text forms one two-byte character.

#include "util/Mbcs.h"

#include <cstddef>

namespace lh::sjis {

inline bool IsLead(char c) noexcept {
    return IsSjisLeadByte(static_cast<unsigned char>(c));
}

// Number of lead-range bytes directly before `pos`, not looking before `floor`.
inline std::size_t LeadRunBefore(const char* p, std::size_t floor, std::size_t pos) noexcept {
    std::size_t k = pos;
    while (k > floor && IsLead(p[k - 1]))
        --k;
    return pos - k;
}

inline bool IsBoundary(const char* p, std::size_t floor, std::size_t pos) noexcept {
    return LeadRunBefore(p, floor, pos) % 2 == 0;
}

// The boundary at `pos`, or the one just before it when `pos` splits a two-byte character.
inline std::size_t BoundaryAtOrBefore(const char* p, std::size_t floor, std::size_t pos) noexcept {
    return IsBoundary(p, floor, pos) ? pos : pos - 1;
}

inline constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// Scans [floor, pos) backwards for the last character for which `isDelimiter` holds and returns
// the position just after it, or kNotFound. `pos` must be a boundary. `isDelimiter(lead, trail)`
// gets the two bytes of a two-byte character, or (byte, 0) for a single-byte one; a two-byte
// character made only of lead-range bytes is never asked about (no delimiter is one).
template <class IsDelimiter>
std::size_t LastDelimiterEnd(const char* p, std::size_t floor, std::size_t pos,
                             IsDelimiter isDelimiter) noexcept {
    std::size_t k = pos;
    while (k > floor) {
        const char last = p[k - 1];
        if (IsLead(last)) {
            // pos-side boundary with a run of lead bytes before it: pairs of lead bytes only.
            k -= LeadRunBefore(p, floor, k);
            continue;
        }
        const std::size_t run = LeadRunBefore(p, floor, k - 1);
        if (run % 2 == 0) {
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
