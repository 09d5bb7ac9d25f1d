#include "util/Mbcs.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using namespace lh;
using namespace std::string_literals;

namespace {

// Code page 932 bytes of the characters used below.
const std::string kNichi = "\x93\xFA";  // 日
const std::string kHon = "\x96\x7B";    // 本
const std::string kGo = "\x8C\xEA";     // 語
const std::string kSmallA = "\x83\x40"; // ァ, second byte is "@"
const std::string kA = "\x83\x41";      // ア, second byte is "A"
const std::string kSo = "\x83\x5C";     // ソ, second byte is the backslash
const std::string kWideSpace = "\x81\x40";
const std::string kLoneLead = "\x83";

// A plain model of the character rules, walking one character at a time, to check the fast code
// against on random texts.
namespace model {

std::string Text(const std::string& s) {
    return s.substr(0, s.find('\0'));
}

// A lead byte and a trail byte after it, written out from the code page's byte ranges.
bool TwoByteAt(const std::string& t, std::size_t i) {
    if (i + 1 >= t.size())
        return false;
    const auto a = static_cast<unsigned char>(t[i]);
    const auto b = static_cast<unsigned char>(t[i + 1]);
    const bool lead = (a >= 0x81 && a <= 0x9F) || (a >= 0xE0 && a <= 0xFC);
    const bool trail = (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
    return lead && trail;
}

std::vector<std::size_t> Starts(const std::string& t) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < t.size();) {
        starts.push_back(i);
        i += TwoByteAt(t, i) ? 2 : 1;
    }
    return starts;
}

bool MatchAt(const std::string& t, std::size_t i, const std::string& pat) {
    if (pat.empty() || i >= t.size() || t[i] != pat[0])
        return false;
    std::size_t j = 0;
    while (i < t.size() && j < pat.size()) {
        const bool twoT = TwoByteAt(t, i);
        const bool twoP = TwoByteAt(pat, j);
        if (twoT && twoP) {
            if (t[i] != pat[j] || t[i + 1] != pat[j + 1])
                return false;
            i += 2;
            j += 2;
        } else {
            if (t[i] != pat[j])
                return false;
            ++i;
            ++j;
        }
    }
    return j >= pat.size();
}

MbcsIndex Pos(const std::string& pattern, const std::string& s, MbcsIndex start = 1) {
    const std::string t = Text(s);
    const std::string pat = Text(pattern);
    const auto starts = Starts(t);
    for (std::size_t k = static_cast<std::size_t>(start - 1); k < starts.size(); ++k)
        if (MatchAt(t, starts[k], pat))
            return static_cast<MbcsIndex>(k + 1);
    return 0;
}

std::string Upper(const std::string& s) {
    std::string r = s;
    for (std::size_t i = 0; i < r.size(); ++i) {
        if (TwoByteAt(r, i))
            ++i;
        else if (r[i] >= 'a' && r[i] <= 'z')
            r[i] = static_cast<char>(r[i] - 'a' + 'A');
    }
    return r;
}

MbcsIndex LastPos(const std::string& pattern, const std::string& s) {
    MbcsIndex last = 0;
    for (MbcsIndex r = Pos(pattern, s); r != 0; r = Pos(pattern, s, r + 1))
        last = r;
    return last;
}

std::string Copy(const std::string& s, MbcsIndex pos, MbcsIndex count) {
    const std::string t = Text(s);
    const auto starts = Starts(t);
    if (t.empty() || pos < 0 || count <= 0)
        return {};
    const std::size_t first = static_cast<std::size_t>(pos == 0 ? 0 : pos - 1);
    if (first >= starts.size())
        return {};
    const std::size_t past = std::min(starts.size(), first + static_cast<std::size_t>(count));
    const std::size_t endByte = past < starts.size() ? starts[past] : t.size();
    return t.substr(starts[first], endByte - starts[first]);
}

} // namespace model

