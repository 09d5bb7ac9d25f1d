#pragma once

// The local calendar fields of many instants, as platform::LocalTime gives them, at a small
// fraction of its cost: the C library takes a lock and walks the zone's rules on every call,
// which dominated the import of a hundred thousand dated bookmarks.
//
// Time is cut into spans of six hours. When a span's start and the next one's stand the same
// distance from UTC, so does every instant between them (no zone changes its offset twice within
// six hours), and its fields follow from plain calendar arithmetic. Spans holding a change are
// asked instant by instant.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <vector>

namespace lh {

class LocalClock {
public:
    // Year, month, day, hour, minute and second of `t` in local time (tm_year from 1900,
    // tm_mon from 0); the other fields are left zero.
    std::tm At(std::time_t t);
    // The local time of `t` as seconds since 1970-01-01 00:00 of the local calendar, found without
    // taking it apart into fields; empty where the zone's offset changes near `t` (then At
    // answers). A caller that keeps what it made of a day's date finds it by
    // FloorDiv(local, 86400).
    std::optional<std::int64_t> LocalSeconds(std::time_t t);

    // A stretch of universal time, [from, to), over which local time is universal time plus
    // `shift` seconds.
    struct Steady {
        std::int64_t from = 0;
        std::int64_t to = 0;
        std::int64_t shift = 0;
    };
    // The stretch around `t` that LocalSeconds answers by one offset; empty where it does not
    // answer. A caller with many nearby instants tests them against it instead of asking.
    std::optional<Steady> SteadyAround(std::time_t t);

    static std::int64_t FloorDiv(std::int64_t a, std::int64_t b) noexcept {
        const std::int64_t q = a / b;
        return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
    }

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

    // Spans whose ends stay within the range of time: the ones past are asked instant by instant.
    static constexpr std::int64_t kFirstSpan = INT64_MIN / kSpan + 1;
    static constexpr std::int64_t kLastSpan = INT64_MAX / kSpan - 1;

    std::int64_t ShiftOfSpan(std::int64_t span);
    // The offset of a steady span remembered already; empty otherwise.
    std::optional<std::int64_t> SteadyShift(std::int64_t span) const;

    std::vector<Place> m_places;
};

} // namespace lh
