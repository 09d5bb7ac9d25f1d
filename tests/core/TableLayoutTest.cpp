#include "core/TableLayout.h"

#include "core/ProgressModel.h"
#include "util/SettingKeys.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>

using namespace lh;

TEST(TableLayout, columnWidths_scaleDefaultsWithTheFontAndKeepStoredOnes) {
    struct Case {
        int pointSize;
        int stored;
        int expected[5];
    };
    const Case cases[] = {
        {10, 0, {38, 111, 277, 133, 111}},  {9, 0, {35, 100, 250, 120, 100}},
        {12, -5, {46, 133, 333, 160, 133}}, {10, 1, {1, 1, 1, 1, 1}},
        {10, 70, {70, 70, 70, 70, 70}},
    };
    for (const Case& c : cases)
        for (int col = 0; col < 5; ++col)
            EXPECT_EQ(ColumnWidthFor(col, c.stored, c.pointSize), c.expected[col])
                << "size " << c.pointSize << " stored " << c.stored << " column " << col;
}

TEST(TableLayout, rowHeight_isTwiceThePointSize) {
    EXPECT_EQ(RowHeightForFont(10), 20);
    EXPECT_EQ(RowHeightForFont(9), 18);
    EXPECT_EQ(RowHeightForFont(11), 22);
}

TEST(TableLayout, absurdSizesAndWidths_giveSizesAScreenCanShow) {
    const int largestRow = 2 * keys::kMaxFontSize;
    EXPECT_EQ(RowHeightForFont(INT32_MAX), largestRow);
    EXPECT_EQ(RowHeightForFont(INT32_MIN), 2);
    EXPECT_EQ(ColumnWidthFor(2, INT32_MAX, 10), keys::kMaxStoredWidth);
    EXPECT_EQ(ColumnWidthFor(0, keys::kMaxStoredWidth + 1, 10), keys::kMaxStoredWidth);
    for (int col = 0; col < 5; ++col)
        EXPECT_EQ(ColumnWidthFor(col, 0, INT32_MAX),
                  keys::kMaxFontSize * keys::kCellBaseWidth[col] / 9)
            << "column " << col;
}

TEST(TableLayout, positionText_rightAlignsRowAndColumnInFivePlaces) {
    EXPECT_EQ(CellPositionText(3, 2), "    3:    2");
    EXPECT_EQ(CellPositionText(0, 0), "    0:    0");
    EXPECT_EQ(CellPositionText(1234567, 4), "1234567:    4");
}

TEST(ProgressModel, maximumOfZeroOrLess_standsForAThousand) {
    ProgressModel m;
    for (std::int64_t max : {0LL, -5LL}) {
        m.Start(max);
        EXPECT_EQ(m.Maximum(), 1000);
        EXPECT_EQ(m.Position(), 0);
        EXPECT_EQ(m.Percent(), 0);
    }
}

TEST(ProgressModel, position_staysWithinTheRange) {
    ProgressModel m;
    m.Start(10);
    m.Step(7);
    EXPECT_EQ(m.Percent(), 70);
    m.Step(5); // a last line without a line end overshoots by 2
    EXPECT_EQ(m.Position(), 10);
    EXPECT_EQ(m.Percent(), 100);
    m.Step(std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(m.Position(), 10);
    m.Step(-4);
    EXPECT_EQ(m.Position(), 6);
    m.Step(std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(m.Position(), 0);
}

TEST(ProgressModel, percent_truncates) {
    ProgressModel m;
    m.Start(3);
    m.Step(1);
    EXPECT_EQ(m.Percent(), 33);
    m.Step(1);
    EXPECT_EQ(m.Percent(), 66);
}

TEST(ProgressModel, filesBeyondTheToolkitsRange_stillFillTheBar) {
    ProgressModel m;
    const std::int64_t fiveGiB = 5LL << 30;
    m.Start(fiveGiB);
    EXPECT_LE(m.BarMaximum(), std::numeric_limits<int>::max());
    m.Step(fiveGiB / 2);
    EXPECT_EQ(m.Percent(), 50);
    EXPECT_EQ(m.BarValue(), m.BarMaximum() / 2);
    m.Step(fiveGiB);
    EXPECT_EQ(m.BarValue(), m.BarMaximum());
    EXPECT_EQ(m.Percent(), 100);
}

TEST(ProgressModel, stripLayout_followsTheClientWidth) {
    const StripLayout withLabel = LayoutStrip(427, true, 0);
    EXPECT_EQ(withLabel.barWidth, 213);
    EXPECT_EQ(withLabel.labelLeft, 221);
    EXPECT_EQ(LayoutStrip(427, false, 0).barWidth, 427);
    EXPECT_EQ(LayoutStrip(427, false, 3).barWidth, 421);
    EXPECT_EQ(LayoutStrip(1, false, 3).barWidth, 0);
}
