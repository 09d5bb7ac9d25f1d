#include "LocalClock.h"

#include "platform/Locale.h"

namespace lh {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) noexcept {
    y -= m <= 2;
    const std::int64_t era = LocalClock::FloorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, std::tm& tm) noexcept {
    z += 719468;
    const std::int64_t era = LocalClock::FloorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = yoe + era * 400 + (m <= 2);
    tm.tm_year = static_cast<int>(y - 1900);
    tm.tm_mon = static_cast<int>(m - 1);
    tm.tm_mday = static_cast<int>(d);
}

// The local fields of `t` read as if they were UTC, minus `t`: the zone's offset, plus any leap
// seconds the zone counts.
std::int64_t ShiftAt(std::int64_t t) {
    const std::tm tm = platform::LocalTime(static_cast<std::time_t>(t));
    const std::int64_t local =
        DaysFromCivil(tm.tm_year + 1900LL, tm.tm_mon + 1, tm.tm_mday) * 86400 +
        tm.tm_hour * 3600LL + tm.tm_min * 60LL + tm.tm_sec;
    return local - t;
}

} // namespace

std::int64_t LocalClock::ShiftOfSpan(std::int64_t span) {
    if (m_places.empty())
        m_places.resize(kPlaces);
    Place& place = m_places[static_cast<std::size_t>(span) & (kPlaces - 1)];
    if (place.span != span) {
        place.span = span;
        place.shift = kMixed;
        // The span is steady when its start and the next span's start stand the same distance
        // from UTC. A steady neighbour already knows the offset at the boundary it shares with
        // this span, which halves the zone lookups of a run of consecutive spans.
        if (span > kFirstSpan && span < kLastSpan) {
            const std::int64_t first = span * kSpan;
            const std::optional<std::int64_t> before = SteadyShift(span - 1);
            const std::optional<std::int64_t> after = SteadyShift(span + 1);
            const std::int64_t start = before ? *before : ShiftAt(first);
            if (start == (after ? *after : ShiftAt(first + kSpan)))
                place.shift = start;
        }
    }
    return place.shift;
}

std::optional<std::int64_t> LocalClock::SteadyShift(std::int64_t span) const {
    const Place& place = m_places[static_cast<std::size_t>(span) & (kPlaces - 1)];
    if (place.span != span || place.shift == kMixed)
        return std::nullopt;
    return place.shift;
}

std::optional<std::int64_t> LocalClock::LocalSeconds(std::time_t t) {
    const auto when = static_cast<std::int64_t>(t);
    const std::int64_t shift = ShiftOfSpan(FloorDiv(when, kSpan));
    if (shift == kMixed)
        return std::nullopt;
    return when + shift;
}

std::optional<LocalClock::Steady> LocalClock::SteadyAround(std::time_t t) {
    const std::int64_t span = FloorDiv(static_cast<std::int64_t>(t), kSpan);
    const std::int64_t shift = ShiftOfSpan(span);
    // Steady spans lie within kFirstSpan..kLastSpan, whose ends do not overflow.
    if (shift == kMixed)
        return std::nullopt;
    return Steady{span * kSpan, span * kSpan + kSpan, shift};
}

std::tm LocalClock::At(std::time_t t) {
    const auto when = static_cast<std::int64_t>(t);
    const std::int64_t shift = ShiftOfSpan(FloorDiv(when, kSpan));
    if (shift == kMixed) {
        const std::tm full = platform::LocalTime(t);
        std::tm tm{};
        tm.tm_year = full.tm_year;
        tm.tm_mon = full.tm_mon;
        tm.tm_mday = full.tm_mday;
        tm.tm_hour = full.tm_hour;
        tm.tm_min = full.tm_min;
        tm.tm_sec = full.tm_sec;
        return tm;
    }
    const std::int64_t local = when + shift;
    const std::int64_t days = FloorDiv(local, 86400);
    const std::int64_t seconds = local - days * 86400;
    std::tm tm{};
    CivilFromDays(days, tm);
    tm.tm_hour = static_cast<int>(seconds / 3600);
    tm.tm_min = static_cast<int>(seconds / 60 % 60);
    tm.tm_sec = static_cast<int>(seconds % 60);
    return tm;
}

} // namespace lh
