#include "core/UsageRecord.h"

#include "TestEnvironment.h"
#include "util/MemorySettingsStore.h"
#include "util/SettingKeys.h"

#include <gtest/gtest.h>
#include <iomanip>
#include <ostream>
#include <string>

using namespace lh;

namespace {

struct FormatCase {
    double value;
    const char* text;
};

// Failure messages show the case, not its bytes.
void PrintTo(const FormatCase& c, std::ostream* out) {
    *out << std::setprecision(17) << c.value << " -> \"" << c.text << '"';
}

// A test name from the expected text: "-1.5E-6" becomes "minus1point5Eminus6".
std::string NameOfCase(const ::testing::TestParamInfo<FormatCase>& info) {
    std::string name;
    for (const char* p = info.param.text; *p; ++p) {
        if (*p == '-')
            name += "minus";
        else if (*p == '.')
            name += "point";
        else
            name += *p;
    }
    return name;
}

class GeneralNumberFormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(GeneralNumberFormatTest, writesFifteenDigitsWithoutTrailingZeros) {
    EXPECT_EQ(GeneralNumberFormat(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, GeneralNumberFormatTest,
    ::testing::Values(FormatCase{0, "0"}, FormatCase{3, "3"}, FormatCase{-3, "-3"},
                      FormatCase{3.5, "3.5"}, FormatCase{0.1, "0.1"},
                      FormatCase{3.50000000465661, "3.50000000465661"},
                      FormatCase{2.0 / 3.0, "0.666666666666667"}, FormatCase{0.00001, "0.00001"},
                      FormatCase{0.000001, "1E-6"}, FormatCase{0.0000015, "1.5E-6"},
                      FormatCase{123456789012345.0, "123456789012345"},
                      FormatCase{1234567890123456.0, "1.23456789012346E15"},
                      FormatCase{1e20, "1E20"}),
    NameOfCase);

TEST(GeneralNumberFormat, usesTheGivenDecimalSeparator) {
    EXPECT_EQ(GeneralNumberFormat(3.5, ","), "3,5");
    double v = 0;
    ASSERT_TRUE(ParseGeneralNumber("3,5", v, ","));
    EXPECT_EQ(v, 3.5);
}

TEST(GeneralNumberFormat, parseRefusesWhatIsNotANumber) {
    double v = 7;
    EXPECT_FALSE(ParseGeneralNumber("", v));
    EXPECT_FALSE(ParseGeneralNumber("abc", v));
    EXPECT_FALSE(ParseGeneralNumber("3.5h", v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(ParseGeneralNumber("1.5E-6", v));
    EXPECT_DOUBLE_EQ(v, 1.5e-6);
}

// A clock the test moves by hand.
struct FakeClock {
    DayTime now = 46000.5; // a day in 2025, noon
    UsageRecord::Clock Fn() {
        return [this] { return now; };
    }
};

class UsageRecordTest : public ::testing::Test {
protected:
    MemorySettingsStore m_settings;
    FakeClock m_clock;
};

TEST_F(UsageRecordTest, firstStart_writesCountDayVersionAndPath) {
    UsageRecord record(m_settings, m_clock.Fn());
    record.RecordStart();
    EXPECT_EQ(keys::kNumber.Read(m_settings), "1");
    EXPECT_NE(keys::kInstDay.ReadOr(m_settings, ""), "");
    EXPECT_EQ(keys::kVersion.Read(m_settings), "Tessella Tool   Ver1.00");
    EXPECT_NE(keys::kExeName.Read(m_settings), "");
    EXPECT_EQ(keys::kAllTime.ReadOr(m_settings, "none"), "none");
    EXPECT_EQ(keys::kLastEndDay.ReadOr(m_settings, "none"), "none");
    EXPECT_EQ(record.StartTime(), m_clock.now);
}

TEST_F(UsageRecordTest, threeStarts_countThreeAndKeepTheFirstDay) {
    UsageRecord first(m_settings, m_clock.Fn());
    first.RecordStart();
    const std::string instDay = keys::kInstDay.Read(m_settings);
    m_clock.now += 1;
    UsageRecord(m_settings, m_clock.Fn()).RecordStart();
    UsageRecord(m_settings, m_clock.Fn()).RecordStart();
    EXPECT_EQ(keys::kNumber.Read(m_settings), "3");
    EXPECT_EQ(keys::kInstDay.Read(m_settings), instDay);
}

TEST_F(UsageRecordTest, ninetyMinutesAfterTwoHours_storesThreeAndAHalf) {
    keys::kAllTime.Write(m_settings, "2");
    UsageRecord record(m_settings, m_clock.Fn());
    record.RecordStart();
    m_clock.now += 90.0 / (24 * 60);
    record.RecordExit();
    double total = 0;
    ASSERT_TRUE(ParseGeneralNumber(keys::kAllTime.Read(m_settings), total));
    EXPECT_NEAR(total, 3.5, 1e-9);
    EXPECT_NE(keys::kLastStartDay.ReadOr(m_settings, ""), "");
    EXPECT_NE(keys::kLastEndDay.ReadOr(m_settings, ""), "");
}

TEST_F(UsageRecordTest, clockSetBack_addsNothing) {
    keys::kAllTime.Write(m_settings, "2");
    UsageRecord record(m_settings, m_clock.Fn());
    record.RecordStart();
    m_clock.now -= 1.0 / 24;
    record.RecordExit();
    EXPECT_EQ(keys::kAllTime.Read(m_settings), "2");
}

TEST_F(UsageRecordTest, exitWithoutRecordedStart_addsNoTime) {
    keys::kAllTime.Write(m_settings, "2");
    UsageRecord record(m_settings, m_clock.Fn());
    record.RecordExit();
    EXPECT_EQ(keys::kAllTime.Read(m_settings), "2");
    EXPECT_EQ(keys::kLastStartDay.ReadOr(m_settings, "none"), "none");
}

TEST_F(UsageRecordTest, damagedStoredNumbers_countAsMissing) {
    keys::kNumber.Write(m_settings, "many");
    keys::kAllTime.Write(m_settings, "lots");
    UsageRecord record(m_settings, m_clock.Fn());
    record.RecordStart();
    EXPECT_EQ(keys::kNumber.Read(m_settings), "2");
    m_clock.now += 1.0 / 24;
    record.RecordExit();
    double total = 0;
    ASSERT_TRUE(ParseGeneralNumber(keys::kAllTime.Read(m_settings), total));
    EXPECT_NEAR(total, 1.0, 1e-9);
}

TEST(DateTimeText, leavesOutTheTimeAtMidnight) {
    const std::string midnight = DateTimeText(46000.0);
    const std::string noon = DateTimeText(46000.5);
    EXPECT_EQ(midnight.find(' '), std::string::npos);
    EXPECT_EQ(noon.rfind(midnight + " ", 0), 0u);
}

} // namespace

namespace {

TEST(DayTime, countsDaysFrom1899AndRoundTrips) {
    // The tests run with TZ=UTC, so local time is the epoch's.
    EXPECT_EQ(ToDayTime(0), 25569.0);
    EXPECT_EQ(ToDayTime(86400 + 43200), 25570.5);
    for (const std::time_t t : {std::time_t{0}, std::time_t{951782400}, std::time_t{1796601599}})
        EXPECT_EQ(FromDayTime(ToDayTime(t)), t);
}

} // namespace
