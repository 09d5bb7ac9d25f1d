#include "util/TextEncoding.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace lh;

namespace {

struct GuessCase {
    const char* what;
    std::string head;
    bool wholeFile;
    Charset charset;
    std::size_t bomBytes;
};

void ExpectGuesses(EncodingChoice choice, const std::vector<GuessCase>& cases) {
    for (const GuessCase& c : cases) {
        SCOPED_TRACE(c.what);
        const EncodingGuess g = GuessEncoding(choice, c.head, c.wholeFile);
        EXPECT_EQ(g.charset, c.charset);
        EXPECT_EQ(g.bomBytes, c.bomBytes);
    }
}

} // namespace

TEST(TextEncoding, automaticDetectionKeepsCodePage932Files) {
    ExpectGuesses(EncodingChoice::Auto,
                  {
                      {"empty", "", true, Charset::Cp932, 0},
                      {"ASCII", "see http://a.b/\r\n", true, Charset::Cp932, 0},
                      // "日本語のテキストです。" and half-width "ﾌｧｲﾙから追加" in code page 932.
                      {"cp932 Japanese",
                       "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67"
                       "\x82\xC5\x82\xB7\x81\x42",
                       true, Charset::Cp932, 0},
                      {"cp932 half-width kana", "\xCC\xA7\xB2\xD9\x82\xA9\x82\xE7\x92\xC7\x89\xC1",
                       true, Charset::Cp932, 0},
                      {"cp932 half-width kana alone, valid EUC-JP by accident",
                       "\xCC\xA7\xB2\xD9 \xC3\xDE", true, Charset::Cp932, 0},
                      {"cp932 cut in a character at the end of the head", "\x93\xFA\x96", false,
                       Charset::Cp932, 0},
                      {"binary", std::string("\x80\xFF\0\x01\xA0\xFD", 6), true, Charset::Cp932, 0},
                  });
}

TEST(TextEncoding, automaticDetectionFindsOtherEncodings) {
    ExpectGuesses(
        EncodingChoice::Auto,
        {
            {"UTF-8 mark", "\xEF\xBB\xBFhttp://a", true, Charset::Utf8, 3},
            {"UTF-16LE mark", std::string("\xFF\xFEh\0", 4), true, Charset::Utf16Le, 2},
            {"UTF-16BE mark", std::string("\xFE\xFF\0h", 4), true, Charset::Utf16Be, 2},
            // "あhttp://example.com/a" with the kana in UTF-8: reads as code page 932 too.
            {"UTF-8 kana before an address", "\xE3\x81\x82http://example.com/a\r\n\xE3\x81\x84x",
             true, Charset::Utf8, 0},
            {"UTF-8 cut in a character at the end of the head", "\xE6\x97\xA5\xE6\x9C\xAC\xE8",
             false, Charset::Utf8, 0},
            {"UTF-8 cut at the end of the whole file is not UTF-8", "a\xE6\x97", true,
             Charset::Cp932, 0},
            // "日本語のテキストです" in EUC-JP.
            {"EUC-JP",
             "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xA5\xC6\xA5\xAD\xA5\xB9\xA5\xC8\xA4\xC7"
             "\xA4\xB9",
             true, Charset::EucJp, 0},
            {"ISO-2022-JP", "Subject: x\r\n\x1B$B$3$s$K$A$O\x1B(B\r\n", true, Charset::Iso2022Jp,
             0},
        });
}

TEST(TextEncoding, aFixedChoiceOnlyLearnsTheByteOrder) {
    struct Case {
        EncodingChoice choice;
        std::string head;
        Charset charset;
        std::size_t bomBytes;
    };
    const std::vector<Case> cases = {
        {EncodingChoice::Cp932, "\xEF\xBB\xBFx", Charset::Cp932, 0},
        {EncodingChoice::Utf8, "\xEF\xBB\xBFx", Charset::Utf8, 3},
        {EncodingChoice::Utf8, "\x82\xA0", Charset::Utf8, 0},
        {EncodingChoice::Utf16, std::string("h\0", 2), Charset::Utf16Le, 0},
        {EncodingChoice::Utf16, "\xFE\xFF", Charset::Utf16Be, 2},
        {EncodingChoice::EucJp, "\xEF\xBB\xBF", Charset::EucJp, 0},
        {EncodingChoice::Iso2022Jp, "x", Charset::Iso2022Jp, 0},
    };
    for (const Case& c : cases) {
        const EncodingGuess g = GuessEncoding(c.choice, c.head, true);
        EXPECT_EQ(g.charset, c.charset) << EncodingChoiceName(c.choice);
        EXPECT_EQ(g.bomBytes, c.bomBytes) << EncodingChoiceName(c.choice);
    }
}

TEST(TextEncoding, choiceNamesGoBothWays) {
    for (EncodingChoice c :
         {EncodingChoice::Auto, EncodingChoice::Cp932, EncodingChoice::Utf8, EncodingChoice::Utf16,
          EncodingChoice::EucJp, EncodingChoice::Iso2022Jp})
        EXPECT_EQ(EncodingChoiceNamed(EncodingChoiceName(c)), c);
    EXPECT_EQ(EncodingChoiceNamed("UTF-8"), EncodingChoice::Utf8);
    EXPECT_EQ(EncodingChoiceNamed("latin-1"), std::nullopt);
    EXPECT_EQ(EncodingChoiceNamed(""), std::nullopt);
}
