#include "Portable.h"
#include "TestEnvironment.h"
#include "core/BookmarkFile.h"
#include "core/CollectionFormat.h"
#include "core/CsvFile.h"
#include "core/JsonFile.h"
#include "core/MarkupTokenizer.h"
#include "util/Codec.h"

#include <cstdint>
#include <ctime>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace lh;
using lh::test::TempDir;

namespace {

std::string Sjis(const std::string& utf8) {
    return Utf8ToSjis(utf8).value();
}

// A record as UTF-8 text, for readable comparisons.
struct Rec {
    std::string name, address, access, remark;
    bool operator==(const Rec&) const = default;
};

void PrintTo(const Rec& r, std::ostream* os) {
    *os << "{" << r.name << " | " << r.address << " | " << r.access << " | " << r.remark << "}";
}

std::vector<Rec> Records(const TableStore& t) {
    std::vector<Rec> out;
    for (TableStore::Row r = 0; r < t.RecordCount(); ++r)
        out.push_back({SjisToUtf8Lossy(t.Text(r, TableStore::kName)),
                       SjisToUtf8Lossy(t.Text(r, TableStore::kAddress)),
                       SjisToUtf8Lossy(t.Text(r, TableStore::kAccess)),
                       SjisToUtf8Lossy(t.Text(r, TableStore::kRemark))});
    return out;
}

void Fill(TableStore& t, const std::vector<Rec>& records) {
    for (const Rec& r : records)
        t.AppendRecord(Sjis(r.name), Sjis(r.address), Sjis(r.access), Sjis(r.remark));
}

std::string At(std::time_t t) {
    return SjisToUtf8(AccessTextFromTime(t)).value();
}

std::vector<Rec> ParseBookmarks(const std::string& page, ExchangeTally* tallyOut = nullptr) {
    TableStore t;
    ExchangeTally tally;
    ParseBookmarkPage(page, t, tally);
    if (tallyOut)
        *tallyOut = tally;
    return Records(t);
}

// The awkward cells every format must carry through unchanged.
std::vector<Rec> AwkwardRecords() {
    return {
        {"日本語の名前", "http://例え.jp/パス?q=値&r=1", At(1700000000), "備考: ﾒﾓ"},
        {"say \"hi\", 'there'", "http://a.b/x,y", At(1600000000), "a,b,\"c\""},
        {"tab\there", "http://t.example/", "", "line1\nline2"},
        {"  padded  ", "http://p.example/  ", At(1500000000), "crlf\r\nend"},
        {"", "", "", ""},
        {"<TD>&amp;</TD>", "http://x.example/?a=<b>&c=\"d\"", At(1400000000), "&lt; literal"},
        {"ソフト表示", "mailto:ソ@example.jp", "", "構造\\"},
    };
}

} // namespace

TEST(BookmarkFile, browserExportsGiveTitlesAddressesTimesAndFolderPaths) {
    struct Fixture {
        const char* file;
        std::vector<Rec> records;
        std::int64_t scripts, separators, feeds, replaced, encoded;
    };
    const Fixture fixtures[] = {
        {"firefox-bookmarks.html",
         {{"ニュース & 天気", "https://news.example.jp/top?a=1&b=2", At(1700000200),
           "ツールバー/ニュース"},
          {"Example \"Domain\"", "https://example.com/", At(1700000400), "The site's own words"},
          {"Example Feed", "https://feeds.example.org/", At(1700000700), ""},
          {"Smile 〓 〓n〓code", "https://emoji.example/%F0%9F%98%80", At(1700000800),
           "Other Bookmarks"}},
         2,
         1,
         1,
         3,
         1},
        {"chrome-bookmarks.html",
         {{"例 '引用'", "https://www.example.co.jp/", At(1700000001), "ブックマーク バー"},
          {"カンマ, と \"引用符\"", "https://docs.example.net/a,b", At(1700000004),
           "ブックマーク バー/技術"},
          {"重複", "https://www.example.co.jp/", At(1700000006), "その他のブックマーク"}},
         0,
         0,
         0,
         0,
         0},
        {"edge-bookmarks.html",
         {{"Example Org", "https://www.example.org/", At(1700000010), "お気に入りバー"},
          {"メール", "mailto:someone@example.com", At(1700000020), "その他のお気に入り"}},
         0,
         0,
         0,
         0,
         0},
    };
    for (const Fixture& f : fixtures) {
        ExchangeTally tally;
        EXPECT_EQ(ParseBookmarks(test::ReadFileBytes(test::DataPath(f.file)), &tally), f.records)
            << f.file;
        EXPECT_EQ(tally.scriptsSkipped, f.scripts) << f.file;
        EXPECT_EQ(tally.separators, f.separators) << f.file;
        EXPECT_EQ(tally.feeds, f.feeds) << f.file;
        EXPECT_EQ(tally.replacedCharacters, f.replaced) << f.file;
        EXPECT_EQ(tally.encodedCharacters, f.encoded) << f.file;
    }
}