std::string RandomText(std::mt19937& rng, std::size_t maxLen) {
    // Few distinct bytes, heavy on lead-range bytes and the bytes that hide in second positions.
    static const unsigned char alphabet[] = {0x81, 0x83, 0x9F, 0xE0, 0xFC, 0x40, 0x41, 0x5C, 'a',
                                             'b',  ' ',  0x80, 0xA0, 0x00, '<',  '"',  0x7F, 0xFD};
    std::uniform_int_distribution<std::size_t> len(0, maxLen);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 1);
    std::string s(len(rng), ' ');
    for (char& c : s)
        c = static_cast<char>(alphabet[pick(rng)]);
    // NUL is rarer, so most texts run their full length; every other text is mostly ASCII so
    // that runs of eight one-byte characters occur.
    const bool mostlyAscii = rng() % 2 == 0;
    for (char& c : s)
        if ((c == '\0' && rng() % 4 != 0) || (mostlyAscii && rng() % 8 != 0))
            c = static_cast<char>('a' + rng() % 26);
    return s;
}

} // namespace

TEST(MbcsLength, countsCharactersUpToTheFirstNul) {
    struct Case {
        std::string text;
        MbcsIndex length;
    };
    const Case cases[] = {
        {"", 0},
        {kNichi + kHon + kGo + "abc", 6},
        {"ab" + kLoneLead, 3}, // lone lead byte at the end: one character
        {"ab\0cd"s, 2},        // NUL ends the text
        {kWideSpace + kSo + "\\", 3},
        {"\xA0\xB1\xDF", 3},                         // half-width katakana are one byte each
        {"\x81\x81\x81", 2},                         // lead-range byte as second byte, then alone
        {"\x81<\x9F\"\xE0 \xFC\x3F", 8},             // no trail byte: each lead byte alone
        {"\x81\x7F\x81\xFD\x81\x40\xFC\xFC", 6},     // 0x7F and 0xFD are no trail bytes
        {"abcdefghij" + kNichi + "klmnopqrstu", 22}, // the eight-byte fast path and a pair
    };
    for (const Case& c : cases)
        EXPECT_EQ(MbcsLength(c.text), c.length) << testing::PrintToString(c.text);
}

TEST(MbcsCopy, cutsWholeCharactersWithinBounds) {
    struct Case {
        std::string text;
        MbcsIndex pos, count;
        std::string expected;
    };
    const std::string nihongo = kNichi + kHon + kGo;
    const Case cases[] = {
        {nihongo, 2, 1, kHon},
        {nihongo, 3, 5, kGo},
        {"abc", 0, 2, "ab"},
        {"abc", 2, 10, "bc"},
        {"abc", 4, 1, ""},
        {"abc", -1, 2, ""},
        {"abc", 1, 0, ""},
        {"abc", 1, -3, ""},
        {"", 1, 1, ""},
        {"ab\0cd"s, 3, 1, ""},
        {"a" + kLoneLead, 2, 1, kLoneLead},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MbcsCopy(c.text, c.pos, c.count), c.expected)
            << testing::PrintToString(c.text) << " pos " << c.pos << " count " << c.count;
        EXPECT_EQ(MbcsCopyView(c.text, c.pos, c.count), c.expected);
    }
}

TEST(MbcsPos, findsMatchesOnlyOnCharacterBoundaries) {
    struct Case {
        std::string pattern, text;
        MbcsIndex expected;
    };
    const Case cases[] = {
        {"@", kSmallA, 0}, // 0x40 is the second byte of ァ
        {"@", kSmallA + "a@b", 3},
        {"A", kA + "A", 2},    // not inside ア (0x83 0x41)
        {"\\", kSo + "\\", 2}, // not inside ソ (0x83 0x5C)
        {"@", kWideSpace + "@", 2},
        {"", "abc", 0},
        {"a", "", 0},
        {"abcd", "abc", 0},
        {"HTTP://", "http://", 0}, // no case folding
        {"HTTP://", "x" + kNichi + "HTTP://", 3},
        {"c", "abc", 3}, // pattern at the very end
        {kGo, kNichi + kHon + kGo, 3},
        {"b", "a\0b"s, 0},        // the text ends at NUL
        {"ab\0zz"s, "xab", 2},    // and so does the pattern
        {kLoneLead, "x" + kA, 2}, // a lone lead byte matches the first byte of ア
        {kA, "x" + kLoneLead, 0},
        {"\x40\x83", kSmallA + kSmallA, 0}, // straddling two characters
    };
    for (const Case& c : cases)
        EXPECT_EQ(MbcsPos(c.pattern, c.text), c.expected)
            << testing::PrintToString(c.pattern) << " in " << testing::PrintToString(c.text);
}

