#include "BookmarkPages.h"
#include "TestEnvironment.h"
#include "core/BookmarkFile.h"
#include "core/CollectionFormat.h"
#include "core/TableStore.h"
#include "util/Codec.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

using namespace lh;
using lh::test::Parsed;
using lh::test::ParsedOf;
using lh::test::TrickyPage;

namespace {

Parsed Parse(const std::string& page, BookmarkThreads threads) {
    TableStore t;
    ExchangeTally y;
    ParseBookmarkPage(page, t, y, threads);
    return ParsedOf(t, y);
}

} // namespace

TEST(BookmarkThreads, twoThreadsGiveTheRecordsOfOne) {
    std::vector<std::string> pages;
    for (const char* file : {"chrome-bookmarks.html", "edge-bookmarks.html",
                             "firefox-bookmarks.html", "utf8-page.html", "empty-page.htm"})
        pages.push_back(test::ReadFileBytes(test::DataPath(file)));
    pages.push_back(TrickyPage(20000));
    // Old browsers' code page: taken as such on either path, also where it shows only after
    // many batches of ASCII entries.
    pages.push_back(Utf8ToSjis("<DL><DT><A HREF=\"http://a.jp/\">日本</A><DD>説明</DL>").value());
    std::string asciiFirst = "<DL>\n";
    for (int i = 0; i < 4000; ++i)
        asciiFirst += "<DT><A HREF=\"http://a.example/" + std::to_string(i) + "\">A</A>\n";
    pages.push_back(Utf8ToSjis(asciiFirst + "<DT><A HREF=\"http://a.jp/\">日本</A></DL>").value());
    // And where it shows only in the first batch, before many batches of ASCII entries.
    pages.push_back(
        Utf8ToSjis("<DL><DT><A HREF=\"http://a.jp/\">日本</A>\n" + asciiFirst.substr(5) + "</DL>")
            .value());
    // Broken UTF-8 that is no code page 932 either.
    pages.push_back(TrickyPage(3000) + "\xFF\xFE<DT><A HREF=\"http://end/\">\x80</A>");
    pages.push_back("\xEF\xBB\xBF" + TrickyPage(500));
    pages.push_back(TrickyPage(4000).substr(0, 99999)); // cut off inside an entry
    // A title broken up by inline markup over several batches: the link outlasts the batch its
    // address came in.
    std::string longTitle = "<DL><DT><A HREF=\"http://long.example/?a=1&amp;b=2\">";
    for (int i = 0; i < 5000; ++i)
        longTitle += "<b>" + std::to_string(i) + "</b>";
    pages.push_back(longTitle + "</A><DT><A HREF=\"http://next.example/\">n</A></DL>");
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const Parsed one = Parse(pages[i], BookmarkThreads::One);
        EXPECT_EQ(Parse(pages[i], BookmarkThreads::Two), one) << "page " << i;
        EXPECT_EQ(Parse(pages[i], BookmarkThreads::Auto), one) << "page " << i;
    }
}

TEST(BookmarkThreads, trickyPageGivesEveryKindOfEntry) {
    // The comparison above means something only if the page exercises the reader.
    const Parsed p = Parse(TrickyPage(20000), BookmarkThreads::One);
    EXPECT_GT(p.cells.size() / TableStore::kFieldCount, 10000u);
    for (const std::int64_t counted : p.tally)
        EXPECT_GT(counted, 0);
}

TEST(BookmarkThreads, textsEndedByAnyTagAgreeOnBothThreads) {
    // The tokenizing thread leaves out what the reader would pass over: layout texts, inline
    // tags, end tags closing nothing. Every tag that may end, or not end, an open text follows
    // every kind of open text here, also in pieces spread over many batches.
    static const char* const kOpen[] = {"<DT><A HREF=\"http://a.example/\">link ",
                                        "<DT><H3>folder ", "<DD>description ", "<h1>heading ",
                                        "<P>layout "};
    static const char* const kNext[] = {"</A>",
                                        "</a>",
                                        "</H3>",
                                        "</DD>",
                                        "</DL>",
                                        "<DL><p>",
                                        "<DT>",
                                        "<dt>",
                                        "<H1>",
                                        "<HR>",
                                        "<DD>",
                                        "<b>bold</b>",
                                        "</p>",
                                        "<p>",
                                        "</DT>",
                                        "<A>",
                                        "</X>",
                                        "<Ab>",
                                        "<DTX>",
                                        "<d>",
                                        "<HD>",
                                        "\n  ",
                                        "text &amp; more",
                                        "<H3>",
                                        "</H1>",
                                        "<!-- c -->"};
    std::string page = "<DL><p>\n";
    std::uint32_t seed = 99;
    for (int i = 0; i < 30000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const std::uint32_t r = seed >> 8;
        page += r % 4 == 0 ? kOpen[(r >> 4) % std::size(kOpen)] : "";
        page += kNext[(r >> 8) % std::size(kNext)];
        page += std::to_string(i % 7 == 0 ? i : 0);
    }
    const Parsed one = Parse(page, BookmarkThreads::One);
    EXPECT_GT(one.cells.size() / TableStore::kFieldCount, 1000u);
    EXPECT_EQ(Parse(page, BookmarkThreads::Two), one);
}

TEST(BookmarkThreads, longAndConvertedAddressesAgreeOnBothThreads) {
    // Addresses are converted ahead into room that grows with them: short and very long ones
    // (past a batch's room), with characters code page 932 has, lacks (percent-encoded and
    // counted) and references, each followed by a link whose address must not be overwritten.
    static const char* const kPieces[] = {"a", "日本", "😀", "&amp;", "&#x1F600;", "ｶ", "%41", " "};
    std::string page = "<DL><p>\n";
    std::uint32_t seed = 7;
    for (int i = 0; i < 400; ++i) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t pieces = i % 50 == 49 ? 60000 : (seed >> 8) % 300;
        std::string href = "http://h.example/" + std::to_string(i) + "/";
        for (std::size_t k = 0; k < pieces; ++k)
            href += kPieces[(seed >> (k % 16)) % std::size(kPieces)];
        page += "<DT><A HREF=\"" + href + "\">t" + std::to_string(i) + "</A>\n";
        page += "<DT><A HREF=\"http://short/" + std::to_string(i) + "\">s</A>\n";
    }
    page += "</DL>";
    const Parsed one = Parse(page, BookmarkThreads::One);
    EXPECT_EQ(one.cells.size() / TableStore::kFieldCount, 800u);
    EXPECT_GT(one.tally[1], 1000); // encoded characters
    EXPECT_EQ(Parse(page, BookmarkThreads::Two), one);
}