TEST(BookmarkFile, wildMarkupStillGivesEveryBookmark) {
    struct Case {
        const char* what;
        std::string page;
        std::vector<Rec> records;
    };
    const Case cases[] = {
        {"lower case, any attribute order, single and no quotes",
         "<dl><dt><h3>F</h3><dl><dt><a add_date=1700000000 Href='http://a/'>A</a>"
         "<DT><A last_visit=\"1700000005\" ADD_DATE=\"1\" hReF=http://b/>B</A></dl></dl>",
         {{"A", "http://a/", At(1700000000), "F"}, {"B", "http://b/", At(1700000005), "F"}}},
        {"missing closing tags",
         "<DL><DT><H3>One<DL><DT><A HREF=\"http://a/\">A\n<DT><A HREF=\"http://b/\">B",
         {{"A", "http://a/", "", "One"}, {"B", "http://b/", "", "One"}}},
        {"entities in names and addresses",
         "<DT><A HREF=\"http://a/?x=1&amp;y=2&#38;z\">&lt;&#39;&#x41;&quot;&unknown;&amp</A>",
         {{"<'A\"&unknown;&amp", "http://a/?x=1&y=2&z", "", ""}}},
        {"comments, scripts, stray brackets, inline markup",
         "<!-- <DT><A HREF=\"http://no/\">no</A> --><script><DT><A HREF=x>no</A></script>"
         "<DT><A HREF=\"http://a/\">1 < 2 <b>bold</b></A>",
         {{"1 < 2 bold", "http://a/", "", ""}}},
        {"unclosed quote ends at the tag",
         "<DT><A HREF=\"http://a/>A</A>\n<DT><A HREF=\"http://b/\">B</A>",
         {{"A", "http://a/", "", ""}, {"B", "http://b/", "", ""}}},
        {"times in milliseconds, zero and junk",
         "<DT><A HREF=\"http://a/\" ADD_DATE=\"1700000000000\">A</A>"
         "<DT><A HREF=\"http://b/\" ADD_DATE=\"0\">B</A><DT><A HREF=\"http://c/\" "
         "ADD_DATE=\"soon\">C</A>",
         {{"A", "http://a/", At(1700000000), ""},
          {"B", "http://b/", "", ""},
          {"C", "http://c/", "", ""}}},
        {"nineteen digits, and a stray byte among the first eight or the last",
         "<DT><A HREF=\"http://a/\" ADD_DATE=\"9999999999999999999\">A</A>"
         "<DT><A HREF=\"http://b/\" ADD_DATE=\"17000/0000\">B</A>"
         "<DT><A HREF=\"http://c/\" ADD_DATE=\"170000000:\">C</A>"
         "<DT><A HREF=\"http://d/\" ADD_DATE=\"17000000001\">D</A>",
         {{"A", "http://a/", At(9999999999), ""},
          {"B", "http://b/", "", ""},
          {"C", "http://c/", "", ""},
          {"D", "http://d/", At(17000000001), ""}}},
        {"a description belongs to the bookmark just before it only",
         "<DL><DT><H3>F</H3><DD>folder text<DL><DT><A HREF=\"http://a/\">A</A><DD>about A"
         "<HR><DD>nothing</DL>",
         {{"A", "http://a/", "", "about A"}}},
        {"code page 932 page from an old browser",
         Sjis("<DL><DT><H3>古い</H3><DL><DT><A HREF=\"http://a/\">名前</A></DL>"),
         {{"名前", "http://a/", "", "古い"}}},
        {"byte order mark",
         "\xEF\xBB\xBF<DT><A HREF=\"http://a/\">A</A>",
         {{"A", "http://a/", "", ""}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseBookmarks(c.page), c.records) << c.what;
}

// Titles with "&amp;" are converted whole and squeezed in place; any other reference decodes the
// whole title first. Either way each character is read and counted once.
TEST(BookmarkFile, titleReferencesDecodeAndCountCharactersOnce) {
    struct Case {
        const char* title;
        const char* name;
        std::int64_t replaced;
    };
    const Case cases[] = {
        {"記事 &amp; 天気", "記事 & 天気", 0},
        {"&amp;&amp;x&amp;", "&&x&", 0},
        {"😀&amp;😀 &lt;😀", "〓&〓 <〓", 3},
        {"a&amp;b&#x3042;&amp;", "a&bあ&", 0},
        {"x&amp", "x&amp", 0},
        {"x &amp;&", "x &&", 0},
        {"&AMP;&amp", "&AMP;&amp", 0},
        {"&amp;", "&", 0},
        {"&amp;lt;&amp;amp;", "&lt;&amp;", 0},
        {"😀&amp;ア&amp;&amp;😀 z&amp;", "〓&ア&&〓 z&", 2},
        {"ア&amp;😀&gt;", "ア&〓>", 1},
    };
    for (const Case& c : cases) {
        ExchangeTally tally;
        std::string page = "<DT><A HREF=\"http://a/\">";
        page += c.title;
        page += "</A>";
        EXPECT_EQ(ParseBookmarks(page, &tally), (std::vector<Rec>{{c.name, "http://a/", "", ""}}))
            << c.title;
        EXPECT_EQ(tally.replacedCharacters, c.replaced) << c.title;
    }
}

TEST(BookmarkFile, skippedEntriesAreCountedNeverLostUnseen) {
    ExchangeTally tally;
    const auto records = ParseBookmarks(
        "<DT><A HREF=\"JavaScript:void(0)\">js</A><DT><A HREF=\" place:sort=8\">p</A>"
        "<DT><A NAME=\"anchor\">no address</A><HR><hr>"
        "<DT><A FEEDURL=\"http://f/rss\">feed only</A>",
        &tally);
    EXPECT_EQ(records, (std::vector<Rec>{{"feed only", "http://f/rss", "", ""}}));
    EXPECT_EQ(tally.scriptsSkipped, 2);
    EXPECT_EQ(tally.emptySkipped, 1);
    EXPECT_EQ(tally.separators, 2);
    EXPECT_EQ(tally.feeds, 1);
}

TEST(BookmarkFile, deepFoldersNeitherOverflowNorBloatRemarks) {
    std::string page;
    constexpr int kDepth = 200000;
    for (int i = 0; i < kDepth; ++i)
        page += "<DT><H3>folder</H3><DL>";
    page += "<DT><A HREF=\"http://deep/\">deep</A>";
    for (int i = 0; i < kDepth; ++i)
        page += "</DL>";
    page += "<DT><A HREF=\"http://top/\">top</A>";
    ExchangeTally tally;
    const auto records = ParseBookmarks(page, &tally);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(tally.cutFolderPaths, 1);
    EXPECT_LE(records[0].remark.size(), 256u);
    EXPECT_EQ(records[0].remark.substr(0, 14), "folder/folder/");
    EXPECT_EQ(records[1], (Rec{"top", "http://top/", "", ""}));
}

TEST(BookmarkFile, everyBookmarksAccessTextIsTheOneTheAccessCommandWouldStamp) {
    // The reader keeps the date part of each local day it met; times in no order over a decade
    // and every few minutes around the changes to and from summer time must still get exactly
    // the text of the full conversion, in a zone with summer time and in one without.
    std::vector<std::time_t> times;
    std::uint64_t x = 88172645463325252ull;
    for (int i = 0; i < 3000; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        times.push_back(static_cast<std::time_t>(1400000000 + x % 400000000));
    }
    // Each twice: bookmarks made at once share their time.
    for (const std::time_t change : {std::time_t{1710054000}, std::time_t{1730613600}})
        for (std::time_t t = change - 7 * 3600; t <= change + 7 * 3600; t += 97)
            times.insert(times.end(), {t, t});
    // In order, a few to a day, over the days around a change: each time next to the last one's
    // local day and offset, and past every end of them.
    for (std::time_t t = 1709600000; t <= 1710500000; t += 7919)
        times.push_back(t);
    std::string page = "<DL>";
    for (const std::time_t t : times)
        page += "<DT><A HREF=\"http://a.example/\" ADD_DATE=\"" + std::to_string(t) + "\">n</A>\n";
    const std::string previous = test::GetEnv("TZ");
    for (const char* zone : {"EST5EDT,M3.2.0,M11.1.0", "JST-9"}) {
        test::SetEnv("TZ", zone);
        tzset();
        TableStore t;
        ExchangeTally tally;
        ParseBookmarkPage(page, t, tally);
        ASSERT_EQ(t.RecordCount(), static_cast<TableStore::Row>(times.size())) << zone;
        int mismatches = 0;
        for (std::size_t i = 0; i < times.size(); ++i) {
            const std::string expected = AccessTextFromTime(times[i]);
            const auto got = t.Text(static_cast<TableStore::Row>(i), TableStore::kAccess);
            if (got != expected && ++mismatches <= 5)
                ADD_FAILURE() << zone << " at " << times[i] << ": " << got << " instead of "
                              << expected;
        }
        EXPECT_EQ(mismatches, 0) << zone;
    }
    previous.empty() ? test::UnsetEnv("TZ") : test::SetEnv("TZ", previous);
    tzset();
}

TEST(BookmarkFile, accessTextAndTimeAreCounterparts) {
    for (const std::time_t t : {std::time_t{0} + 86400, std::time_t{1700000000}})
        EXPECT_EQ(TimeFromAccessText(AccessTextFromTime(t)), t);
    EXPECT_EQ(TimeFromAccessText("2024/05/01 9:05:08"), TimeFromAccessText("2024-05-01 09:05:08"));
    for (const char* text : {"", "yesterday", "2024/05/01", "1969/12/31 0:00:00",
                             "2024/13/01 0:00:00", "2024/05/01 9:05:08 7"})
        EXPECT_FALSE(TimeFromAccessText(text).has_value()) << text;
}

TEST(ExchangeFormats, roundTripsGiveTheSameRecords) {
    TableStore original;
    Fill(original, AwkwardRecords());
    for (const char* name : {"bookmarks", "csv", "json"}) {
        const CollectionFormat* format = FindCollectionFormat(name);
        ASSERT_NE(format, nullptr) << name;
        TempDir dir;
        const std::string file = dir.File("out");
        NullProgress progress;
        IoError error;
        ExchangeTally tally;
        ASSERT_TRUE(ExportToFile(*format, file, original, Sjis("題名"), progress, error, tally))
            << name;
        CollectionContent back;
        ASSERT_TRUE(format->Read(file, back, progress, error)) << name;
        const std::vector<Rec> expected = AwkwardRecords();
        EXPECT_EQ(Records(back.records), expected) << name;
        EXPECT_EQ(tally.lossyCharacters, 0) << name;
        EXPECT_EQ(back.tally.replacedCharacters + back.tally.encodedCharacters, 0) << name;
    }
}

TEST(ExchangeFormats, csvIsWhatSpreadsheetsRead) {
    TableStore t;
    Fill(t, {{"名前, \"q\"", "http://a/", "2024/05/01 9:05:08", "two\nlines"}, {"", "", "", ""}});
    TempDir dir;
    NullProgress progress;
    IoError error;
    ExchangeTally tally;
    ASSERT_TRUE(
        ExportToFile(CsvCollectionFormat(), dir.File("a.csv"), t, "", progress, error, tally));
    EXPECT_EQ(test::ReadFileBytes(dir.File("a.csv")),
              "\xEF\xBB\xBFNo.,名前,URL/E-Mail,ｱｸｾｽ日時,備考\r\n"
              "1,\"名前, \"\"q\"\"\",http://a/,2024/05/01 9:05:08,\"two\nlines\"\r\n"
              "2,,,,\r\n");
}

TEST(ExchangeFormats, csvQuotesACellWhereverTheCharacterThatAsksForItStands) {
    // Cells are looked at a word at a time: each character that needs quoting or conversion, at
    // every place of cells around the word's size, and cells that are plain.
    struct Special {
        std::string sjis;
        std::string csv; // how it stands inside the quoted cell
        bool quoted;
    };
    const Special specials[] = {{",", ",", true},   {"\"", "\"\"", true},      {"\r", "\r", true},
                                {"\n", "\n", true}, {Sjis("名"), "名", false}, {"x", "x", false}};
    TableStore t;
    std::string expected = "\xEF\xBB\xBFNo.,名前,URL/E-Mail,ｱｸｾｽ日時,備考\r\n";
    for (std::size_t size = 1; size <= 17; ++size) {
        for (std::size_t at = 0; at < size; ++at) {
            for (const Special& special : specials) {
                const std::string after(size - at - 1, 'b');
                t.AppendRecord("", "", "", std::string(at, 'a') + special.sjis + after);
                // A line break in front is what a formula guard is for.
                const std::string inside = (at == 0 && special.sjis == "\r" ? "'" : "") +
                                           std::string(at, 'a') + special.csv + after;
                expected += std::to_string(t.RecordCount()) + ",,,," +
                            (special.quoted ? "\"" + inside + "\"" : inside) + "\r\n";
            }
        }
    }
    TempDir dir;
    NullProgress progress;
    IoError error;
    ExchangeTally tally;
    ASSERT_TRUE(
        ExportToFile(CsvCollectionFormat(), dir.File("a.csv"), t, "", progress, error, tally));
    EXPECT_EQ(test::ReadFileBytes(dir.File("a.csv")), expected);
}

TEST(ExchangeFormats, csvCellsASpreadsheetWouldRunAreWrittenAsTextAndReadBackAsTheyWere) {
    // A scanned page can put a formula into a name or remark; the spreadsheet must show it, not
    // run it. Cells that already begin with the guard's apostrophe keep it on the way back.
    const std::vector<Rec> records = {{"=cmd|' /C calc'!A0", "http://a/", "", "+1"},
                                      {"-2", "@SUM(A1)", "", "'=x"},
                                      {"'plain", "http://b/", "", "\tlead"}};
    TableStore t;
    Fill(t, records);
    TempDir dir;
    NullProgress progress;
    IoError error;
    ExchangeTally tally;
    ASSERT_TRUE(
        ExportToFile(CsvCollectionFormat(), dir.File("a.csv"), t, "", progress, error, tally));
    EXPECT_EQ(test::ReadFileBytes(dir.File("a.csv")),
              "\xEF\xBB\xBFNo.,名前,URL/E-Mail,ｱｸｾｽ日時,備考\r\n"
              "1,'=cmd|' /C calc'!A0,http://a/,,'+1\r\n"
              "2,'-2,'@SUM(A1),,''=x\r\n"
              "3,'plain,http://b/,,'\tlead\r\n");
    CollectionContent back;
    ASSERT_TRUE(CsvCollectionFormat().Read(dir.File("a.csv"), back, progress, error));
    EXPECT_EQ(Records(back.records), records);
}

TEST(ExchangeFormats, csvReadingFollowsHeadersEncodingsAndShortRows) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<Rec> records;
    };
    const Case cases[] = {
        {"header in another order, LF line ends",
         "remark,URL,Name\nr1,http://a/,n1\n\"r\n2\",http://b/,n2",
         {{"n1", "http://a/", "", "r1"}, {"n2", "http://b/", "", "r\n2"}}},
        {"code page 932 with the program's own header",
         Sjis("No.,名前,URL/E-Mail,ｱｸｾｽ日時,備考\r\n7,名,http://a/,時,備\r\n"),
         {{"名", "http://a/", "時", "備"}}},
        {"no header, two columns",
         "Site,http://a/\r\n\r\nOther,http://b/",
         {{"Site", "http://a/", "", ""}, {"Other", "http://b/", "", ""}}},
        {"no header, five columns", "1,n,http://a/,t,r\r\n", {{"n", "http://a/", "t", "r"}}},
        {"quote left open runs to the end",
         "n,\"http://a/\r\nrest",
         {{"n", "http://a/\r\nrest", "", ""}}},
        {"emoji percent-encoded in the address only",
         "😀,http://a/😀",
         {{"〓", "http://a/%F0%9F%98%80", "", ""}}},
    };
    for (const Case& c : cases) {
        TableStore t;
        ExchangeTally tally;
        ParseCsvText(c.text, t, tally);
        EXPECT_EQ(Records(t), c.records) << c.what;
    }
}

