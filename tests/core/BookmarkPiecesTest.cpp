#include "BookmarkPages.h"
#include "IoCodeOutput.h"
#include "TestEnvironment.h"
#include "core/BookmarkFile.h"
#include "core/FileInPieces.h"
#include "core/MarkupTokenizer.h"
#include "util/Codec.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

using namespace lh;
using lh::test::Parsed;
using lh::test::ParsedOf;
using lh::test::TempDir;
using lh::test::TrickyPage;

namespace {

std::string Describe(const MarkupToken& t) {
    switch (t.kind) {
    case MarkupToken::Kind::Text:
        return "text " + std::string(t.text);
    case MarkupToken::Kind::EndTag:
        return "</" + std::string(t.name);
    case MarkupToken::Kind::StartTag:
        break;
    }
    std::string line = "<" + std::string(t.name);
    for (const MarkupAttribute& a : t.attributes)
        line += " [" + std::string(a.name) + "]=[" + std::string(a.rawValue) + "]";
    return line;
}

// The tokens of `page` as a reader of pieces takes them: each piece ends at the next of `ends`
// (the last is the page's size); the tokens settled before a piece's end are kept, and the next
// piece starts over from where the first one not kept began.
std::vector<std::string> TokensInPieces(std::string_view page,
                                        const std::vector<std::size_t>& ends) {
    std::vector<std::string> tokens;
    std::size_t from = 0;
    for (const std::size_t end : ends) {
        const bool whole = end == page.size();
        // Room of exactly the bytes read so far, so that the sanitizers' builds see a look past
        // them.
        const std::vector<char> read(page.begin(), page.begin() + static_cast<std::ptrdiff_t>(end));
        MarkupTokenizer tokenizer(std::string_view(read.data(), read.size()), from);
        MarkupToken t;
        for (;;) {
            from = tokenizer.Position();
            if (!tokenizer.Next(t) || (!whole && !tokenizer.EndedBeforePageEnd()))
                break;
            tokens.push_back(Describe(t));
        }
    }
    return tokens;
}

std::vector<std::size_t> EndsEvery(std::size_t piece, std::size_t size) {
    std::vector<std::size_t> ends;
    for (std::size_t end = piece; end < size; end += piece)
        ends.push_back(end);
    ends.push_back(size);
    return ends;
}

struct SteppedProgress final : ProgressSink {
    std::int64_t total = 0;
    void ProgressStart(std::int64_t, const std::string&) override {}
    void ProgressStep(std::int64_t amount) override { total += amount; }
    void ProgressEnd() override {}
};

void Append(const std::string& path, const std::string& bytes) {
    std::ofstream out(test::FsPath(path), std::ios::binary | std::ios::app);
    out << bytes;
}

// Opens a file holding `before`, then appends `added` to it: a file that grew after opening.
void OpenThenGrow(const TempDir& dir, const std::string& before, const std::string& added,
                  FileInPieces& file) {
    test::WriteFileBytes(dir.File("grown.html"), before);
    IoError error;
    ASSERT_TRUE(file.Open(dir.File("grown.html"), error));
    Append(dir.File("grown.html"), added);
}

std::string AsciiEntries(int count) {
    std::string entries;
    for (int i = 0; i < count; ++i)
        entries += "<DT><A HREF=\"http://a.example/" + std::to_string(i) + "\">A</A>\n";
    return entries;
}

struct PageCase {
    const char* what;
    std::string page;
};

// Each page written to a file and read in pieces of several sizes on two threads gives the
// records one thread makes of the whole page, steps the progress by the file's size and tells
// that size.
void ExpectPiecesGiveWholePage(const std::vector<PageCase>& cases) {
    TempDir dir;
    for (const PageCase& c : cases) {
        test::WriteFileBytes(dir.File("b.html"), c.page);
        TableStore wholeRecords;
        ExchangeTally wholeTally;
        ParseBookmarkPage(c.page, wholeRecords, wholeTally, BookmarkThreads::One);
        const Parsed whole = ParsedOf(wholeRecords, wholeTally);
        for (const std::size_t piece : {1, 7, 4096, 1 << 20}) {
            FileInPieces file;
            CollectionContent content;
            SteppedProgress progress;
            IoError error;
            ASSERT_TRUE(file.Open(dir.File("b.html"), error));
            const bool read =
                ReadBookmarkFile(file, content, progress, error, BookmarkThreads::Two, piece);
            EXPECT_TRUE(read) << c.what << ", pieces of " << piece << ": " << error.code;
            if (!read)
                continue;
            EXPECT_EQ(ParsedOf(content.records, content.tally), whole)
                << c.what << ", pieces of " << piece;
            EXPECT_EQ(progress.total, static_cast<std::int64_t>(c.page.size()))
                << c.what << ", pieces of " << piece;
            EXPECT_EQ(content.summary.fileBytes, static_cast<std::int64_t>(c.page.size()))
                << c.what << ", pieces of " << piece;
        }
    }
}

} // namespace

