#pragma once

// The local calendar fields of many instants, as platform::LocalTime gives them, at a small
// fraction of its cost: the C library takes a lock and walks the zone's rules on every call,
// which dominated the import of a hundred thousand dated bookmarks.
//
// Time is cut into spans of six hours. When both ends of a span stand the same distance from
// UTC, so does every instant inside it (no zone changes its offset twice within six hours), and
// its fields follow from plain calendar arithmetic. Spans holding a change are asked instant by
// instant.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <vector>

namespace lh {

class LocalClock {
public:
    // Year, month, day, hour, minute and second of `t` in local time (tm_year from 1900,
    // tm_mon from 0); the other fields are left zero.
    std::tm At(std::time_t t);

private:
    static constexpr std::int64_t kSpan = 6 * 3600;
    static constexpr std::int64_t kMixed = INT64_MIN; // the offset changes within the span
    // Spans remembered, each in the place its number picks: 8,192 spans cover five and a half
    // years without two of them meeting.
    static constexpr std::size_t kPlaces = 8192;

    struct Place {
        std::int64_t span = kMixed; // kMixed: empty
        std::int64_t shift = 0;     // local minus universal seconds, or kMixed
    };

    std::int64_t ShiftOfSpan(std::int64_t span);

    std::vector<Place> m_places;
};

} // namespace lh
