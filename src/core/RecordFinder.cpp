#include "RecordFinder.h"

#include "EightBytes.h"
#include "FoldedText.h"
#include "util/Mbcs.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace lh {

namespace {

using eight::kHighBits;
using eight::Load8;

// The first byte in [p, end) that is `a` or `b`, or `end`. Addresses and names are short, so an
// inline eight-byte step beats calling memchr once per letter case.
const char* FindEither(const char* p, const char* end, unsigned char a, unsigned char b) noexcept {
    if constexpr (std::endian::native == std::endian::little) {
        for (; end - p >= 8; p += 8) {
            const std::uint64_t w = Load8(p);
            const std::uint64_t hits = eight::BytesEqual(w, a) | eight::BytesEqual(w, b);
            if (hits != 0)
                return p + std::countr_zero(hits) / 8;
        }
    }
    for (; p < end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == a || c == b)
            return p;
    }
    return end;
}

// Skips whole characters from the boundary `at` until reaching `target` or passing it; eight
// one-byte characters at a time while there are.
const char* AdvanceBoundary(const char* at, const char* target, const char* end) noexcept {
    while (at < target) {
        if (target - at >= 8 && (Load8(at) & kHighBits) == 0) {
            at += 8;
            continue;
        }
        const auto c = static_cast<unsigned char>(*at);
        at += (IsSjisLeadByte(c) && at + 1 < end &&
               IsSjisTrailByte(static_cast<unsigned char>(at[1])))
                  ? 2
                  : 1;
    }
    return at;
}

} // namespace

RecordMatcher::RecordMatcher(std::string_view query, FindColumns columns)
    : m_query(AsciiUpper(query)), m_columns(columns) {
    if (m_query.empty())
        return;
    m_first = static_cast<unsigned char>(m_query[0]);
    m_firstOther =
        (m_first >= 'A' && m_first <= 'Z') ? static_cast<unsigned char>(m_first + 0x20) : m_first;
}

bool RecordMatcher::MatchesAt(const char* at, const char* end) const noexcept {
    // Character by character through the text: a double-byte character must equal the query's
    // two bytes as they are, a one-byte character the query's byte once folded. A query ending
    // in half a character therefore never matches the whole character.
    const std::size_t n = m_query.size();
    std::size_t j = 0;
    const char* p = at;
    while (j < n) {
        if (p >= end)
            return false;
        const auto c = static_cast<unsigned char>(*p);
        if (IsSjisLeadByte(c) && p + 1 < end && IsSjisTrailByte(static_cast<unsigned char>(p[1]))) {
            if (j + 1 >= n || m_query[j] != p[0] || m_query[j + 1] != p[1])
                return false;
            p += 2;
            j += 2;
        } else {
            if (static_cast<unsigned char>(m_query[j]) != FoldAsciiLetter(c))
                return false;
            ++p;
            ++j;
        }
    }
    return true;
}

bool RecordMatcher::TextMatches(std::string_view text) const noexcept {
    const std::size_t n = m_query.size();
    if (n == 0)
        return true;
    if (text.size() < n)
        return false;
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* const lastStart = end - n + 1; // one past the last place a match can begin
    const char* boundary = begin;              // always the start of a character
    const char* p = begin;
    while (p < lastStart) {
        const char* candidate = FindEither(p, lastStart, m_first, m_firstOther);
        if (candidate == lastStart)
            return false;
        // Only a candidate that starts a character counts: the same byte as the second half of
        // a double-byte character is another character altogether.
        boundary = AdvanceBoundary(boundary, candidate, end);
        if (boundary == candidate && MatchesAt(candidate, end))
            return true;
        p = candidate + 1;
    }
    return false;
}

bool RecordMatcher::RecordMatches(const RecordCells& cells, std::size_t record) const {
    if (m_query.empty())
        return true;
    return (m_columns.name && TextMatches(cells.Cell(record, GridColumn::Name))) ||
           (m_columns.address && TextMatches(cells.Cell(record, GridColumn::Address))) ||
           (m_columns.remark && TextMatches(cells.Cell(record, GridColumn::Remark)));
}

std::vector<std::size_t> MatchingRecords(const RecordCells& cells, const RecordMatcher& matcher) {
    std::vector<std::size_t> found;
    const std::size_t count = cells.Count();
    if (matcher.MatchesEverything()) {
        found.resize(count);
        for (std::size_t r = 0; r < count; ++r)
            found[r] = r;
        return found;
    }
    for (std::size_t r = 0; r < count; ++r) {
        if (matcher.RecordMatches(cells, r))
            found.push_back(r);
    }
    return found;
}

std::vector<std::size_t> MatchingRecords(const RecordCells& cells, const RecordMatcher& matcher,
                                         std::span<const std::size_t> candidates) {
    std::vector<std::size_t> found;
    found.reserve(matcher.MatchesEverything() ? candidates.size() : 0);
    for (std::size_t r : candidates) {
        if (r < cells.Count() && matcher.RecordMatches(cells, r))
            found.push_back(r);
    }
    return found;
}

std::optional<std::size_t> NextMatchingRecord(const RecordCells& cells,
                                              const RecordMatcher& matcher, std::size_t from,
                                              FindDirection direction) {
    const std::size_t count = cells.Count();
    if (count == 0)
        return std::nullopt;
    // Step i of the round visits from + i (or from - i), modulo count; a `from` past the end
    // stands just before record 0 (or just after the last one).
    const bool forward = direction == FindDirection::Forward;
    std::size_t r = from < count ? from : (forward ? count - 1 : 0);
    for (std::size_t i = 0; i < count; ++i) {
        if (forward)
            r = (r + 1 == count) ? 0 : r + 1;
        else
            r = (r == 0) ? count - 1 : r - 1;
        if (matcher.RecordMatches(cells, r))
            return r;
    }
    return std::nullopt;
}

} // namespace lh
