#include "util/Cp932Fit.h"

#include "util/Codec.h"

#include <gtest/gtest.h>
#include <random>

using namespace lh;

namespace {

std::string Sjis(const std::string& utf8) {
    return Utf8ToSjis(utf8).value();
}

// UTF-8 as the standard words it, one character at a time: what the check must agree with
// wherever its blocks begin and end.
bool PlainUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            ++i;
            continue;
        }
        if (b >= 0xC0 && b < 0xE0) {
            n = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b < 0xF0) {
            n = 3;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b < 0xF8) {
            n = 4;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (s.size() - i < n)
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (c & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n;
    }
    return true;
}

struct FitCase {
    const char* what;
    std::string utf8;
    std::string name; // as a name or remark (UTF-8 spelling of the cp932 result)
    std::int64_t replaced;
    std::string address; // as an address
    std::int64_t encoded;
};

} // namespace

TEST(Cp932Fit, namesGetGetaMarksAndAddressesGetPercentEncoding) {
    const FitCase cases[] = {
        {"ascii", "http://a.b/?q=1&r=~", "http://a.b/?q=1&r=~", 0, "http://a.b/?q=1&r=~", 0},
        {"japanese", "日本語ｶﾅ①", "日本語ｶﾅ①", 0, "日本語ｶﾅ①", 0},
        {"emoji", "a😀b", "a〓b", 1, "a%F0%9F%98%80b", 1},
        {"accented outside cp932", "Ünï", "〓n〓", 2, "%C3%9Cn%C3%AF", 2},
        {"hangul", "한", "〓", 1, "%ED%95%9C", 1},
        {"not utf-8",
         "a\xFF"
         "b",
         "a〓b", 1, "a%FFb", 1},
        {"cut short", "x\xE6\x97", "x〓〓", 2, "x%E6%97", 2},
    };
    for (const FitCase& c : cases) {
        std::string name;
        std::int64_t replaced = 0;
        AppendUtf8AsSjis(name, c.utf8, replaced);
        EXPECT_EQ(name, Sjis(c.name)) << c.what;
        EXPECT_EQ(replaced, c.replaced) << c.what;
        std::string address;
        std::int64_t encoded = 0;
        AppendUtf8UrlAsSjis(address, c.utf8, encoded);
        EXPECT_EQ(address, Sjis(c.address)) << c.what;
        EXPECT_EQ(encoded, c.encoded) << c.what;
    }
}

TEST(Cp932Fit, documentTextBackToUtf8CountsWhatDoesNotDecode) {
    std::int64_t lossy = 0;
    std::string out;
    AppendSjisAsUtf8(out, Sjis("名前ｱ①\\~") + "\x85\x40" + "z\x81", lossy);
    EXPECT_EQ(out, "名前ｱ①\\~\xEF\xBF\xBD@z\xEF\xBF\xBD");
    EXPECT_EQ(lossy, 2);
}

TEST(Cp932Fit, utf8CheckRejectsOverlongAndSurrogates) {
    EXPECT_TRUE(IsUtf8("plain 日本 😀"));
    EXPECT_FALSE(IsUtf8("\xC0\xAF"));     // overlong "/"
    EXPECT_FALSE(IsUtf8("\xED\xA0\x80")); // a surrogate
    EXPECT_FALSE(IsUtf8(Sjis("日本語"))); // Shift-JIS bytes
}

TEST(Cp932Fit, utf8CheckDecidesEveryThreeByteFormAsTheFullDecoderDoes) {
    struct Case {
        const char* bytes;
        bool utf8;
    };
    const Case cases[] = {
        {"\xE0\xA0\x80", true},
        {"\xE0\x9F\xBF", false}, // smallest form, overlong
        {"\xED\x9F\xBF", true},
        {"\xED\xA0\x80", false}, // below the surrogates, the first
        {"\xED\xBF\xBF", false},
        {"\xEE\x80\x80", true}, // the last surrogate, above them
        {"\xEF\xBF\xBF", true},
        {"\xE3\x81", false}, // the top, cut short
        {"\xE3\x81z", false},
        {"\xE3z\x81", false}, // an ASCII byte inside
        {"\xE3\x81\x82\xE3\x81\x84", true},
    };
    for (const Case& c : cases) {
        // Alone, and inside long ASCII text on both sides, where the check runs its fast path.
        const std::string padding(45, 'a');
        EXPECT_EQ(IsUtf8(c.bytes), c.utf8) << c.bytes;
        EXPECT_EQ(IsUtf8(padding + c.bytes + padding), c.utf8) << c.bytes;
        EXPECT_EQ(IsUtf8(padding + "日本" + c.bytes + "語" + padding), c.utf8) << c.bytes;
    }
}