TEST(ExchangeFormats, jsonReadingTakesRecordsAndRefusesWhatIsNoList) {
    TableStore t;
    ExchangeTally tally;
    ASSERT_TRUE(ParseJsonRecords(
        " [ {\"no\": 1, \"name\": \"a\\u0022\\n\\ud83d\\ude00\", \"address\": \"http://a/\","
        " \"extra\": {\"deep\": [1, [2, {\"x\": \"]\"}]]}, \"access\": 20240501,"
        " \"remark\": null}, {\"url\": \"http://b/\", \"title\": \"b\"}, {} ]",
        t, tally));
    EXPECT_EQ(Records(t), (std::vector<Rec>{{"a\"\n〓", "http://a/", "20240501", ""},
                                            {"b", "http://b/", "", ""},
                                            {"", "", "", ""}}));
    EXPECT_EQ(tally.replacedCharacters, 1);

    std::string deep(100000, '[');
    for (const std::string& bad :
         {std::string("{}"), std::string("[1]"), std::string("[{\"name\": \"a\"},]"),
          std::string("[{\"name\": \"a\"}] x"), std::string("[{\"name\": \"a"),
          "[{\"a\": " + deep + "}]"}) {
        TableStore none;
        EXPECT_FALSE(ParseJsonRecords(bad, none, tally)) << bad.substr(0, 40);
        EXPECT_EQ(none.RecordCount(), 0);
    }
}