TEST(MarkupTokenizerInPieces, tokensSettledBeforeAnyCutAndTheRestGiveTheTokensOfOnePass) {
    const std::string pages[] = {
        "",
        "<A T=\"one\ntw>o\" U=1>x\n<B HREF=\"http://a/>A</A>\n<DT><A HREF=\"http://b/\">B</A>\n",
        "<A HREF='a\nb' C=\"d\ne\">t</A>",
        "a<!-- c <A HREF=\"x\"> -- > -->b<!---->c<!-->d-->e<!--",
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<?xml v?><!x>y<!",
        "<script>if (a<b) x=\"</a>\";</scr</script ><STYLE>p>q{}</style>t<script>",
        "a < b <1 <= <<B>c<",
        "x</ y</A z</",
        "<A HREF X Y= Z=\"\" =W/><INPUT checked/>v<P a=b",
        "\xEF\xBB\xBF<DL><p>\n<DT><A HREF=\"http://日本/\">題😀</A>",
        TrickyPage(40),
    };
    for (const std::string& page : pages) {
        const std::vector<std::string> onePass = TokensInPieces(page, {page.size()});
        for (std::size_t cut = 0; cut <= page.size(); ++cut)
            ASSERT_EQ(TokensInPieces(page, {cut, page.size()}), onePass)
                << "cut at " << cut << " of " << page.substr(0, 80);
        for (const std::size_t piece : {1, 7})
            EXPECT_EQ(TokensInPieces(page, EndsEvery(piece, page.size())), onePass)
                << "pieces of " << piece << " of " << page.substr(0, 80);
    }
}

TEST(MarkupTokenizerInPieces, valueWhoseLostQuoteIsSoughtToTheCutIsNotSettled) {
    // The tag ends before the cut, yet the quote after the cut would make its value longer: the
    // end of the bytes alone cannot tell settled tokens.
    const std::string page = "<A T=\"one\ntw>o\" U=1>";
    const std::string_view cut = std::string_view(page).substr(0, page.find('>') + 2);
    MarkupTokenizer tokenizer(cut);
    MarkupToken t;
    ASSERT_TRUE(tokenizer.Next(t));
    EXPECT_LT(tokenizer.Position(), cut.size());
    EXPECT_EQ(Describe(t), "<A [T]=[one\ntw]");
    EXPECT_FALSE(tokenizer.EndedBeforePageEnd());
    EXPECT_EQ(TokensInPieces(page, {page.size()}),
              std::vector<std::string>{"<A [T]=[one\ntw>o] [U]=[1]"});
}

TEST(FileInPieces, piecesReadInPlaceAreTheFileAndStayWhereTheyWere) {
    const std::string page = TrickyPage(100);
    TempDir dir;
    test::WriteFileBytes(dir.File("a.html"), page);
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, page.size() - 1, page.size(),
                                    page.size() + 1, std::size_t{1} << 20}) {
        FileInPieces file;
        IoError error;
        ASSERT_TRUE(file.Open(dir.File("a.html"), error));
        EXPECT_EQ(file.SizeWhenOpened(), page.size());
        FileInPieces::Step step = file.Read(piece, true);
        const char* const first = file.Bytes().View().data();
        while (step == FileInPieces::Step::More) {
            ASSERT_LE(file.LastRead(), piece);
            step = file.Read(piece, true);
        }
        EXPECT_EQ(step, FileInPieces::Step::End) << piece;
        EXPECT_EQ(file.Bytes().View(), page) << piece;
        EXPECT_EQ(file.Bytes().View().data(), first) << piece;
    }
}

TEST(FileInPieces, fileGrownSinceOpeningFillsItsRoomInPlaceThenIsReadToItsNewEnd) {
    const std::string before = TrickyPage(30);
    const std::string added = AsciiEntries(200);
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
        TempDir dir;
        FileInPieces file;
        ASSERT_NO_FATAL_FAILURE(OpenThenGrow(dir, before, added, file));
        FileInPieces::Step step;
        while ((step = file.Read(piece, true)) == FileInPieces::Step::More) {
        }
        EXPECT_EQ(step, FileInPieces::Step::Full) << piece;
        EXPECT_EQ(file.Bytes().View(), (before + added).substr(0, before.size() + 1)) << piece;
        SteppedProgress progress;
        EXPECT_EQ(file.ReadRest(progress), FileInPieces::Step::End) << piece;
        EXPECT_EQ(file.Bytes().View(), before + added) << piece;
        EXPECT_EQ(progress.total, static_cast<std::int64_t>(added.size() - 1)) << piece;
    }
}

