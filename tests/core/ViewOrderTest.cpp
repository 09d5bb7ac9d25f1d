#include "core/ViewOrder.h"

#include "RecordRows.h"
#include "core/FoldedText.h"
#include "util/Mbcs.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using lh::GridColumn;
using lh::SortDirection;
using Order = std::vector<std::size_t>;

namespace {

std::optional<lh::AccessStampLayout::Fields> NoStamps(std::string_view) {
    return std::nullopt;
}

Order Sorted(const lh::test::RecordRows& records, GridColumn column, SortDirection direction,
             const lh::AccessStampReader& reader = NoStamps) {
    return lh::SortedRecordOrder(records.Cells(), column, direction, reader);
}

// Texts built from pieces that trap a folding which ignores character boundaries.
std::string RandomText(std::mt19937& rng) {
    static const std::vector<std::string> pieces = {
        "a",           "A",           "b",        "B",        "z",        "[",    "{",
        "/",           ".",           "\x83\x41", "\x83\x61", "\x83\x83", "\x83", "\xB1",
        "http://www.", "HTTP://WWW.", "\x82\xA0", " ",        "\x7F",     "\xFD"};
    std::string s;
    const std::size_t n = rng() % 12;
    for (std::size_t i = 0; i < n; ++i)
        s += pieces[rng() % pieces.size()];
    return s;
}

TEST(ViewOrder, numberColumnIsCollectionOrder) {
    const auto records = lh::test::ColumnRows(GridColumn::Name, {"c", "a", "b"});
    EXPECT_EQ(Sorted(records, GridColumn::Number, SortDirection::Ascending), (Order{0, 1, 2}));
    EXPECT_EQ(Sorted(records, GridColumn::Number, SortDirection::Descending), (Order{2, 1, 0}));
}

TEST(ViewOrder, textColumnsSortByFoldedBytesAndKeepTiesInCollectionOrder) {
    struct TextCase {
        const char* what;
        std::vector<std::string> texts;
        Order ascending;
        Order descending;
    };
    const std::vector<TextCase> cases = {
        {"letter case is folded, ties stay in collection order",
         {"b", "A", "a", "B", "", "ab"},
         {4, 1, 2, 5, 0, 3},
         {0, 3, 5, 1, 2, 4}},
        {"a text sorts before the longer texts it begins, across eight-byte steps",
         {"http://www.example.com/", "HTTP://WWW.EXAMPLE.COM", "http://www.example.co",
          "http://www.example.com/a", "http://w", "http://www.exam"},
         {4, 5, 2, 1, 0, 3},
         {3, 0, 1, 2, 5, 4}},
        {"second bytes that look like letters are not folded",
         {"\x83\x61", "\x83\x41", "a", "A"},
         {2, 3, 1, 0},
         {0, 1, 2, 3}},
        {"a double-byte character across the eighth byte keeps its second byte",
         {"1234567\x83"
          "a",
          "1234567\x83"
          "A",
          "1234567a", "1234567A"},
         {2, 3, 1, 0},
         {0, 1, 2, 3}},
        {"bytes order as unsigned values",
         {"\xE0\x40", "z", "\x81\x40", "~"},
         {1, 3, 2, 0},
         {0, 2, 3, 1}},
    };
    for (const TextCase& c : cases) {
        for (GridColumn column : {GridColumn::Name, GridColumn::Address, GridColumn::Remark}) {
            const auto records = lh::test::ColumnRows(column, c.texts);
            EXPECT_EQ(Sorted(records, column, SortDirection::Ascending), c.ascending) << c.what;
            EXPECT_EQ(Sorted(records, column, SortDirection::Descending), c.descending) << c.what;
        }
    }
}

TEST(ViewOrder, textOrderAgreesWithAStableSortOfTheUpperCasedTexts) {
    std::mt19937 rng(13);
    std::vector<std::string> texts;
    for (int i = 0; i < 3000; ++i)
        texts.push_back(RandomText(rng));
    // Large groups alike over many bytes, so whole passes of eight bytes tell them apart too.
    for (int i = 0; i < 3000; ++i)
        texts.push_back("http://www.example.com/" + RandomText(rng) + RandomText(rng));
    const auto records = lh::test::ColumnRows(GridColumn::Address, texts);
    for (SortDirection direction : {SortDirection::Ascending, SortDirection::Descending}) {
        Order expected(texts.size());
        for (std::size_t i = 0; i < expected.size(); ++i)
            expected[i] = i;
        std::stable_sort(expected.begin(), expected.end(), [&](std::size_t a, std::size_t b) {
            const std::string x = lh::AsciiUpper(texts[a]);
            const std::string y = lh::AsciiUpper(texts[b]);
            return direction == SortDirection::Ascending ? x < y : y < x;
        });
        EXPECT_EQ(Sorted(records, GridColumn::Address, direction), expected);
    }
}

TEST(FoldedText, comparesAndHashesLikeTheUpperCasedTexts) {
    std::mt19937 rng(7);
    for (int i = 0; i < 20000; ++i) {
        const std::string a = RandomText(rng);
        const std::string b = (i % 3 == 0) ? lh::AsciiUpper(a) : RandomText(rng);
        const std::string x = lh::AsciiUpper(a);
        const std::string y = lh::AsciiUpper(b);
        const int expected = x < y ? -1 : (x == y ? 0 : 1);
        const int got = lh::FoldedCompare(a, b);
        ASSERT_EQ((got > 0) - (got < 0), expected) << a << " / " << b;
        ASSERT_EQ(lh::FoldedEqual(a, b), x == y) << a << " / " << b;
        if (x == y) {
            ASSERT_EQ(lh::FoldedHash(a), lh::FoldedHash(b)) << a << " / " << b;
        }
    }
}

TEST(ViewOrder, accessColumnSortsByTimeWithUnreadableStampsLast) {
    const std::optional<lh::AccessStampLayout> dayFirst =
        lh::AccessStampLayout::Learn("22.11.2033 01:44:55", "22.11.2033 13:44:55");
    const std::optional<lh::AccessStampLayout> twelveHour =
        lh::AccessStampLayout::Learn("11/22/2033 1:44:55 AM", "11/22/2033 1:44:55 PM");
    ASSERT_TRUE(dayFirst && twelveHour);
    struct StampCase {
        const char* what;
        const lh::AccessStampLayout& layout;
        std::vector<std::string> stamps;
        Order ascending;
        Order descending;
    };
    const std::vector<StampCase> cases = {
        {"day first: not by the text",
         *dayFirst,
         {"05.01.2024 10:00:00", "", "31.12.2023 23:59:59", "gestern", "05.01.2024 09:00:00",
          "01.02.2024 00:00:00"},
         {2, 4, 0, 5, 1, 3},
         {5, 0, 4, 2, 1, 3}},
        {"twelve-hour clock: afternoon after morning, equal times stay in collection order",
         *twelveHour,
         {"1/5/2024 1:00:00 PM", "1/5/2024 11:00:00 AM", "1/5/2024 12:30:00 AM",
          "1/5/2024 1:00:00 PM", "1/5/2024 25:00:00 PM"},
         {2, 1, 0, 3, 4},
         {0, 3, 1, 2, 4}},
    };
    for (const StampCase& c : cases) {
        const auto records = lh::test::ColumnRows(GridColumn::Access, c.stamps);
        const auto reader = [&c](std::string_view stamp) { return c.layout.Read(stamp); };
        EXPECT_EQ(Sorted(records, GridColumn::Access, SortDirection::Ascending, reader),
                  c.ascending)
            << c.what;
        EXPECT_EQ(Sorted(records, GridColumn::Access, SortDirection::Descending, reader),
                  c.descending)
            << c.what;
    }
}

TEST(ViewOrder, emptyCollectionGivesAnEmptyOrder) {
    const lh::test::RecordRows none;
    for (GridColumn column : {GridColumn::Number, GridColumn::Name, GridColumn::Access})
        EXPECT_TRUE(Sorted(none, column, SortDirection::Descending).empty());
}

} // namespace
