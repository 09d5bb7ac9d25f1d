#include "core/LocalClock.h"

#include "Portable.h"
#include "platform/Locale.h"

#include <cstdint>
#include <ctime>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

// Restores the process's time zone when a test that changed it ends.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const std::string& zone) : m_previous(lh::test::GetEnv("TZ")) {
        Use(zone);
    }
    ~TimeZoneScope() { m_previous.empty() ? lh::test::UnsetEnv("TZ") : Use(m_previous); }
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

private:
    static void Use(const std::string& zone) {
        lh::test::SetEnv("TZ", zone);
        tzset();
    }
    std::string m_previous;
};

std::string Fields(const std::tm& tm) {
    return std::to_string(tm.tm_year + 1900) + "-" + std::to_string(tm.tm_mon + 1) + "-" +
           std::to_string(tm.tm_mday) + " " + std::to_string(tm.tm_hour) + ":" +
           std::to_string(tm.tm_min) + ":" + std::to_string(tm.tm_sec);
}

// Instants spread over 1970..2100 in no order, and every second around each offset change of
// the zones below (2024 in the northern and southern rules, Sao Paulo's changes at midnight in
// 2017/2018, and Monrovia's change of 1972-01-07 00:44:30 UTC, 44 minutes and 30 seconds), so
// that spans holding a change are met both first and after their neighbours on either side.
std::vector<std::time_t> Instants() {
    std::vector<std::time_t> instants;
    std::uint64_t x = 88172645463325252ull;
    for (int i = 0; i < 20000; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        instants.push_back(static_cast<std::time_t>(x % 4102444800ull));
    }
    const std::time_t changes[] = {1710054000, 1730613600, 1711846800, 1729990800, 1712415600,
                                   1728142200, 63593070,   1508036400, 1518919200};
    for (const std::time_t change : changes)
        for (std::time_t t = change - 3 * 3600; t <= change + 3 * 3600; t += 1)
            instants.push_back(t);
    // Backwards through the days around each change: spans met after the one that follows.
    for (const std::time_t change : changes)
        for (std::time_t t = change + 2 * 86400; t >= change - 2 * 86400; t -= 1187)
            instants.push_back(t);
    return instants;
}

TEST(LocalClock, givesTheFieldsOfTheSystemsLocalTimeInEveryZone) {
    const char* const zones[] = {
        "UTC0",
        "JST-9",
        "EST5EDT,M3.2.0,M11.1.0",
        "GMT0BST,M3.5.0/1,M10.5.0",
        "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", // half an hour of summer time
        "Africa/Monrovia",
        "America/Sao_Paulo",
    };
    const std::vector<std::time_t> instants = Instants();
    for (const char* zone : zones) {
        SCOPED_TRACE(zone);
        const TimeZoneScope scope(zone);
        lh::LocalClock clock;
        int mismatches = 0;
        for (const std::time_t t : instants) {
            const std::string expected = Fields(lh::platform::LocalTime(t));
            const std::string got = Fields(clock.At(t));
            if (got != expected && ++mismatches <= 5)
                ADD_FAILURE() << "at " << t << ": " << got << " instead of " << expected;
            // Local seconds, where the clock gives them, read as UTC show the same fields.
            if (const std::optional<std::int64_t> local = clock.LocalSeconds(t)) {
                const auto asUniversal = static_cast<std::time_t>(*local);
                const std::string fields = Fields(*std::gmtime(&asUniversal));
                if (fields != expected && ++mismatches <= 5)
                    ADD_FAILURE() << "local seconds at " << t << ": " << fields << " instead of "
                                  << expected;
            }
            // The steady stretch around an instant holds it, and its offset is the one at either
            // end of it.
            if (const std::optional<lh::LocalClock::Steady> steady = clock.SteadyAround(t)) {
                const bool holds = steady->from <= t && t < steady->to &&
                                   clock.LocalSeconds(t) == t + steady->shift;
                const auto first = static_cast<std::time_t>(steady->from);
                const auto last = static_cast<std::time_t>(steady->to - 1);
                const auto firstLocal = static_cast<std::time_t>(first + steady->shift);
                const auto lastLocal = static_cast<std::time_t>(last + steady->shift);
                const bool ends =
                    Fields(*std::gmtime(&firstLocal)) == Fields(lh::platform::LocalTime(first)) &&
                    Fields(*std::gmtime(&lastLocal)) == Fields(lh::platform::LocalTime(last));
                if (!(holds && ends) && ++mismatches <= 5)
                    ADD_FAILURE() << "steady stretch around " << t << ": " << steady->from << ".."
                                  << steady->to << " by " << steady->shift;
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

} // namespace
