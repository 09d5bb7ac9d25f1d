#include "core/DisplayFont.h"

#include "TestEnvironment.h"
#include "util/MemorySettingsStore.h"
#include "util/SettingKeys.h"

#include <gtest/gtest.h>

using namespace lh;

TEST(DisplayFont, rescale_truncatesAndNeverDividesByZero) {
    struct Case {
        int width, newSize, oldSize, expected;
    };
    const Case cases[] = {
        {100, 12, 10, 120},
        {120, 10, 12, 100},
        {35, 11, 10, 38},
        {38, 10, 11, 34},
        {100, 12, 0, 100},
        {100, 12, -3, 100},
        // Stored widths and sizes may be anything; the result stays a width a screen can show.
        {INT32_MAX, 512, 1, keys::kMaxStoredWidth},
        {16000, 512, 1, keys::kMaxStoredWidth},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RescaleColumnWidth(c.width, c.newSize, c.oldSize), c.expected)
            << c.width << " from " << c.oldSize << " to " << c.newSize;
}

TEST(DisplayFont, storedFont_readsDefaultsFlagsOnlyWhenOneAndSizeZeroAsDefault) {
    MemorySettingsStore settings;
    StoredFont font = ReadStoredFont(settings);
    EXPECT_EQ(font.name, "System");
    EXPECT_EQ(font.size, 10);
    EXPECT_EQ(font.color, keys::kFontColor.def);
    EXPECT_TRUE(IsSystemColor(font.color));
    EXPECT_FALSE(font.bold || font.italic || font.underline || font.strikeOut);

    keys::kFontBold.Write(settings, 2);
    keys::kFontStrikeOut.Write(settings, 1);
    keys::kFontSize.Write(settings, 0);
    font = ReadStoredFont(settings);
    EXPECT_FALSE(font.bold);
    EXPECT_TRUE(font.strikeOut);
    EXPECT_EQ(font.size, 10);

    font.name = "IPAGothic";
    font.size = 14;
    font.color = 0x0000FF; // red
    font.italic = true;
    WriteStoredFont(settings, font);
    const StoredFont back = ReadStoredFont(settings);
    EXPECT_EQ(back.name, "IPAGothic");
    EXPECT_EQ(back.size, 14);
    EXPECT_EQ(back.color, 0x0000FF);
    EXPECT_FALSE(IsSystemColor(back.color));
    EXPECT_EQ(keys::kFontItalic.Read(settings), 1);
    EXPECT_EQ(keys::kFontBold.Read(settings), 0);
}

TEST(DisplayFont, storedSize_isKeptWithinWhatTheFontDialogOffers) {
    MemorySettingsStore settings;
    struct Case {
        std::int32_t stored, expected;
    };
    const Case cases[] = {
        {INT32_MAX, keys::kMaxFontSize},
        {keys::kMaxFontSize + 1, keys::kMaxFontSize},
        {keys::kMaxFontSize, keys::kMaxFontSize},
        {1, 1},
        {INT32_MIN, 10},
    };
    for (const Case& c : cases) {
        keys::kFontSize.Write(settings, c.stored);
        EXPECT_EQ(ReadStoredFont(settings).size, c.expected) << c.stored;
    }
}