TEST(FileInPieces, missingFileIsNotFound) {
    TempDir dir;
    FileInPieces file;
    IoError error;
    EXPECT_FALSE(file.Open(dir.File("none.html"), error));
    EXPECT_EQ(error.code, IoCode(IoErrorKind::NotFound));
    EXPECT_EQ(error.path, dir.File("none.html"));
}

TEST(BookmarkFileInPieces, utf8PagesGiveTheRecordsProgressAndSizeOfOneThreadOnTheWholePage) {
    std::string straddling = "<DL><p>\n";
    for (int i = 0; i < 400; ++i)
        straddling += "<DT><A HREF=\"http://日本.example/" + std::to_string(i) + "/ｶ😀\">題名" +
                      std::string(i % 5, 'x') + "髙〜😀</A>\n<DD>説明ｶﾀｶﾅ\n";
    ExpectPiecesGiveWholePage({
        {"tricky", TrickyPage(3000)},
        {"byte-order mark", "\xEF\xBB\xBF" + TrickyPage(1000)},
        {"characters across piece ends", straddling + "</DL>"},
        {"empty", ""},
        {"two bytes", "<D"},
        {"browser fixture", test::ReadFileBytes(test::DataPath("chrome-bookmarks.html"))},
    });
}

TEST(BookmarkFileInPieces, codePage932PagesGiveTheRecordsProgressAndSizeOfOneThreadOnTheWholePage) {
    ExpectPiecesGiveWholePage({
        {"non-UTF-8 late",
         Utf8ToSjis("<DL>\n" + AsciiEntries(3000) + "<DT><A HREF=\"http://a.jp/\">日本</A></DL>")
             .value()},
        {"non-UTF-8 early",
         Utf8ToSjis("<DL><DT><A HREF=\"http://a.jp/\">日本</A>\n" + AsciiEntries(3000) + "</DL>")
             .value()},
        {"small", Utf8ToSjis("<DL><DT><A HREF=\"http://a.jp/\">日本</A></DL>").value()},
    });
}

TEST(BookmarkFileInPieces, byteOrderMarkAloneCountsInTheProgress) {
    ExpectPiecesGiveWholePage({{"byte-order mark only", "\xEF\xBB\xBF"}});
}

TEST(BookmarkFileInPieces, fileGrownAfterOpeningGivesTheRecordsOfAllOfIt) {
    const std::string before = "<DL><p>\n" + TrickyPage(500);
    const std::string added = "<DT><A HREF=\"http://added.example/\">追加</A>\n</DL>\n";
    TableStore wholeRecords;
    ExchangeTally wholeTally;
    ParseBookmarkPage(before + added, wholeRecords, wholeTally, BookmarkThreads::One);
    for (const std::size_t piece : {7, 4096, 1 << 20}) {
        TempDir dir;
        FileInPieces file;
        ASSERT_NO_FATAL_FAILURE(OpenThenGrow(dir, before, added, file));
        IoError error;
        CollectionContent content;
        SteppedProgress progress;
        ASSERT_TRUE(ReadBookmarkFile(file, content, progress, error, BookmarkThreads::Two, piece));
        EXPECT_EQ(ParsedOf(content.records, content.tally), ParsedOf(wholeRecords, wholeTally))
            << piece;
        EXPECT_EQ(progress.total, static_cast<std::int64_t>(before.size() + added.size()));
        EXPECT_EQ(content.summary.fileBytes,
                  static_cast<std::int64_t>(before.size() + added.size()));
    }
}

TEST(BookmarkFileInPieces, largeCodePage932FileIsImportedAsTheWholePageReadsIt) {
    // Large enough that the format reads it in pieces on two threads where a processor is spare.
    const std::string page =
        Utf8ToSjis("<DL>\n" + AsciiEntries(8000) + "<DT><A HREF=\"http://a.jp/\">日本</A></DL>")
            .value();
    TableStore wholeRecords;
    ExchangeTally wholeTally;
    ParseBookmarkPage(page, wholeRecords, wholeTally, BookmarkThreads::One);
    TempDir dir;
    test::WriteFileBytes(dir.File("b.html"), page);
    CollectionContent content;
    NullProgress progress;
    IoError error;
    ASSERT_TRUE(BookmarkCollectionFormat().Read(dir.File("b.html"), content, progress, error))
        << error.code;
    EXPECT_EQ(ParsedOf(content.records, content.tally), ParsedOf(wholeRecords, wholeTally));
}