TEST(ExchangeFormats, loadTakesOverOnlyAWholeAcceptedFile) {
    TempDir dir;
    test::WriteFileBytes(dir.File("c.htm"), "<TITLE>T</TITLE>\r\n<TR><TD>1</TD><TD>n</TD><TD>"
                                            "<A HREF=\"http://a/\">http://a/</A></TD><TD></TD><TD>"
                                            "</TD>\r\n");
    Document doc;
    doc.Table().AppendRecord("old", "http://old/", "", "");
    doc.SetDocumentTitle("Old");
    NullProgress progress;
    IoError error;
    CollectionContent content;
    EXPECT_FALSE(LoadIntoDocument(HtmlCollectionFormat(), dir.File("missing.htm"), doc, progress,
                                  error, content));
    EXPECT_FALSE(LoadIntoDocument(HtmlCollectionFormat(), dir.File("c.htm"), doc, progress, error,
                                  content, [](const CollectionContent&) { return false; }));
    EXPECT_EQ(Records(doc.Table()), (std::vector<Rec>{{"old", "http://old/", "", ""}}));
    EXPECT_EQ(doc.DocumentTitle(), "Old");
    ASSERT_TRUE(
        LoadIntoDocument(HtmlCollectionFormat(), dir.File("c.htm"), doc, progress, error, content));
    EXPECT_EQ(Records(doc.Table()), (std::vector<Rec>{{"n", "http://a/", "", ""}}));
    EXPECT_EQ(doc.DocumentTitle(), "T");
}

