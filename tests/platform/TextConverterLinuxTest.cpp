#include "platform/linux/TextConverterLinux.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace lh::platform;

namespace {

// Converts `in` as the scan reads a file: `pieceSize` bytes arrive at a time, the unconverted
// rest of a character waits for the next piece, and the output buffer holds `outSize` bytes.
std::string ConvertInPieces(VectorLevel level, const std::string& in, std::size_t pieceSize,
                            std::size_t outSize = 4096) {
    const auto converter = OpenUnicodeToCp932(Charset::Utf8, '?', level);
    if (!converter) {
        ADD_FAILURE() << "no converter";
        return {};
    }
    std::string result;
    std::vector<char> out(outSize);
    std::size_t begin = 0; // first byte not yet converted
    std::size_t arrived = 0;
    bool stalled = false; // the start of a character waits for the rest
    for (int guard = 0; guard < 1'000'000; ++guard) {
        if ((arrived - begin < pieceSize || stalled) && arrived < in.size())
            arrived = std::min(in.size(), arrived + pieceSize);
        const bool last = arrived == in.size();
        const auto step =
            converter->Convert(in.data() + begin, arrived - begin, out.data(), out.size(), last);
        EXPECT_LE(step.produced, step.consumed);
        begin += step.consumed;
        result.append(out.data(), step.produced);
        if (last && begin == arrived)
            return result;
        stalled = step.consumed == 0 && step.produced == 0;
        if (stalled && last) {
            ADD_FAILURE() << "no progress at the end of the input";
            return result;
        }
    }
    ADD_FAILURE() << "no end";
    return result;
}

std::vector<VectorLevel> VectorLevels() {
    std::vector<VectorLevel> levels;
    for (const VectorLevel level : {VectorLevel::Avx2, VectorLevel::Avx512})
        if (level <= BestVectorLevel())
            levels.push_back(level);
    return levels;
}

// Pieces of text the fast path takes, and pieces it must leave to the careful loops.
const char* const kPieces[] = {
    "http://www.example.co.jp/dir/page.html?id=12345",
    " mailto:user@mail.example.jp ",
    "日本語の文章と漢字かなカナ",
    "「東京都」、『大阪』。",
    "　", // ideographic space
    "ａｂｃ１２３",
    "①②",               // an NEC row
    "ｱｲｳｴｵ",            // half-width kana: one byte each
    "\xC3\xA9",         // é: two bytes, not in code page 932
    "\xC2\xA7",         // §: two bytes with a two-byte form
    "\xF0\x9F\x98\x80", // four bytes
    "\xE0\xA4\x85",     // U+0905: E0 lead, no form
    "\xED\x95\x9C",     // U+D55C: ED lead, no form
    "\xE0\x80\xAF",     // overlong
    "\xE0\x82\xA7",     // overlong of a character with a form
    "\xED\xA0\x80",     // surrogate
    "\xF4\x90\x80\x80", // above U+10FFFF
    "\xF5\x80\x80\x80", // no such lead
    "\xC0\xAF",         // overlong two-byte slash
    "\xE3\x81",         // cut short
    "\xE3",             // lead alone
    "\x80\xBF",         // stray continuation bytes
    "\xEF\xBB\xBF",     // byte order mark inside the text
    "\xEF\xBF\xBF",     // noncharacter
    "\xE4\xB8\x82",     // 丂: a kanji code page 932 has no place for
    "\r\n",
    "\xFF",
};

std::string RandomText(std::mt19937& random, std::size_t pieces) {
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> often(0, 3);
    std::string text;
    for (std::size_t k = 0; k < pieces; ++k) {
        // Mostly text that mixes ASCII with Japanese, as in the scanned pages.
        const std::size_t index = often(random) != 0 ? pick(random) % 5 : pick(random);
        text += kPieces[index];
    }
    return text;
}

} // namespace

TEST(Utf8VectorBlocks, giveTheBytesOfTheCarefulLoopsOnRandomText) {
    std::mt19937 random(12);
    for (int round = 0; round < 300; ++round) {
        const std::string text = RandomText(random, 5 + round % 60);
        const std::string expected = ConvertInPieces(VectorLevel::None, text, text.size() + 1);
        for (const VectorLevel level : VectorLevels()) {
            SCOPED_TRACE(testing::Message()
                         << "level " << static_cast<int>(level) << ", round " << round);
            ASSERT_EQ(ConvertInPieces(level, text, text.size() + 1), expected);
        }
    }
}

TEST(Utf8VectorBlocks, giveTheSameBytesWhateverThePieceAndBufferSizes) {
    std::mt19937 random(34);
    const std::string text = RandomText(random, 400);
    const std::string expected = ConvertInPieces(VectorLevel::None, text, text.size() + 1);
    struct Sizes {
        std::size_t piece;
        std::size_t out;
    };
    const Sizes sizes[] = {{1, 4096},  {2, 4096},  {3, 4096},   {7, 4096},  {31, 4096},
                           {32, 4096}, {33, 4096}, {63, 4096},  {64, 4096}, {65, 4096},
                           {79, 4096}, {80, 4096}, {81, 4096},  {4096, 16}, {4096, 79},
                           {4096, 80}, {4096, 81}, {4096, 129}, {100, 97}};
    for (const VectorLevel level : VectorLevels())
        for (const Sizes& s : sizes) {
            SCOPED_TRACE(testing::Message() << "level " << static_cast<int>(level) << ", pieces of "
                                            << s.piece << ", output of " << s.out);
            EXPECT_EQ(ConvertInPieces(level, text, s.piece, s.out), expected);
        }
}

// Each odd piece at every position around the block ends, inside text the blocks take whole.
TEST(Utf8VectorBlocks, leaveOddCharactersAtAnyPositionToTheCarefulLoops) {
    const std::string kanji = "漢字かなカナ日本語文章東京大阪京都名古屋";
    for (const char* odd : kPieces) {
        for (std::size_t shift = 0; shift < 70; ++shift) {
            const std::string text =
                std::string(shift, 'a') + kanji + "ab" + kanji + odd + kanji + "x" + kanji;
            const std::string expected = ConvertInPieces(VectorLevel::None, text, text.size() + 1);
            for (const VectorLevel level : VectorLevels()) {
                SCOPED_TRACE(testing::Message() << "level " << static_cast<int>(level) << ", shift "
                                                << shift << ", " << testing::PrintToString(odd));
                ASSERT_EQ(ConvertInPieces(level, text, text.size() + 1), expected);
            }
        }
    }
}

// A fresh thread has not asked the converter for any form yet: the blocks must leave what they
// do not know to the careful loops, which ask.
TEST(Utf8VectorBlocks, leaveCharactersNotYetAskedToTheCarefulLoops) {
    std::string text;
    for (int k = 0; k < 40; ++k)
        text += "海山川abc空雲雨";
    const std::string expected = ConvertInPieces(VectorLevel::None, text, text.size() + 1);
    for (const VectorLevel level : VectorLevels()) {
        std::string fresh;
        std::thread([&] { fresh = ConvertInPieces(level, text, text.size() + 1); }).join();
        EXPECT_EQ(fresh, expected) << "level " << static_cast<int>(level);
    }
}
