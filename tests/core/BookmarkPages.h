#pragma once

// Bookmark pages and their outcome as plain values, shared by the tests that read them in
// different ways (one thread or two, whole or in pieces) and compare.

#include "core/CollectionFormat.h"
#include "core/TableStore.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lh::test {

struct Parsed {
    std::vector<std::string> cells; // every record's four texts, as stored
    std::vector<std::int64_t> tally;
    bool operator==(const Parsed&) const = default;
};

inline Parsed ParsedOf(const TableStore& t, const ExchangeTally& y) {
    Parsed p;
    for (TableStore::Row r = 0; r < t.RecordCount(); ++r)
        for (int f = 0; f < TableStore::kFieldCount; ++f)
            p.cells.emplace_back(t.Text(r, f));
    p.tally = {y.replacedCharacters, y.encodedCharacters, y.scriptsSkipped, y.emptySkipped, y.feeds,
               y.separators,         y.cutFolderPaths};
    return p;
}

// Many batches' worth of entries in every shape the reader knows, and some it must forgive:
// references, characters code page 932 lacks, other letter case, unquoted and lost quotes,
// missing closing tags, descriptions, feeds, scripts, separators and nested folders.
inline std::string TrickyPage(int entries) {
    static const char* const kTitles[] = {"News",
                                          "記事 &amp; 天気",
                                          "&lt;b&gt; &#x1F600; &#128512;",
                                          "😀 ｶﾀｶﾅ",
                                          "a<b>bold</b>",
                                          "&unknown; &#0; &",
                                          " spaced ",
                                          "髙〜―"};
    static const char* const kHrefs[] = {"\"https://example.com/a?x=1&amp;y=2\"",
                                         "\"http://ex.jp/日本\"",
                                         "'javascript:void(0)'",
                                         "PLACE:x",
                                         "\"http://ex.com/😀\"",
                                         "http://bare.example/",
                                         "\"http://lost.quote/>"};
    std::uint32_t seed = 12345;
    const auto next = [&seed](std::uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    std::string page = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<DL><p>\n";
    int depth = 0;
    for (int i = 0; i < entries; ++i) {
        switch (next(12)) {
        case 0:
            page += next(2) ? "<DT><H3>フォルダー " : "<dt><h3 add_date=\"1\">Folder ";
            page += std::to_string(i) + std::string(next(4) * 40, 'x') + "</H3>\n<DL><p>\n";
            ++depth;
            break;
        case 1:
            if (depth > 0) {
                page += "</DL><p>\n";
                --depth;
            }
            break;
        case 2:
            page += "<HR>\n<!-- a comment <DT><A HREF=\"x\">no</A> -->\n<DT><A>no address</A>\n";
            break;
        default:
            page += next(3) ? "    <DT><A HREF=" : "<dt><a href = ";
            page += kHrefs[next(7)];
            page += " ADD_DATE=\"" + std::to_string(1400000000 + next(100000) * 1601) + "\"";
            if (next(5) == 0)
                page += " FEEDURL=\"http://feed.example/" + std::to_string(i) + "\"";
            page += ">";
            page += kTitles[next(8)];
            if (next(6))
                page += "</A>";
            if (next(7) == 0)
                page += "\n<DD>説明 " + std::to_string(i);
            page += "\n";
        }
    }
    return page;
}

} // namespace lh::test
