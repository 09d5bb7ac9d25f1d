#include "core/DatePartPattern.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

using namespace lh;

namespace {

// A locale's date part: fields in the order of `order` ("ymd", "dmy", "mdy"), joined by `sep`,
// padded to two digits unless `padded` is false, followed by `tail`.
DatePartPattern::DatePart Locale(std::string order, std::string sep, bool padded = true,
                                 std::string tail = " ") {
    return [=](int year, int month, int day) -> std::optional<std::string> {
        const auto field = [&](char which) {
            char buf[16];
            const int v = which == 'y' ? year : which == 'm' ? month : day;
            std::snprintf(buf, sizeof buf, which == 'y' ? "%04d" : padded ? "%02d" : "%d", v);
            return std::string(buf);
        };
        return field(order[0]) + sep + field(order[1]) + sep + field(order[2]) + tail;
    };
}

} // namespace

TEST(DatePartPattern, writesEveryDayAsTheLocaleDoes) {
    struct Case {
        const char* order;
        const char* sep;
        const char* tail;
    };
    const Case cases[] = {{"ymd", "/", " "},
                          {"dmy", ".", " "},
                          {"mdy", "/", " "},
                          {"ymd", "-", "T"},
                          {"ymd", "\x94\x4E", " "}};
    for (const Case& c : cases) {
        const DatePartPattern::DatePart locale = Locale(c.order, c.sep, true, c.tail);
        const std::optional<DatePartPattern> pattern = DatePartPattern::Learn(locale);
        ASSERT_TRUE(pattern.has_value()) << c.order << c.sep;
        for (const int year : {1970, 2001, 2024, 5138})
            for (int month = 1; month <= 12; month += 5)
                for (const int day : {1, 9, 10, 29, 31}) {
                    std::string made;
                    ASSERT_TRUE(pattern->Append(made, year, month, day));
                    EXPECT_EQ(made, *locale(year, month, day)) << c.order << c.sep;
                }
    }
}

TEST(DatePartPattern, refusesLocalesItCannotFollowExactly) {
    const DatePartPattern::DatePart unpadded = Locale("ymd", "/", false);
    const DatePartPattern::DatePart twoDigitYear = [](int year, int month, int day) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%02d/%02d/%02d ", year % 100, month, day);
        return std::optional<std::string>(buf);
    };
    const DatePartPattern::DatePart era = [](int year, int month, int day) {
        return std::optional<std::string>("R" + std::to_string(year - 2018) + "." +
                                          std::to_string(month) + "." + std::to_string(day));
    };
    const DatePartPattern::DatePart failing = [](int, int, int) {
        return std::optional<std::string>();
    };
    const DatePartPattern::DatePart weekday = [](int year, int month, int day) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d (%d) ", year, month, day,
                      (year + month + day) % 7);
        return std::optional<std::string>(buf);
    };
    for (const auto& locale : {unpadded, twoDigitYear, era, failing, weekday})
        EXPECT_FALSE(DatePartPattern::Learn(locale).has_value());
}

TEST(DatePartPattern, leavesYearsBeyondFourDigitsToTheLocale) {
    const std::optional<DatePartPattern> pattern = DatePartPattern::Learn(Locale("ymd", "/"));
    ASSERT_TRUE(pattern.has_value());
    std::string made = "x";
    EXPECT_FALSE(pattern->Append(made, 10000, 1, 1));
    EXPECT_FALSE(pattern->Append(made, 999, 1, 1));
    EXPECT_EQ(made, "x");
}
