#include "util/Codec.h"

#include <gtest/gtest.h>

using namespace lh;
using namespace std::string_literals;

namespace {
struct Pair {
    std::string sjis, utf8;
};
} // namespace

TEST(Codec, convertsBothWaysByteForByte) {
    const Pair pairs[] = {
        {"", ""},
        {"http://example.com/?a=1&b=~x\\y", "http://example.com/?a=1&b=~x\\y"},
        {"\x93\xFA\x96\x7B\x8C\xEA", "日本語"},
        {"\x83\x5C\x83\x74\x83\x67", "ソフト"}, // second bytes 0x5C and others kept
        {"\x81\x40\x83\x40", "　ァ"},           // full-width space and ァ (second byte "@")
        {"\xB1\xB2\xB3", "ｱｲｳ"},                // half-width katakana
        {"\x87\x40\x87\x54", "①Ⅰ"},             // the NEC extension row
        {"\x96\xBC\x91\x4F", "名前"},
        {"a\0b"s, "a\0b"s}, // NUL is an ordinary character here
    };
    for (const Pair& p : pairs) {
        EXPECT_EQ(SjisToUtf8(p.sjis), p.utf8) << testing::PrintToString(p.sjis);
        EXPECT_EQ(Utf8ToSjis(p.utf8), p.sjis) << p.utf8;
        EXPECT_EQ(SjisToUtf8Lossy(p.sjis), p.utf8) << testing::PrintToString(p.sjis);
    }
}

TEST(Codec, refusesTextTheOtherSideCannotHold) {
    const std::string unconvertibleUtf8[] = {
        "\xF0\x9F\x98\x80", // an emoji
        "ok \xF0\x9F\x98\x80 ok",
        "\xE2\x82\xAC", // the euro sign
        "\xC3\xA9",     // é
        "\xFF\xFE",     // not UTF-8 at all
        "\xE6\x97",     // a character cut off
    };
    for (const std::string& s : unconvertibleUtf8)
        EXPECT_EQ(Utf8ToSjis(s), std::nullopt) << testing::PrintToString(s);

    const std::string brokenSjis[] = {
        "abc\x83", // a lone lead byte at the end
        "\x83",
        "\x81\x20", // a lead byte before a byte that cannot follow it
        "\xFD",     // never valid in code page 932
    };
    for (const std::string& s : brokenSjis)
        EXPECT_EQ(SjisToUtf8(s), std::nullopt) << testing::PrintToString(s);
}

TEST(Codec, lossyDisplayReplacesOnlyWhatDoesNotDecode) {
    EXPECT_EQ(SjisToUtf8Lossy("abc\x83"), "abc\xEF\xBF\xBD");
    EXPECT_EQ(SjisToUtf8Lossy("\x81\x20x"), "\xEF\xBF\xBD x"); // the space after it survives
    EXPECT_EQ(SjisToUtf8Lossy("\xFD\x93\xFA"), "\xEF\xBF\xBD日");
}

TEST(Codec, repeatedConversionsDoNotCarryStateOver) {
    // A failed conversion in the middle must not disturb the next one on the same thread.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(SjisToUtf8("\x93\xFA"), "日");
        EXPECT_EQ(SjisToUtf8("\x93"), std::nullopt);
        EXPECT_EQ(Utf8ToSjis("本"), "\x96\x7B");
        EXPECT_EQ(Utf8ToSjis("\xF0\x9F\x98\x80"), std::nullopt);
    }
}
