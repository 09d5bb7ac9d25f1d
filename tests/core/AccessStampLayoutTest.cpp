#include "core/AccessStampLayout.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

using lh::AccessStampLayout;
using Fields = AccessStampLayout::Fields;

namespace {

struct Reading {
    std::string stamp;
    std::optional<Fields> fields;
};

struct LocaleCase {
    const char* what;
    std::string morning; // the stamps of 2033-11-22 1:44:55 and 13:44:55
    std::string afternoon;
    std::vector<Reading> readings;
};

TEST(AccessStampLayout, stampsOfEveryLayoutAreReadBackAsTheirTimes) {
    const std::vector<LocaleCase> cases = {
        {"month first, twelve-hour clock",
         "11/22/2033 1:44:55 AM",
         "11/22/2033 1:44:55 PM",
         {{"5/1/2024 12:05:08 AM", Fields{2024, 5, 1, 0, 5, 8}},
          {"5/1/2024 12:05:08 PM", Fields{2024, 5, 1, 12, 5, 8}},
          {"5/1/2024 9:05:08 PM", Fields{2024, 5, 1, 21, 5, 8}},
          {"5/1/2024 13:05:08 PM", std::nullopt},
          {"5/1/2024 9:05:08", std::nullopt},
          {"2024/05/01 9:05:08", std::nullopt}}},
        {"day first with dots, 24-hour clock",
         "22.11.2033 01:44:55",
         "22.11.2033 13:44:55",
         {{"01.05.2024 21:05:08", Fields{2024, 5, 1, 21, 5, 8}},
          {"01.05.2024 21:05", std::nullopt}}},
        {"year first, marks before the clock in Japanese",
         "2033/11/22 午前 1:44:55",
         "2033/11/22 午後 1:44:55",
         {{"2024/05/01 午後 9:05:08", Fields{2024, 5, 1, 21, 5, 8}},
          {"2024/05/01 午前 9:05:08", Fields{2024, 5, 1, 9, 5, 8}},
          {"2024/05/01 夜 9:05:08", std::nullopt}}},
        {"two-digit year",
         "22/11/33 01:44:55",
         "22/11/33 13:44:55",
         {{"01/05/24 09:05:08", Fields{2024, 5, 1, 9, 5, 8}},
          {"01/05/99 09:05:08", Fields{1999, 5, 1, 9, 5, 8}},
          {"01/05/2024 09:05:08", std::nullopt}}},
    };
    for (const LocaleCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<AccessStampLayout> layout =
            AccessStampLayout::Learn(c.morning, c.afternoon);
        ASSERT_TRUE(layout.has_value());
        for (const Reading& r : c.readings)
            EXPECT_EQ(layout->Read(r.stamp), r.fields) << r.stamp;
    }
}

TEST(AccessStampLayout, stampsThatCannotBeReadBackTeachNothing) {
    struct Case {
        const char* what;
        std::string morning;
        std::string afternoon;
    } const cases[] = {
        {"twelve-hour clock without a mark", "11/22/2033 1:44:55", "11/22/2033 1:44:55"},
        {"no year", "11/22 1:44:55 AM", "11/22 1:44:55 PM"},
        {"a number missing, another twice", "22/22/2033 01:44:55", "22/22/2033 13:44:55"},
        {"a number too long to be a time", "2033/11/22 01:44:55.00001", "2033/11/22 13:44:55"},
        {"nothing", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AccessStampLayout::Learn(c.morning, c.afternoon), std::nullopt) << c.what;
}

} // namespace
