#include "core/CollectionRewrite.h"

#include "IoCodeOutput.h"
#include "ScriptedUi.h"
#include "TestEnvironment.h"
#include "WrittenPage.h"
#include "core/PageBuffer.h"
#include "core/RecordLineShape.h"

#include <gtest/gtest.h>
#include <random>

using namespace lh;
using namespace std::string_literals;
using test::DateLineOf;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

namespace {

constexpr std::size_t npos = std::string_view::npos;

template <typename Write> std::string Written(Write write) {
    std::FILE* f = std::tmpfile();
    {
        PageBuffer page(f);
        write(page);
        EXPECT_TRUE(page.Flush());
    }
    return test::ReadBackAndClose(f);
}

// The record line as a load and a save make it: the cells the general reader takes, written
// again.
std::string ThroughTheTable(std::string_view line, std::int64_t number) {
    std::string_view cells[4];
    EXPECT_TRUE(ParseRecordLineByMarkup(line, cells));
    return Written([&](PageBuffer& page) {
        PutRecordLine(page, number, cells[0], cells[1], cells[2], cells[3]);
    });
}

std::string Renumbered(std::string_view line, std::size_t tail, std::int64_t number) {
    return "<TR><TD>" + std::to_string(number) + std::string(line.substr(tail)) + "\r\n";
}

// The shortcut's cells are the general reader's.
void ExpectSameCells(std::string_view line, const std::string_view (&cells)[4]) {
    std::string_view general[4];
    ParseRecordLineByMarkup(line, general);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(cells[i], general[i]) << "cell " << i + 1;
}

std::string Line(const std::string& number, const std::string& name, const std::string& address,
                 const std::string& access, const std::string& remark) {
    return "<TR><TD>" + number + "</TD><TD>" + name + "</TD><TD><A HREF=\"" + address + "\">" +
           address + "</A></TD><TD>" + access + "</TD><TD>" + remark + "</TD>";
}

} // namespace

