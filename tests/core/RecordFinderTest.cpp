#include "core/RecordFinder.h"

#include "RecordRows.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

using lh::FindColumns;
using lh::FindDirection;
using lh::GridColumn;
using lh::RecordMatcher;

namespace {

// Double-byte characters whose second byte looks like an ASCII letter or sign (cp932).
const std::string kKatakanaA = "\x83\x41";  // ア: second byte 'A'
const std::string kKatakanaDi = "\x83\x61"; // ヂ: second byte 'a'
const std::string kSmallYa = "\x83\x83";    // ャ: both bytes lead bytes
const std::string kSo = "\x83\x5C";         // ソ: second byte '\'

struct TextCase {
    const char* what;
    std::string query;
    std::string text;
    bool matches;
};

TEST(RecordMatcher, matchesWholeCharactersWithAsciiLettersFolded) {
    const std::vector<TextCase> cases = {
        {"empty query", "", "", true},
        {"letter case folded both ways", "eXaMple", "http://www.EXAMPLE.com/", true},
        {"long ascii text, match at the end", "page9.HTML",
         "http://www.example.com/some/long/path/page9.html", true},
        {"almost a match", "example.con", "http://www.example.com/", false},
        {"query longer than the text", "http://a", "http://", false},
        {"match at the very start", "HTTP", "http", true},
        {"second byte 'A' is not the letter", "A", "x" + kKatakanaA + "y", false},
        {"second byte 'a' is not the letter", "a", kKatakanaDi, false},
        {"the letter after the character still counts", "A", kKatakanaA + "a", true},
        {"no match across a character boundary", "AB", kKatakanaA + "B", false},
        {"double-byte query", kKatakanaA, "..." + kKatakanaA + "...", true},
        {"double-byte characters are not folded", kKatakanaA, kKatakanaDi, false},
        {"nor folded the other way", kKatakanaDi, kKatakanaA, false},
        {"query starting inside a character", kKatakanaA, kSmallYa + "A", false},
        {"the same bytes on a boundary later", kKatakanaA, kSmallYa + "A" + kKatakanaA, true},
        {"half a character never matches the whole", "\x83", kKatakanaA, false},
        {"a stray lead byte matches itself", "x\x83", "x\x83", true},
        {"a stray lead byte does not swallow a space", " a", "\x83 A", true},
        {"backslash inside a character", "\\", kSo, false},
        {"backslash of its own", "\\", kSo + "\\", true},
        {"half-width katakana is one byte", "\xB1", "abc\xB1", true},
        {"many false starts", "aab", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaAAB", true},
        {"false starts only", "aab", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
        {"a long run of double-byte text before the match", "kEy",
         kSo + kKatakanaA + kSmallYa + kKatakanaDi + kSo + kKatakanaA + "KEY", true},
    };
    for (const TextCase& c : cases) {
        const RecordMatcher matcher(c.query, FindColumns{});
        EXPECT_EQ(matcher.TextMatches(c.text), c.matches) << c.what;
    }
}

TEST(RecordMatcher, looksOnlyInTheChosenColumns) {
    lh::test::RecordRows records;
    records.rows = {{"Alpha", "http://one/", "2024/01/02 03:04:05", ""},
                    {"", "http://alpha/", "", ""},
                    {"", "", "", "alpha remark"},
                    {"", "", "alpha", ""}}; // the access column is never searched
    const lh::RecordCells cells = records.Cells();
    struct ColumnCase {
        FindColumns columns;
        std::vector<std::size_t> found;
    };
    const std::vector<ColumnCase> cases = {
        {{true, true, true}, {0, 1, 2}}, {{true, false, false}, {0}}, {{false, true, false}, {1}},
        {{false, false, true}, {2}},     {{false, false, false}, {}},
    };
    for (const ColumnCase& c : cases)
        EXPECT_EQ(lh::MatchingRecords(cells, RecordMatcher("ALPHA", c.columns)), c.found);
}

TEST(RecordMatcher, filtersEveryRecordOrJustTheCandidatesInTheirOrder) {
    const auto records =
        lh::test::ColumnRows(GridColumn::Address, {"", "http://a/", "http://ab/", "http://b/"});
    const lh::RecordCells cells = records.Cells();
    const RecordMatcher everything("", FindColumns{});
    const RecordMatcher a("//A", FindColumns{});
    const std::vector<std::size_t> sorted = {3, 2, 1, 0, 7}; // 7: gone since the order was made
    EXPECT_EQ(lh::MatchingRecords(cells, everything), (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_EQ(lh::MatchingRecords(cells, everything, sorted),
              (std::vector<std::size_t>{3, 2, 1, 0}));
    EXPECT_EQ(lh::MatchingRecords(cells, a), (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(lh::MatchingRecords(cells, a, sorted), (std::vector<std::size_t>{2, 1}));
    EXPECT_EQ(lh::MatchingRecords(cells, RecordMatcher("//AB", FindColumns{}),
                                  lh::MatchingRecords(cells, a, sorted)),
              (std::vector<std::size_t>{2}));
}

TEST(NextMatchingRecord, stepsThroughMatchesAndGoesRound) {
    const auto records = lh::test::ColumnRows(GridColumn::Name, {"x", "hit", "x", "HIT", "x"});
    const lh::RecordCells cells = records.Cells();
    const RecordMatcher hit("hit", FindColumns{});
    struct StepCase {
        std::size_t from;
        FindDirection direction;
        std::optional<std::size_t> next;
    };
    const std::vector<StepCase> cases = {
        {0, FindDirection::Forward, 1},   {1, FindDirection::Forward, 3},
        {3, FindDirection::Forward, 1},   {4, FindDirection::Forward, 1},
        {1, FindDirection::Backward, 3},  {3, FindDirection::Backward, 1},
        {0, FindDirection::Backward, 3},  {99, FindDirection::Forward, 1},
        {99, FindDirection::Backward, 3},
    };
    for (const StepCase& c : cases)
        EXPECT_EQ(lh::NextMatchingRecord(cells, hit, c.from, c.direction), c.next)
            << "from " << c.from;
}

TEST(NextMatchingRecord, findsALoneMatchAgainAndNothingWhenNoneMatches) {
    const auto records = lh::test::ColumnRows(GridColumn::Remark, {"a", "only", "b"});
    const lh::RecordCells cells = records.Cells();
    EXPECT_EQ(lh::NextMatchingRecord(cells, RecordMatcher("ONLY", FindColumns{}), 1,
                                     FindDirection::Forward),
              std::optional<std::size_t>(1));
    EXPECT_EQ(lh::NextMatchingRecord(cells, RecordMatcher("none", FindColumns{}), 1,
                                     FindDirection::Backward),
              std::nullopt);
    const lh::test::RecordRows empty;
    EXPECT_EQ(lh::NextMatchingRecord(empty.Cells(), RecordMatcher("a", FindColumns{}), 0,
                                     FindDirection::Forward),
              std::nullopt);
}

} // namespace