TEST(ExchangeFormats, exportLeavesReadOnlyTargetsAndFoldersAlone) {
    TempDir dir;
    TableStore t;
    Fill(t, {{"n", "http://a/", "", ""}});
    const std::string locked = dir.File("locked.csv");
    test::WriteFileBytes(locked, "mine");
    ::chmod(locked.c_str(), 0444);
    NullProgress progress;
    IoError error;
    ExchangeTally tally;
    EXPECT_FALSE(ExportToFile(CsvCollectionFormat(), locked, t, "", progress, error, tally));
    EXPECT_EQ(error.code, IoErrorKind::CannotReplace);
    EXPECT_EQ(test::ReadFileBytes(locked), "mine");
    EXPECT_FALSE(
        ExportToFile(CsvCollectionFormat(), dir.Path().string(), t, "", progress, error, tally));
    EXPECT_FALSE(ExportToFile(CsvCollectionFormat(), dir.File("no/such/dir.csv"), t, "", progress,
                              error, tally));
}

TEST(MarkupTokenizer, namesMatchBlindToTheCaseOfLettersOnly) {
    struct Case {
        std::string_view name;
        std::string_view lower;
        bool same;
    };
    const Case cases[] = {
        {"", "", true},
        {"HREF", "href", true},
        {"HrEf", "href", true},
        {"ADD_DATE", "add_date", true},
        {"ADD\x7F"
         "DATE",
         "add_date", false}, // "_" and DEL differ only in bit 0x20
        {"@", "`", false},
        {"ICON", "href", false},
        {"HREF ", "href", false},
        {"h\xC5"
         "ef",
         "h\xE5"
         "ef",
         false}, // a byte beyond ASCII is no letter
        {"LAST_VISIT", "last_visit", true},
        {"LAST_VISIt", "last_visit", true},
        {"LAST-VISIT", "last_visit", false},
        {"LAST_VISIX", "last_visit", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EqualsIgnoringCase(c.name, c.lower), c.same) << c.name;
}

TEST(MarkupTokenizer, endsOnEveryTruncatedPiece) {
    // Every prefix of a page full of constructs that span bytes must tokenize to the end.
    const std::string page = "<!DOCTYPE x><!-- c --><A HREF=\"v\" b='w' c=u d>t&amp;</A "
                             "x><script>s</script><?p?></";
    for (std::size_t n = 0; n <= page.size(); ++n) {
        MarkupTokenizer tokenizer(std::string_view(page).substr(0, n));
        MarkupToken token;
        std::size_t steps = 0;
        while (tokenizer.Next(token))
            ASSERT_LT(++steps, 100u) << n;
        EXPECT_EQ(tokenizer.Position(), n);
    }
}

TEST(MarkupTokenizer, quotedValuesEndAtTheirQuoteOrStandInForALostOne) {
    struct Case {
        const char* what;
        std::string tag;
        std::vector<std::string> values; // of the first tag's attributes
    };
    const Case cases[] = {
        {"closed", "<A HREF=\"v\" B='w'>", {"v", "w"}},
        {"lost quote, the line's \">\" ends it",
         "<A HREF=\"http://a/>A</A>\n<B X=\"y\">",
         {"http://a/"}},
        {"over a line break without \">\" before it", "<A T=\"one\ntwo\" U=1>", {"one\ntwo", "1"}},
        {"\">\" only after the line break", "<A T='one\ntw>o' U=1>", {"one\ntw>o", "1"}},
        {"never closed, \">\" later", "<A T=\"abc>def", {"abc"}},
        {"never closed, no \">\"", "<A T=\"abc", {"abc"}},
    };
    for (const Case& c : cases) {
        MarkupTokenizer tokenizer(c.tag);
        MarkupToken token;
        ASSERT_TRUE(tokenizer.Next(token)) << c.what;
        std::vector<std::string> values;
        for (const MarkupAttribute& a : token.attributes)
            values.emplace_back(a.rawValue);
        EXPECT_EQ(values, c.values) << c.what;
    }
}

namespace {

// The tokens of a page in one line each: kind, then the name and attributes or the text.
std::vector<std::string> TokensOf(std::string_view page) {
    std::vector<std::string> tokens;
    MarkupTokenizer tokenizer(page);
    MarkupToken token;
    while (tokenizer.Next(token)) {
        std::string line;
        switch (token.kind) {
        case MarkupToken::Kind::Text:
            line = "text " + std::string(token.text);
            break;
        case MarkupToken::Kind::StartTag:
            line = "<" + std::string(token.name);
            for (const MarkupAttribute& a : token.attributes)
                line += " [" + std::string(a.name) + "]=[" + std::string(a.rawValue) + "]";
            break;
        case MarkupToken::Kind::EndTag:
            line = "</" + std::string(token.name);
            break;
        }
        tokens.push_back(line);
    }
    return tokens;
}

} // namespace

TEST(MarkupTokenizer, attributesWrittenCloseOrSpacedGiveTheSameNamesAndValues) {
    struct Case {
        std::string page;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"<A HREF=\"v\" ADD_DATE=\"1\">", {"<A [HREF]=[v] [ADD_DATE]=[1]"}},
        {"<A HREF = \"v\"  ADD_DATE= \"1\" >", {"<A [HREF]=[v] [ADD_DATE]=[1]"}},
        {"<A HREF=\"v\"B=\"w\"/>", {"<A [HREF]=[v] [B]=[w]"}},
        {"<A HREF=\"\">t", {"<A [HREF]=[]", "text t"}},
        {"<A =\"v\" X>", {"<A [=]=[] [\"v\"]=[] [X]=[]"}},
        {"<A HREF=\"v>t", {"<A [HREF]=[v]", "text t"}},
        {"<A HREF=\"", {"<A [HREF]=[]"}},
        {"<A HREF=\"v", {"<A [HREF]=[v]"}},
        {"<A HREF=", {"<A [HREF]=[]"}},
        {"<A HREF=\"a\nb\" C=\"d\">", {"<A [HREF]=[a\nb] [C]=[d]"}},
        {"<A HREF=\"http://a/>A</A>\n", {"<A [HREF]=[http://a/]", "text A", "</A", "text \n"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TokensOf(c.page), c.tokens) << c.page;
}

TEST(MarkupTokenizer, referencesDecodedInPlaceFitTheRawTextsRoom) {
    const struct {
        std::string_view raw;
        std::string_view decoded;
    } cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"https://a.example/?x=1&amp;y=2&amp;z=3", "https://a.example/?x=1&y=2&z=3"},
        {"&amp;", "&"},
        {"&amp;amp;", "&amp;"},
        {"&amp", "&amp"},
        {"a & b &", "a & b &"},
        {"&unknown; &#; &#x; &", "&unknown; &#; &#x; &"},
        {"&#0;&#0&#x0", "\uFFFD\uFFFD\uFFFD"},
        {"&#65&#x41;&#127;", "AA\x7F"},
        {"&#128;&#x80;", "\u0080\u0080"},
        {"&#2048;&#x800;&#55296;&#xD800;", "\u0800\u0800\uFFFD\uFFFD"},
        {"&#65536;&#x10000;&#1114112;&#99999999999;", "\U00010000\U00010000\uFFFD\uFFFD"},
        {"&lt;&gt;&quot;&apos;&nbsp;&copy;&reg;&trade;&hellip;&mdash;&ndash;",
         "<>\"' \u00A9\u00AE\u2122\u2026\u2014\u2013"},
        {"&laquo;&raquo;&middot;&times;&divide;&yen;&lsquo;&rsquo;&ldquo;&rdquo;&bull;&deg;",
         "\u00AB\u00BB\u00B7\u00D7\u00F7\u00A5\u2018\u2019\u201C\u201D\u2022\u00B0"},
    };
    for (const auto& c : cases) {
        std::string appended = "kept";
        AppendDecodedMarkup(appended, c.raw);
        EXPECT_EQ(appended, "kept" + std::string(c.decoded)) << c.raw;
        // Exactly the raw text's room, so that a reference written longer than it stood overruns
        // (the sanitizers' builds tell).
        std::vector<char> room(c.raw.size());
        const char* const end = PutDecodedMarkup(room.data(), c.raw);
        EXPECT_EQ(std::string_view(room.data(), static_cast<std::size_t>(end - room.data())),
                  c.decoded)
            << c.raw;
    }
}

