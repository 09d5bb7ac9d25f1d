#include "platform/Locale.h"
#include "platform/linux/TimeFormatParts.h"

#include <ctime>
#include <gtest/gtest.h>

using namespace lh::platform;

TEST(FieldSeparator, takesTheMarkBetweenNumericFields) {
    struct Case {
        const char* format;
        std::string separator;
    };
    const Case cases[] = {
        {"%m/%d/%y", "/"},
        {"%d.%m.%Y", "."},
        {"%Y-%m-%d", "-"},
        {"%F", "-"},
        {"%D", "/"},
        {"%a %d.%m.%Y", "."},  // a weekday before the date does not count
        {"%Y年%m月%d日", "?"}, // different marks: no separator
        {"%Y년 %m월 %d일", "?"},
        {"%H:%M:%S", ":"},
        {"%T", ":"},
        {"%r", ":"},
        {"%H.%M.%S", "."},
        {"%H時%M分%S秒", "?"},
        {"%-d/%-m/%Ey", "/"}, // flags and modifiers are part of the field
        {"%Y%m%d", "?"},
        {"", "?"},
        {"%d %B %Y", "?"}, // month as a word
    };
    for (const Case& c : cases)
        EXPECT_EQ(FieldSeparator(c.format, "?"), c.separator) << c.format;
}

TEST(DateFieldOrder, readsTheOrderOfDayMonthAndYear) {
    EXPECT_EQ(DateFieldOrder("%m/%d/%y"), DateOrder::MonthDayYear);
    EXPECT_EQ(DateFieldOrder("%d.%m.%Y"), DateOrder::DayMonthYear);
    EXPECT_EQ(DateFieldOrder("%Y年%m月%d日"), DateOrder::YearMonthDay);
    EXPECT_EQ(DateFieldOrder("%F"), DateOrder::YearMonthDay);
    EXPECT_EQ(DateFieldOrder("%e %b %Y"), DateOrder::DayMonthYear);
    EXPECT_EQ(DateFieldOrder("nonsense"), DateOrder::YearMonthDay);
}

// The tests run in the C.UTF-8 locale with TZ=UTC.
TEST(LocaleFormats, neutralLocaleGivesTheProgramsOwnForms) {
    const LocaleFormats f = CurrentLocaleFormats();
    EXPECT_EQ(f.thousandsSeparator, ",");
    EXPECT_EQ(f.decimalSeparator, ".");
    EXPECT_EQ(f.dateSeparator, "/");
    EXPECT_EQ(f.timeSeparator, ":");
    EXPECT_EQ(WeekdayAbbreviation(0), "Sun");
    EXPECT_EQ(WeekdayAbbreviation(3), "Wed");
    EXPECT_EQ(WeekdayAbbreviation(7), "");

    std::tm tm{};
    tm.tm_year = 126;
    tm.tm_mon = 11;
    tm.tm_mday = 7;
    tm.tm_hour = 9;
    tm.tm_min = 5;
    tm.tm_sec = 8;
    const std::time_t t = ::timegm(&tm);
    EXPECT_EQ(ShortDateLongTime(t), "2026/12/07 9:05:08");
    EXPECT_EQ(LocalTime(t).tm_wday, 1);
}