TEST(WriterShape, linesInTheWritersShapeKeepTheirBytesAfterTheNumber) {
    const struct {
        const char* what;
        std::string line;
    } cases[] = {
        {"plain", Line("7", "Site", "http://a.example/", "2024/05/01 9:05:08", "note")},
        {"all cells empty", Line("1", "", "", "", "")},
        {"no number", Line("", "n", "http://a/", "", "")},
        {"double-byte cells", Line("3", "\x93\xFA\x96\x7B", "http://a/\x82\xA0", "", "\x8C\xEA")},
        // A lead byte before a tag pairs with nothing: the tag is still a tag.
        {"lone lead bytes before tags", Line("2", "n\x81", "u\xE0", "\x82", "r\x9F")},
        // The reader does not decode entities: they go out as they came in.
        {"entities", Line("4", "a &amp; b &lt;", "http://a/?x=1&amp;y=2", "&quot;", "&gt;")},
        {"quotes away from the link", Line("5", "say \"hi\"", "http://a/", "\">", "\"q\">")},
        {"line feed inside a cell", Line("6", "n", "http://a/", "", "two\nlines")},
        {"a cell opening with a quote", Line("8", "\"", "http://a/", "\"", "\"")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string_view cells[4];
        const std::size_t tail = SplitWriterShape(c.line, cells);
        ASSERT_NE(tail, npos);
        ExpectSameCells(c.line, cells);
        for (const std::int64_t number : {1, 42, 1000000})
            EXPECT_EQ(Renumbered(c.line, tail, number), ThroughTheTable(c.line, number));
    }
}

TEST(WriterShape, linesTheWriterWouldNotMakeTakeTheFullParse) {
    const std::string good = Line("1", "n", "http://a/", "t", "r");
    const struct {
        const char* what;
        std::string line;
    } cases[] = {
        {"space between the cells", "<TR><TD>1</TD> <TD>n</TD><TD><A HREF=\"http://a/\">"
                                    "http://a/</A></TD><TD>t</TD><TD>r</TD>"},
        {"lower-case tags", "<TR><TD>1</TD><td>n</td><TD><A HREF=\"http://a/\">http://a/</A>"
                            "</TD><TD>t</TD><TD>r</TD>"},
        {"link tag with other spacing", "<TR><TD>1</TD><TD>n</TD><TD><A  HREF=\"http://a/\">"
                                        "http://a/</A></TD><TD>t</TD><TD>r</TD>"},
        {"remark cell missing", "<TR><TD>1</TD><TD>n</TD><TD><A HREF=\"http://a/\">http://a/"
                                "</A></TD><TD>t</TD>"},
        {"no link", "<TR><TD>1</TD><TD>n</TD><TD>http://a/</TD><TD>t</TD><TD>r</TD>"},
        {"text after the last cell", good + " "},
        {"another cell after the last", good + "<TD>x</TD>"},
        {"the record tag alone", "<TR><TD>"},
        {"a cut line", good.substr(0, 40)},
        {"number with a letter", Line("1a", "n", "http://a/", "t", "r")},
        {"number with a space", Line(" 1", "n", "http://a/", "t", "r")},
        {"link text other than the address", "<TR><TD>1</TD><TD>n</TD><TD><A HREF=\"http://a/\">"
                                             "here</A></TD><TD>t</TD><TD>r</TD>"},
        // The reader would end the link inside the name.
        {"name holding a link end", Line("1", "a\">b", "http://a/", "t", "r")},
        {"address opening with '>'", Line("1", "n", ">http://a/", "t", "r")},
        {"markup in the name", Line("1", "<B>n</B>", "http://a/", "t", "r")},
        {"markup in the address", Line("1", "n", "http://a/<B>", "t", "r")},
        {"markup in the remark", Line("1", "n", "http://a/", "t", "r<BR>")},
        {"a cell tag inside a cell", Line("1", "n", "http://a/", "t<TD>", "r")},
        // 0x82 0x3C is no character: the '<' is markup, not the second byte of "\x82".
        {"lead byte and '<' in the name", Line("1", "\x82<n", "http://a/", "t", "r")},
        // The reader's text ends at a NUL.
        {"NUL in the remark", Line("1", "n", "http://a/", "t", "r\0s"s)},
        {"NUL in the name", Line("1", "n\0"s, "http://a/", "t", "r")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string_view cells[4] = {"kept"};
        EXPECT_EQ(SplitWriterShape(c.line, cells), npos);
        EXPECT_EQ(cells[0], "kept");
    }
}

// Lines put together from pieces that trip a reader up: wherever the shortcut takes a line, it
// must write what the table would.
TEST(WriterShape, agreesWithTheFullParseOnGeneratedLines) {
    const std::string pieces[] = {
        "a",   "1",  " ",        "<",    ">",    "\"",    "\">", "<TD>", "</TD>", "<A HREF=\"",
        "\0"s, "\n", "\x82\xA0", "\x82", "\x81", "&amp;", "N",   "</A>", "\x82<", "\x82\""};
    std::mt19937 random(17);
    const auto cell = [&] {
        std::string text;
        for (int n = static_cast<int>(random() % 4); n > 0; --n)
            text += pieces[random() % std::size(pieces)];
        return text;
    };
    int taken = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string address = random() % 2 ? cell() : "http://a/"s;
        std::string line = "<TR><TD>" + std::to_string(i) + "</TD><TD>" + cell() +
                           "</TD><TD><A HREF=\"" + address + "\">" +
                           (random() % 8 ? address : cell()) + "</A></TD><TD>" + cell() +
                           "</TD><TD>" + cell() + "</TD>";
        if (random() % 8 == 0)
            line.resize(random() % line.size());
        if (line.size() < 9)
            continue;
        std::string_view cells[4];
        const std::size_t tail = SplitWriterShape(line, cells);
        if (tail == npos)
            continue;
        ++taken;
        ASSERT_EQ(Renumbered(line, tail, 3), ThroughTheTable(line, 3)) << line;
        ExpectSameCells(line, cells);
    }
    // Enough lines of both kinds for the comparison to mean something.
    EXPECT_GT(taken, 2000);
    EXPECT_LT(taken, 18000);
}

namespace {

// The page a load of `source` and a save of what it read write, with the given date line.
std::string LoadedAndSaved(const std::string& source, const std::string& dateLine) {
    TableStore table;
    std::string title = "Linkhive";
    NullProgress progress;
    IoError error;
    EXPECT_TRUE(ReadCollection(source, table, title, progress, error));
    std::FILE* f = std::tmpfile();
    EXPECT_TRUE(WriteCollection(f, table, title, dateLine, progress));
    return test::ReadBackAndClose(f);
}

} // namespace

TEST(CollectionRewrite, writesWhatALoadAndASaveWrite) {
    const struct {
        const char* what;
        std::string page;
        std::int64_t records;
    } cases[] = {
        {"lines of every kind",
         "<HTML>\r\n<TITLE>First</TITLE>\r\n<TITLE>My \x93\xFA</TITLE>\r\n<TR><TH>No.</TH>\r\n" +
             Line("9", "kept", "http://a/", "t", "r") + "\r\n<TR><TDN>not a record\r\n" +
             Line("2", "<B>parsed</B>", "http://b/", "", "") + "\r" +
             Line("3", "lf\nend", "mailto:x@y", "", "\x82") + "\n\r\n<TR><TD>short</TD>\r\n" +
             "foreign text\r\n" + Line("4", "last", "http://c/", "", "") +
             "\r\n<TITLE>My \x93\xFA</TITLE>\r\n</HTML>",
         5},
        {"no title and no records", "just text\r\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        WriteFileBytes(dir.File("a.htm"), c.page);
        NullProgress progress;
        IoError error;
        std::int64_t records = -1;
        ASSERT_EQ(RewriteCollectionFile(dir.File("a.htm"), dir.File("b.htm"), "Linkhive", progress,
                                        error, nullptr, records),
                  RewriteOutcome::Done)
            << error.code;
        EXPECT_EQ(records, c.records);
        const std::string page = ReadFileBytes(dir.File("b.htm"));
        EXPECT_EQ(page, LoadedAndSaved(dir.File("a.htm"), DateLineOf(page)));
    }
}

TEST(CollectionRewrite, aNewTitleAfterTheFirstRecordAsksForTheFullLoadAndWritesNothing) {
    TempDir dir;
    WriteFileBytes(dir.File("a.htm"), "<TITLE>One</TITLE>\r\n" + Line("1", "n", "u", "", "") +
                                          "\r\n<TITLE>Two</TITLE>\r\n");
    NullProgress progress;
    IoError error;
    std::int64_t records = -1;
    EXPECT_EQ(RewriteCollectionFile(dir.File("a.htm"), dir.File("b.htm"), "Linkhive", progress,
                                    error, nullptr, records),
              RewriteOutcome::NeedsFullLoad);
    EXPECT_FALSE(error.code);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(CollectionRewrite, anUnreadableSourceFailsBeforeTheTargetIsTouched) {
    TempDir dir;
    WriteFileBytes(dir.File("b.htm"), "keep");
    NullProgress progress;
    IoError error;
    std::int64_t records = -1;
    EXPECT_EQ(RewriteCollectionFile(dir.File("none.htm"), dir.File("b.htm"), "Linkhive", progress,
                                    error, nullptr, records),
              RewriteOutcome::Failed);
    EXPECT_EQ(error.code, IoErrorKind::NotFound);
    EXPECT_EQ(error.path, dir.File("none.htm"));
    EXPECT_EQ(ReadFileBytes(dir.File("b.htm")), "keep");

    // A folder is no page either.
    EXPECT_EQ(RewriteCollectionFile(dir.Path().string(), dir.File("b.htm"), "Linkhive", progress,
                                    error, nullptr, records),
              RewriteOutcome::Failed);
    EXPECT_EQ(error.path, dir.Path().string());
    EXPECT_EQ(ReadFileBytes(dir.File("b.htm")), "keep");
}