TEST(Cp932Fit, utf8CheckAgreesWithTheStandardAtEveryPlaceInLongText) {
    // Each piece at every offset of a long text, so that it meets the start, the middle and the
    // end of the vector blocks, and the text's own end.
    const char* const pieces[] = {
        "\xC3\xA9",
        "\xE3\x81\x82",
        "\xF0\x9F\x98\x80",
        "\xF4\x8F\xBF\xBF",
        "\xC1\xBF",         // overlong two bytes
        "\xE0\x9F\xBF",     // overlong three
        "\xF0\x8F\xBF\xBF", // overlong four
        "\xF4\x90\x80\x80", // past U+10FFFF
        "\xF5\x80\x80\x80",
        "\xF8\x88\x80\x80\x80",
        "\xFF",
        "\xFE",
        "\xED\xA0\x80",
        "\xED\xBF\xBF", // surrogates
        "\x80",
        "\xBF\xBF", // continuations with no lead
        "\xE3\x81",
        "\xF0\x9F\x98",
        "\xC3",             // cut short
        "\xE3\x81\x82\x82", // one continuation too many
        "\xE3\xE3\x81\x82",
    };
    const std::string japanese = "あいうえお日本語のテキスト";
    for (const char* piece : pieces) {
        for (std::size_t at = 0; at < 100; ++at) {
            for (const std::string& ground :
                 {std::string(160, 'a'), japanese + japanese + japanese}) {
                std::string text = ground.substr(0, std::min(at, ground.size()));
                // Cutting the Japanese ground may leave a character short: the reference says so.
                text += piece;
                text += ground.substr(0, 100 - std::min<std::size_t>(at, 100));
                EXPECT_EQ(IsUtf8(text), PlainUtf8(text)) << piece << " at " << at;
                const std::string ending = ground.substr(0, at) + piece;
                EXPECT_EQ(IsUtf8(ending), PlainUtf8(ending)) << piece << " ending at " << at;
            }
        }
    }
}

TEST(Cp932Fit, utf8CheckAgreesWithTheStandardOnDamagedText) {
    std::mt19937 random(14);
    std::string sample;
    for (int i = 0; i < 40; ++i)
        sample += i % 3 ? "記事 の見出し &amp; 天気 " : "Article - News 😀 é ";
    for (int round = 0; round < 3000; ++round) {
        std::string text = sample.substr(random() % 64, 200 + random() % 600);
        for (unsigned k = random() % 3; k > 0; --k)
            text[random() % text.size()] = static_cast<char>(random() & 0xFF);
        EXPECT_EQ(IsUtf8(text), PlainUtf8(text)) << round;
    }
}

TEST(Cp932Fit, longConversionsGiveWhatTheirPiecesGive) {
    // Short and long texts alternate, so the room the conversions write into is grown and
    // reused, and each result is appended to what the output already holds.
    std::string piecewise;
    std::string whole;
    std::string text;
    std::int64_t replaced = 0;
    for (int k = 0; k < 200; ++k) {
        const std::string piece =
            k % 3 == 0 ? std::string(k * 50, 'x') + "日本語😀" : "名前 " + std::to_string(k) + " ｱ";
        AppendUtf8AsSjis(piecewise, piece, replaced);
        text += piece;
    }
    AppendUtf8AsSjis(whole, text, replaced);
    EXPECT_EQ(whole, piecewise);
    EXPECT_EQ(replaced, 2 * 67); // the emoji of every third piece, counted both times
}

TEST(Cp932Fit, asciiRunsOfEveryLengthBetweenOtherCharactersComeThroughWhole) {
    // The runs between two converted characters are copied a word at a time: every length
    // around the word's size, and a run that ends the text.
    for (std::size_t run = 0; run <= 19; ++run) {
        std::string ascii;
        for (std::size_t k = 0; k < run; ++k)
            ascii += static_cast<char>('a' + k % 26);
        const std::string utf8 = "日" + ascii + "本" + ascii + "ｶ" + ascii;
        std::string name;
        std::int64_t replaced = 0;
        AppendUtf8AsSjis(name, utf8, replaced);
        EXPECT_EQ(name, Sjis(utf8)) << run;
        EXPECT_EQ(replaced, 0) << run;
        std::string address;
        std::int64_t encoded = 0;
        AppendUtf8UrlAsSjis(address, "\xFF" + ascii + "😀" + ascii, encoded);
        EXPECT_EQ(address, "%FF" + ascii + "%F0%9F%98%80" + ascii) << run;
        EXPECT_EQ(encoded, 2) << run;
        std::string back;
        std::int64_t lossy = 0;
        AppendSjisAsUtf8(back, Sjis(utf8) + "\x81", lossy);
        EXPECT_EQ(back, utf8 + "\xEF\xBF\xBD") << run;
        EXPECT_EQ(lossy, 1) << run;
    }
}

