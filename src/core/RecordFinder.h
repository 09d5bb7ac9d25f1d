#pragma once

// Finding records by a typed query: the find bar's filter and its stepping from match to match.
// A record matches when one of the chosen columns holds the query, letter case folded the way
// the duplicate test folds it, and the match begins and ends on character boundaries: a query
// never matches across a double-byte character or inside one.

#include "RecordCells.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

// The columns a find looks in.
struct FindColumns {
    bool name = true;
    bool address = true;
    bool remark = true;
};

enum class FindDirection { Forward, Backward };

// Built once per query, then asked for every record.
class RecordMatcher {
public:
    // `query` is code page 932 text; an empty query matches every record.
    RecordMatcher(std::string_view query, FindColumns columns);

    bool MatchesEverything() const noexcept { return m_query.empty(); }
    bool TextMatches(std::string_view text) const noexcept;
    bool RecordMatches(const RecordCells& cells, std::size_t record) const;

private:
    bool MatchesAt(const char* at, const char* end) const noexcept;

    std::string m_query;            // folded
    unsigned char m_first = 0;      // the folded query's first byte ...
    unsigned char m_firstOther = 0; // ... and the byte that folds to it (the same when none)
    FindColumns m_columns;
};

// The matching records in collection order.
std::vector<std::size_t> MatchingRecords(const RecordCells& cells, const RecordMatcher& matcher);
// The matching records among `candidates`, in their order: a sorted view keeps its order, and a
// query that only grew by whole characters at its end (the same columns chosen) needs to look
// at the previous query's matches alone.
std::vector<std::size_t> MatchingRecords(const RecordCells& cells, const RecordMatcher& matcher,
                                         std::span<const std::size_t> candidates);

// The first matching record after `from` (Forward) or before it (Backward), going round past the
// end; `from` itself comes last, so a lone match is found again. A `from` past the last record
// starts before the first (Forward) or after the last (Backward). Empty when nothing matches.
std::optional<std::size_t> NextMatchingRecord(const RecordCells& cells,
                                              const RecordMatcher& matcher, std::size_t from,
                                              FindDirection direction);

} // namespace lh
