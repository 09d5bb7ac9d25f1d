#include "platform/WideText.h"

#include <gtest/gtest.h>
#include <string>

using namespace lh::platform;

namespace {

std::wstring Units(std::initializer_list<unsigned> units) {
    std::wstring w;
    for (const unsigned u : units)
        w += static_cast<wchar_t>(u);
    return w;
}

TEST(WideText, convertsEveryScriptBothWays) {
    struct Case {
        std::string utf8;
        std::wstring wide;
    };
    const Case cases[] = {
        {"", {}},
        {"C:\\a.htm", Units({'C', ':', '\\', 'a', '.', 'h', 't', 'm'})},
        {"資料\\メモ.txt", Units({0x8CC7, 0x6599, '\\', 0x30E1, 0x30E2, '.', 't', 'x', 't'})},
        {"é한", Units({0xE9, 0xD55C})},
        {"\xF0\x9F\x98\x80", Units({0xD83D, 0xDE00})}, // outside the basic plane: a pair
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.utf8;
        EXPECT_EQ(WideToUtf8(c.wide), c.utf8) << c.utf8;
    }
}

// Windows file names may hold a lone surrogate; such a name must come back to the same file.
TEST(WideText, loneSurrogatesSurviveTheRoundTrip) {
    for (const std::wstring& wide :
         {Units({'a', 0xD800, 'b'}), Units({0xDC00}), Units({0xDE00, 0xD83D})}) {
        const std::string utf8 = WideToUtf8(wide);
        EXPECT_EQ(Utf8ToWide(utf8), wide);
    }
}

TEST(WideText, bytesThatFormNoCharacterBecomeReplacements) {
    EXPECT_EQ(Utf8ToWide("a\xFF"
                         "b"),
              Units({'a', 0xFFFD, 'b'}));
    EXPECT_EQ(Utf8ToWide("\xE3\x81"), Units({0xFFFD, 0xFFFD})); // cut off
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), Units({0xFFFD, 0xFFFD})); // overlong "/"
    // A path character never swallows the separator after it.
    EXPECT_EQ(Utf8ToWide("\xE3\\x"), Units({0xFFFD, '\\', 'x'}));
}

} // namespace
