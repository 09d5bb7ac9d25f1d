#include "util/Placement.h"

#include "TestEnvironment.h"
#include "util/MemorySettingsStore.h"

#include <gtest/gtest.h>

using namespace lh;

TEST(Placement, placedCoordinate_usesValuesOnScreenAndCentresTheRest) {
    struct Case {
        std::int32_t stored;
        int screen;
        int window;
        int expected;
    };
    const Case cases[] = {
        {0, 768, 300, 0},        // top edge is on screen
        {767, 768, 300, 767},    // last pixel row
        {768, 768, 300, 234},    // equal to the screen size: centred
        {-1, 768, 300, 234},     // nothing stored
        {-5000, 1024, 101, 461}, // (1024 - 101) / 2 = 461.5, toward zero
        {5000, 800, 1000, -100}, // window larger than the screen
        {-1, 800, 803, -1},      // -1.5 rounds toward zero, not down
        {INT32_MAX, 1, INT32_MIN + 1, 1073741824},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlacedCoordinate(c.stored, c.screen, c.window), c.expected)
            << c.stored << " on " << c.screen << " for " << c.window;
}

TEST(Placement, restore_readsEachWindowsOwnKeys) {
    MemorySettingsStore settings;
    const Extent screen{1920, 1080};
    const Extent window{400, 300};

    WindowPosition p = RestorePlacement(settings, keys::kAboutPlacement, screen, window);
    EXPECT_EQ(p.top, 390);
    EXPECT_EQ(p.left, 760);

    ASSERT_TRUE(keys::kAboutTop.Write(settings, 15));
    ASSERT_TRUE(keys::kAboutLeft.Write(settings, 1920));
    p = RestorePlacement(settings, keys::kAboutPlacement, screen, window);
    EXPECT_EQ(p.top, 15);
    EXPECT_EQ(p.left, 760);

    // Another window's keys are untouched by the about box's.
    p = RestorePlacement(settings, keys::kSetBarPlacement, screen, window);
    EXPECT_EQ(p.top, 390);
}

TEST(Placement, store_writesTopAndLeftForTheNextRestore) {
    MemorySettingsStore settings;
    EXPECT_TRUE(StorePlacement(settings, keys::kSetOtherPlacement, {120, 340}));
    EXPECT_EQ(keys::kSetOtherTop.Read(settings), 120);
    EXPECT_EQ(keys::kSetOtherLeft.Read(settings), 340);
    const WindowPosition p =
        RestorePlacement(settings, keys::kSetOtherPlacement, {1024, 768}, {200, 100});
    EXPECT_EQ(p.top, 120);
    EXPECT_EQ(p.left, 340);

    // A window moved off the top-left is stored as it is and centred on the next start.
    EXPECT_TRUE(StorePlacement(settings, keys::kMainPlacement, {-8, -8}));
    EXPECT_EQ(keys::kMainTop.Read(settings), -8);
    const WindowPosition main =
        RestorePlacement(settings, keys::kMainPlacement, {1024, 768}, {200, 100});
    EXPECT_EQ(main.top, 334);
    EXPECT_EQ(main.left, 412);
}