TEST(Cp932Fit, everyThreeByteFormConvertsAsItsCharacterOrAsStrayBytes) {
    // Valid forms become the codec's form of their character (or "〓"); overlong forms and
    // surrogates are no character: each of their bytes becomes "〓".
    std::int64_t count = 0;
    for (unsigned lead = 0xE0; lead <= 0xEF; ++lead)
        for (unsigned second = 0x80; second <= 0xBF; second += 3)
            for (unsigned third = 0x80; third <= 0xBF; third += 7) {
                const std::string form{static_cast<char>(lead), static_cast<char>(second),
                                       static_cast<char>(third)};
                const unsigned cp = (lead & 0x0F) << 12 | (second & 0x3F) << 6 | (third & 0x3F);
                std::string expected;
                if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))
                    expected = std::string(kSjisGetaMark) + std::string(kSjisGetaMark) +
                               std::string(kSjisGetaMark);
                else
                    expected = Utf8ToSjis(form).value_or(std::string(kSjisGetaMark));
                std::string out;
                AppendUtf8AsSjis(out, "a" + form + "b", count);
                EXPECT_EQ(out, "a" + expected + "b") << std::hex << cp;
            }
}

TEST(Cp932Fit, threeByteFormsConvertAlikeWhereverTheyStand) {
    // Known kana and kanji are read four bytes at a time while four are left and the last one
    // byte by byte: each form at the text's end, before a kana, twice in a row and before ASCII
    // gives what it gives alone. Twice over, the second time with every form's answer known.
    const std::string kana = "日";
    const std::string kanaSjis = Sjis(kana);
    for (int round = 0; round < 2; ++round)
        for (unsigned lead = 0xE0; lead <= 0xEF; ++lead)
            for (unsigned second = 0x80; second <= 0xBF; second += 5)
                for (unsigned third = 0x80; third <= 0xBF; third += 11) {
                    const std::string form{static_cast<char>(lead), static_cast<char>(second),
                                           static_cast<char>(third)};
                    std::string alone;
                    std::int64_t aloneCount = 0;
                    AppendUtf8AsSjis(alone, form, aloneCount);
                    const struct {
                        std::string utf8;
                        std::string expected;
                        std::int64_t forms;
                    } placements[] = {
                        {kana + form, kanaSjis + alone, 1},
                        {form + kana, alone + kanaSjis, 1},
                        {kana + form + form, kanaSjis + alone + alone, 2},
                        {form + form + "z", alone + alone + "z", 2},
                    };
                    for (const auto& placement : placements) {
                        std::string out;
                        std::int64_t count = 0;
                        AppendUtf8AsSjis(out, placement.utf8, count);
                        EXPECT_EQ(out, placement.expected) << std::hex << lead << second << third;
                        EXPECT_EQ(count, placement.forms * aloneCount);
                    }
                }
}

TEST(Cp932Fit, conversionsInPlaceStayWithinTheirRoom) {
    // Texts that grow the most (bytes that are no UTF-8: three bytes each in an address) and
    // ASCII tails of every length, which are stored a word at a time: nothing is written past
    // the room, and the result is what the appending forms give.
    for (std::size_t n = 0; n <= 20; ++n) {
        for (const std::string& text :
             {std::string(n, '\xFF'), "日" + std::string(n, 'a'), std::string(n, 'a') + "\xFF"}) {
            for (const bool address : {false, true}) {
                const std::size_t room = Utf8AsSjisRoom(text.size());
                std::string buffer(room + 16, '#');
                std::int64_t count = 0;
                char* const end = address ? PutUtf8UrlAsSjis(buffer.data(), text, count)
                                          : PutUtf8AsSjis(buffer.data(), text, count);
                std::string expected;
                std::int64_t expectedCount = 0;
                if (address)
                    AppendUtf8UrlAsSjis(expected, text, expectedCount);
                else
                    AppendUtf8AsSjis(expected, text, expectedCount);
                EXPECT_EQ(std::string(buffer.data(), end), expected) << n;
                EXPECT_EQ(count, expectedCount) << n;
                EXPECT_EQ(buffer.substr(room), std::string(16, '#')) << n;
            }
        }
    }
}