TEST(MbcsPos, seesMarkupAfterALeadByteWithoutTrailByte) {
    struct Case {
        std::string pattern, text;
        MbcsIndex expected;
    };
    const Case cases[] = {
        {"<", "a\x81<b", 3},    {"\"", "\xE0\"", 2},       {"\">", "u\x9F\">x", 3},
        {" ", "\xFC ", 2},      {"<", "\x81\x81\x81<", 3}, // a pair of lead bytes, then one alone
        {"<", kNichi + "<", 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MbcsPos(c.pattern, c.text), c.expected) << testing::PrintToString(c.text);
        EXPECT_EQ(MbcsFind(c.pattern, c.text, 0) == std::string::npos, c.expected == 0);
    }
    EXPECT_EQ(MbcsCharSize("\x81<", 0), 1u);
    EXPECT_EQ(MbcsCharSize("\x81\x80", 0), 2u);
    EXPECT_EQ(MbcsCopy("\x81<b", 1, 1), "\x81");
    EXPECT_EQ(MbcsRight("ab\x81\"", 1), "\"");
    EXPECT_EQ(AsciiUpper("\x81<a\x81"
                         "a"),
              "\x81<A\x81"
              "a"); // 0x81 0x61 is one character, its 'a' stays
}

TEST(MbcsPosFrom, searchesFromAStartCharacter) {
    struct Case {
        std::string pattern, text;
        MbcsIndex start, expected;
    };
    const Case cases[] = {
        {"a", "abca", 2, 4},
        {"a", "abca", 1, 1},
        {"a", "abc", 3, 0},
        {"a", "abc", 4, 0},
        {"c", "abc", 3, 3},
        {"a", "abca", 0, 1}, // below 1 counts as 1, never one before the match
        {"@", kSmallA + kSmallA + "@", 2, 3},
        {"", "abc", 1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MbcsPosFrom(c.pattern, c.text, c.start), c.expected)
            << testing::PrintToString(c.text) << " from " << c.start;
}

TEST(MbcsLastPos, findsTheLastMatchCountingOverlaps) {
    EXPECT_EQ(MbcsLastPos("aa", "aaa"), 2);
    EXPECT_EQ(MbcsLastPos(".", "a.b.c"), 4);
    EXPECT_EQ(MbcsLastPos(".", "abc"), 0);
    EXPECT_EQ(MbcsLastPos("\\", "C:\\" + kSo), 3);
    EXPECT_EQ(MbcsLastPos("", "abc"), 0);
    EXPECT_EQ(MbcsLastPos(kLoneLead, kLoneLead + "\0"s + kLoneLead), 1); // nothing after NUL
}

TEST(MbcsTailAndRight, takeCharactersFromTheEnd) {
    EXPECT_EQ(MbcsTail("abc", 3), "c");
    EXPECT_EQ(MbcsTail("abc", 4), "");
    EXPECT_EQ(MbcsTail("abc", 0), "abc");
    EXPECT_EQ(MbcsTail("abc", -1), "");
    EXPECT_EQ(MbcsTail(kNichi + kHon + kGo, 2), kHon + kGo);

    EXPECT_EQ(MbcsRight("abc", 2), "bc");
    EXPECT_EQ(MbcsRight("abc", 5), "abc");
    EXPECT_EQ(MbcsRight("abc", 3), "abc");
    EXPECT_EQ(MbcsRight("abc", 0), "");
    EXPECT_EQ(MbcsRight("C:\\" + kSo, 1), kSo); // not the backslash inside ソ
    EXPECT_EQ(MbcsRight("ab\0cd"s, 1), "b");
    // A long run of lead-range bytes before the end decides the pairing.
    EXPECT_EQ(MbcsRight(std::string(99, '\x81') + "x", 1), "\x81x");
    EXPECT_EQ(MbcsRight(std::string(100, '\x81') + "x", 1), "x");
}

TEST(MbcsTrim, dropsBlanksAtBothEndsOnly) {
    struct Case {
        std::string text, expected;
    };
    const Case cases[] = {
        {kWideSpace + " a b\t", "a b"},
        {kWideSpace + kWideSpace + kWideSpace, ""},
        {"", ""},
        {"\x7F\x01x\x7F", "x"},
        {"a" + kWideSpace + "b" + kWideSpace, "a" + kWideSpace + "b"},
        {" " + kSmallA + " ", kSmallA}, // ァ shares its first byte with the wide space
        {"\x81\x20", "\x81"},           // a space is no trail byte: 0x81 stands alone
        {"\x81\x7F", "\x81"},           // nor is DEL
        {" ab\0 "s, "ab"},
        {" " + kLoneLead, kLoneLead},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MbcsTrim(c.text), c.expected) << testing::PrintToString(c.text);

    const std::string original = "  keep  ";
    const std::string copy = original;
    EXPECT_EQ(MbcsTrim(original), "keep");
    EXPECT_EQ(original, copy);
}

TEST(MbcsLongText, positionsBeyondSixteenBitsAreExact) {
    // 70000 two-byte characters, then a marker: every search must see past character 65535.
    std::string text;
    for (int i = 0; i < 70000; ++i)
        text += kSmallA;
    text += "@end";
    EXPECT_EQ(MbcsLength(text), 70004);
    EXPECT_EQ(MbcsPos("@", text), 70001);
    EXPECT_EQ(MbcsPosFrom("@", text, 70001), 70001);
    EXPECT_EQ(MbcsPosFrom("@", text, 70002), 0);
    EXPECT_EQ(MbcsLastPos(kSmallA, text), 70000);
    EXPECT_EQ(MbcsCopy(text, 70001, 4), "@end");
    EXPECT_EQ(MbcsTail(text, 70002), "end");
    EXPECT_EQ(MbcsRight(text, 5), kSmallA + "@end");
}

TEST(MbcsFind, walksMatchesByByteOffset) {
    const std::string text = kSmallA + "@x@";
    std::vector<std::size_t> found;
    for (std::size_t at = MbcsFind("@", text, 0); at != std::string::npos;
         at = MbcsFind("@", text, at + MbcsCharSize(text, at)))
        found.push_back(at);
    EXPECT_EQ(found, (std::vector<std::size_t>{2, 4}));
    EXPECT_EQ(MbcsCharSize(text, 0), 2u);
    EXPECT_EQ(MbcsCharSize(text, 2), 1u);
    EXPECT_EQ(MbcsCharSize(text, 5), 0u);
}

TEST(AsciiUpper, foldsOnlyOneByteLetters) {
    EXPECT_EQ(AsciiUpper("http://Example.com/~a_z{}"), "HTTP://EXAMPLE.COM/~A_Z{}");
    // ャ is 0x83 0x61: its second byte is "a" and must stay, or ャ would turn into ア.
    EXPECT_EQ(AsciiUpper("\x83\x61"
                         "a"),
              "\x83\x61"
              "A");
    EXPECT_EQ(AsciiUpper("abcdefgh\x83\x61"
                         "ijklmnop"),
              "ABCDEFGH\x83\x61"
              "IJKLMNOP");
    EXPECT_EQ(AsciiUpper("\xE0\xFC`{@["), "\xE0\xFC`{@[");
}

TEST(MbcsModel, fastSearchesAgreeWithTheCharacterWalkOnRandomTexts) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 20000; ++round) {
        const std::string text = RandomText(rng, 60);
        const std::string pattern = RandomText(rng, 3);
        const MbcsIndex start = static_cast<MbcsIndex>(rng() % 8) + 1;
        const MbcsIndex count = static_cast<MbcsIndex>(rng() % 6);
        ASSERT_EQ(MbcsPos(pattern, text), model::Pos(pattern, text))
            << testing::PrintToString(pattern) << " in " << testing::PrintToString(text);
        ASSERT_EQ(MbcsPosFrom(pattern, text, start), model::Pos(pattern, text, start))
            << testing::PrintToString(pattern) << " in " << testing::PrintToString(text);
        ASSERT_EQ(MbcsLastPos(pattern, text), model::LastPos(pattern, text))
            << testing::PrintToString(pattern) << " in " << testing::PrintToString(text);
        ASSERT_EQ(MbcsLength(text), static_cast<MbcsIndex>(model::Starts(model::Text(text)).size()))
            << testing::PrintToString(text);
        ASSERT_EQ(MbcsCopy(text, start, count), model::Copy(text, start, count))
            << testing::PrintToString(text);
        const MbcsIndex len = MbcsLength(text);
        ASSERT_EQ(MbcsRight(text, count),
                  model::Copy(text, std::max<MbcsIndex>(len - count + 1, 1), count))
            << testing::PrintToString(text) << " right " << count;
        ASSERT_EQ(MbcsTail(text, start), model::Copy(text, start, len + 1))
            << testing::PrintToString(text);
        ASSERT_EQ(AsciiUpper(text), model::Upper(text)) << testing::PrintToString(text);
    }
}