TEST(MarkupTokenizer, textAfterAReferenceIsCopiedWholeAtEveryLength) {
    const std::string letters = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJ";
    for (std::size_t n = 0; n <= 40; ++n) {
        for (const std::string& head : {std::string("&amp;"), std::string("0123456789&amp;")}) {
            const std::string raw = head + letters.substr(0, n);
            const std::string decoded = head.substr(0, head.size() - 4) + letters.substr(0, n);
            std::vector<char> room(raw.size());
            const char* const end = PutDecodedMarkup(room.data(), raw);
            EXPECT_EQ(std::string_view(room.data(), static_cast<std::size_t>(end - room.data())),
                      decoded)
                << raw;
        }
    }
}

TEST(MarkupTokenizer, whatEndsARunIsFoundAtEveryPlaceOfALongRun) {
    // Runs are searched many bytes at a time; each case puts what ends its run (a quote, a line
    // end, "<", "=", ">" or the end of the page) at every place of such a step. The run holds a
    // control byte and UTF-8, which look like blanks and markup to a careless vector test.
    struct Case {
        const char* what;
        std::string (*page)(const std::string& run);
        std::vector<std::string> (*tokens)(const std::string& run);
    };
    const Case cases[] = {
        {"quoted value", [](const std::string& r) { return "<A T=\"" + r + "\" U=1>"; },
         [](const std::string& r) {
             return std::vector<std::string>{"<A [T]=[" + r + "] [U]=[1]"};
         }},
        {"page ends inside a value", [](const std::string& r) { return "<A T='" + r; },
         [](const std::string& r) { return std::vector<std::string>{"<A [T]=[" + r + "]"}; }},
        {"lost quote, \">\" on the line",
         [](const std::string& r) { return "<A T=\"" + r + ">x\n<B U=\"v\">"; },
         [](const std::string& r) {
             return std::vector<std::string>{"<A [T]=[" + r + "]", "text x\n", "<B [U]=[v]"};
         }},
        {"line break inside a value",
         [](const std::string& r) { return "<A T=\"" + r + "\nz\" U=1>"; },
         [](const std::string& r) {
             return std::vector<std::string>{"<A [T]=[" + r + "\nz] [U]=[1]"};
         }},
        {"bare value", [](const std::string& r) { return "<A T=v" + r + " U=1>"; },
         [](const std::string& r) {
             return std::vector<std::string>{"<A [T]=[v" + r + "] [U]=[1]"};
         }},
        {"attribute name", [](const std::string& r) { return "<A N" + r + "=v>"; },
         [](const std::string& r) { return std::vector<std::string>{"<A [N" + r + "]=[v]"}; }},
        {"text, then a tag", [](const std::string& r) { return "x" + r + "<B>"; },
         [](const std::string& r) {
             return std::vector<std::string>{"text x" + r, "<B"};
         }},
        {"text with a lone \"<\"", [](const std::string& r) { return "x" + r + "<1" + r; },
         [](const std::string& r) { return std::vector<std::string>{"text x" + r + "<1" + r}; }},
        {"end tag", [](const std::string& r) { return "</A " + r + ">y"; },
         [](const std::string&) {
             return std::vector<std::string>{"</A", "text y"};
         }},
    };
    const std::string pattern = "ab\x01\xE3\x81\x82"
                                "cdefghij";
    for (const Case& c : cases) {
        for (std::size_t n = 0; n <= 50; ++n) {
            std::string run;
            for (std::size_t i = 0; i < n; ++i)
                run += pattern[i % pattern.size()];
            EXPECT_EQ(TokensOf(c.page(run)), c.tokens(run)) << c.what << ", run of " << n;
        }
    }
}

