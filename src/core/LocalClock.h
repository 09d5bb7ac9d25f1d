#pragma once

// The local calendar fields of many instants, as platform::LocalTime gives them, at a small
// fraction of its cost: the C library takes a lock and walks the zone's rules on every call,
// which dominated the import of a hundred thousand dated bookmarks.
//
// Time is cut into spans of six hours. When both ends of a span stand the same distance from
// UTC, so does every instant inside it (no zone changes its offset twice within six hours), and
// its fields follow from plain calendar arithmetic. Spans holding a change are asked instant by
// instant.

#include <cstdint>
#include <ctime>
#include <unordered_map>

namespace lh {

class LocalClock {
public:
    // Year, month, day, hour, minute and second of `t` in local time (tm_year from 1900,
    // tm_mon from 0); the other fields are left zero.
    std::tm At(std::time_t t);

private:
    static constexpr std::int64_t kSpan = 6 * 3600;
    static constexpr std::int64_t kMixed = INT64_MIN; // the offset changes within the span

    std::int64_t ShiftOfSpan(std::int64_t span);

    // Local minus universal seconds of each span met so far, or kMixed.
    std::unordered_map<std::int64_t, std::int64_t> m_shifts;
    std::int64_t m_lastSpan = kMixed;
    std::int64_t m_lastShift = 0;
};

} // namespace lh