TEST(BookmarkFile, pageWithoutLineBreaksIsReadInOnePass) {
    // Searching each value's line end anew on a page of one line would take minutes here.
    std::string page = "<DL>";
    constexpr int kBookmarks = 100000;
    for (int i = 0; i < kBookmarks; ++i)
        page += "<DT><A HREF=\"http://a.example/" + std::to_string(i) +
                "\" ADD_DATE=\"1700000000\" ICON=\"data:x\">n</A>";
    page += "</DL>";
    TableStore t;
    ExchangeTally tally;
    ParseBookmarkPage(page, t, tally);
    ASSERT_EQ(t.RecordCount(), kBookmarks);
    EXPECT_EQ(t.Text(kBookmarks - 1, TableStore::kAddress),
              "http://a.example/" + std::to_string(kBookmarks - 1));
}

TEST(ExchangeFormats, fileOfManyMegabytesIsReadToItsLastByte) {
    // Past the size whose room is advised onto large pages, and no whole number of them, so the
    // room's ends lie inside pages of the ordinary size.
    std::string page = "<DL><p>\n<DT><A HREF=\"http://first.example/\">first</A>\n";
    const std::string filler = "<DT><H3>folder</H3>\n";
    while (page.size() < (std::size_t{5} << 20) + 12345)
        page += filler;
    page += "<DT><A HREF=\"http://last.example/\">last</A>\n</DL>";
    TempDir dir;
    test::WriteFileBytes(dir.File("big.html"), page);
    FileBytes bytes;
    NullProgress progress;
    IoError error;
    ASSERT_TRUE(ReadWholeFile(dir.File("big.html"), bytes, progress, error));
    EXPECT_EQ(bytes.View(), page);
    CollectionContent content;
    ASSERT_TRUE(BookmarkCollectionFormat().Read(dir.File("big.html"), content, progress, error));
    ASSERT_EQ(content.records.RecordCount(), 2);
    EXPECT_EQ(content.records.Text(1, TableStore::kAddress), "http://last.example/");
}
