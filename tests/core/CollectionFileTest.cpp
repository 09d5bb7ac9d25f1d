#include "core/CollectionFile.h"

#include "IoCodeOutput.h"
#include "Portable.h"
#include "ScriptedUi.h"
#include "TestEnvironment.h"
#include "WrittenPage.h"
#include "core/IoError.h"
#include "platform/Locale.h"
#include "util/Codec.h"
#include "util/Mbcs.h"

#include <array>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#if LINKHIVE_POSIX_TESTS
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace lh;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

using Record = std::array<std::string, 4>;

void Fill(TableStore& t, const std::vector<Record>& records) {
    t.Clear();
    for (const auto& r : records)
        t.AppendRecord(r[0], r[1], r[2], r[3]);
}

std::vector<Record> Records(const TableStore& t) {
    std::vector<Record> out;
    for (TableStore::Row r = 0; r < t.RecordCount(); ++r)
        out.push_back({std::string(t.Text(r, TableStore::kName)),
                       std::string(t.Text(r, TableStore::kAddress)),
                       std::string(t.Text(r, TableStore::kAccess)),
                       std::string(t.Text(r, TableStore::kRemark))});
    return out;
}

std::string WriteToString(const TableStore& t, const std::string& title, const std::string& date,
                          test::RecordingProgress* progress = nullptr) {
    test::RecordingProgress local;
    std::FILE* f = std::tmpfile();
    EXPECT_TRUE(WriteCollection(f, t, title, date, progress ? *progress : local));
    return test::ReadBackAndClose(f);
}

struct Loaded {
    bool ok = false;
    std::string title;
    std::vector<Record> records;
    IoError error;
};

Loaded ReadBytes(const std::string& bytes, const std::string& initialTitle = "Before") {
    test::TempDir dir;
    const std::string path = dir.File("page.htm");
    test::WriteFileBytes(path, bytes);
    Loaded l;
    l.title = initialTitle;
    TableStore t;
    NullProgress progress;
    l.ok = ReadCollection(path, t, l.title, progress, l.error);
    l.records = Records(t);
    return l;
}

std::string Lines(std::initializer_list<std::string> lines) {
    std::string s;
    for (const auto& l : lines)
        s += l + "\r\n";
    return s;
}

// The reading of a record line exactly as the character functions state it, for comparison.
// The reader's algorithm written out character by character, with the code page's pairing: a
// lead byte and a second byte (0x40-0x7E, 0x80-0xFC) form one character, any other byte stands
// alone. Positions are 1-based character indexes, 0 for none.
class CharLine {
public:
    explicit CharLine(const std::string& text) : m_text(text) {
        for (std::size_t p = 0; p < text.size();) {
            m_starts.push_back(p);
            const auto b = static_cast<unsigned char>(text[p]);
            const auto next = p + 1 < text.size() ? static_cast<unsigned char>(text[p + 1]) : 0;
            const bool pair = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) &&
                              ((next >= 0x40 && next <= 0x7E) || (next >= 0x80 && next <= 0xFC));
            p += pair ? 2 : 1;
        }
        m_starts.push_back(text.size());
    }
    long Length() const { return static_cast<long>(m_starts.size()) - 1; }
    long PosFrom(const std::string& pattern, long start) const {
        for (long i = std::max(start, 1L); i <= Length(); ++i)
            if (m_text.compare(m_starts[i - 1], pattern.size(), pattern) == 0)
                return i;
        return 0;
    }
    std::string Copy(long pos, long count) const {
        if (pos < 1 || count <= 0 || pos > Length())
            return {};
        const long end = std::min(pos - 1 + count, Length());
        return m_text.substr(m_starts[pos - 1], m_starts[end] - m_starts[pos - 1]);
    }

private:
    const std::string& m_text;
    std::vector<std::size_t> m_starts;
};

Record ReferenceParse(const std::string& text) {
    const CharLine L(text);
    Record cells;
    long c = L.PosFrom("<TD>", 1);
    for (long j = 0; c > 0; ++j) {
        long e = L.PosFrom("</TD>", c + 4);
        if (j == 2) {
            c = L.PosFrom("<A HREF=\"", 1) + 5;
            e = L.PosFrom("\">", 1);
        }
        if (j >= 1)
            cells[static_cast<std::size_t>(j - 1)] = L.Copy(c + 4, e - c - 4);
        if (j == 4)
            break;
        c = L.PosFrom("<TD>", e + 5);
    }
    return cells;
}

const std::string kJapaneseName = "\x93\xFA\x96\x7B"; // 日本
const std::string kTrailT = "\x83\x54";               // a character ending in 'T'
const std::string kTrailD = "\x83\x44";               // a character ending in 'D'
const std::string kTrailBackslash = "\x83\x5C";       // a character ending in '\'
const std::string kSakusei = "\x20\x8D\xEC\x90\xAC";  // " 作成"
const std::string kKoushin = "\x20\x8D\x58\x90\x56";  // " 更新"

} // namespace

// ---- writer ------------------------------------------------------------------------------

TEST(CollectionWriter, writesThePageByteForByte) {
    TableStore t;
    Fill(t, {{"Home", "http://a.example/", "2024/01/02 3:04:05", "note"},
             {kJapaneseName, "x@y.example", "", "<&\">"},
             {"", "", "", ""}});
    test::RecordingProgress progress;
    const std::string page = WriteToString(t, "My " + kJapaneseName, "DATE", &progress);
    const std::string expected =
        "<HTML>\r\n"
        "<HEAD>\r\n"
        "<TITLE>My " +
        kJapaneseName +
        "</TITLE>\r\n"
        "</HEAD>\r\n"
        "<BODY BGCOLOR=\"#DDFFFF\">\r\n"
        "<P align=\"right\">\r\n"
        "DATE\r\n"
        "<P align=\"center\">\r\n"
        "<B><I><FONT SIZE=7>My " +
        kJapaneseName +
        "</FONT></I></B>\r\n"
        "<P align=\"right\">\r\n"
        "by Linkhive for Windows <BR>\r\n"
        "<META http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
        "Copyright (C) Tessella, all rights reserved.<BR>\r\n"
        "<P>\r\n"
        "<TABLE BORDER=\"1\">\r\n"
        "<TR><TH>No.</TH><TH>\x96\xBC\x91\x4F</TH><TH>URL/E-Mail</TH>"
        "<TH>\xB1\xB8\xBE\xBD\x93\xFA\x8E\x9E</TH><TH>\x94\xF5\x8D\x6C</TH>\r\n"
        "<TR><TD>1</TD><TD>Home</TD><TD><A HREF=\"http://a.example/\">http://a.example/</A></TD>"
        "<TD>2024/01/02 3:04:05</TD><TD>note</TD>\r\n"
        "<TR><TD>2</TD><TD>" +
        kJapaneseName +
        "</TD><TD><A HREF=\"x@y.example\">x@y.example</A>"
        "</TD><TD></TD><TD><&\"></TD>\r\n"
        "<TR><TD>3</TD><TD></TD><TD><A HREF=\"\"></A></TD><TD></TD><TD></TD>\r\n"
        "</TABLE><BR CLEAR=\"all\">\r\n"
        "</BODY>\r\n"
        "</HTML>\r\n";
    EXPECT_EQ(page, expected);
    EXPECT_EQ(progress.steps, 21);
    EXPECT_EQ(progress.total, CollectionLineCount(t));
}

TEST(CollectionWriter, emptyTableGivesTheEighteenFixedLines) {
    TableStore t;
    const std::string page = WriteToString(t, "Linkhive", "D");
    std::size_t lines = 0;
    for (std::size_t p = 0; (p = page.find("\r\n", p)) != std::string::npos; p += 2)
        ++lines;
    EXPECT_EQ(lines, 18u);
    EXPECT_EQ(CollectionLineCount(t), 18);
    EXPECT_EQ(page.find("<TR><TD>"), std::string::npos);
}

TEST(CollectionWriter, dateLineUsesLocalTimeAndSaysCreatedOrUpdated) {
    // The tests run in UTC: 1 May 1997 09:05:08 was a Thursday, named as the user's locale
    // names it ("Thu" in the C locale of the Linux tests).
    const std::time_t when = 862477508;
    const std::string thu = *Utf8ToSjis(platform::WeekdayAbbreviation(4));
    EXPECT_EQ(DateLine(when, true), "1997/05/01(" + thu + ") 09:05:08" + kSakusei);
    EXPECT_EQ(DateLine(when, false), "1997/05/01(" + thu + ") 09:05:08" + kKoushin);
}

// ---- reader ------------------------------------------------------------------------------

TEST(CollectionWriter, charsetDeclarationLiesWhereBrowsersLookAndReadsLikeTheOldLine) {
    TableStore t;
    Fill(t, {{kJapaneseName, "http://a.example/", "", "note"}});
    const std::string page =
        WriteToString(t, "Linkhive", "2024/01/02(Tue) 03:04:05 \x8D\xEC\x90\xAC");
    const std::string declaration =
        "<META http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">";
    const std::size_t at = page.find(declaration);
    ASSERT_NE(at, std::string::npos);
    EXPECT_LE(at + declaration.size(), 1024u);

    // A page written before the declaration existed reads back the same.
    std::string old = page;
    old.erase(at, declaration.size());
    const Loaded fresh = ReadBytes(page);
    const Loaded before = ReadBytes(old);
    ASSERT_TRUE(fresh.ok && before.ok);
    EXPECT_EQ(fresh.title, before.title);
    EXPECT_EQ(fresh.records, before.records);
    EXPECT_EQ(fresh.records, Records(t));
}

TEST(CollectionReader, titleLineRules) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::string title;
    };
    const std::vector<Case> cases = {
        {"no title line keeps the title", {"<HTML>", "<P>"}, "Before"},
        {"plain title", {"<TITLE>Links</TITLE>"}, "Links"},
        {"last of several wins", {"<TITLE>One</TITLE>", "<TITLE>Two</TITLE>"}, "Two"},
        {"exactly fifteen characters", {"<TITLE></TITLE>"}, "</TITLE>"},
        {"only the opening tag", {"<TITLE>"}, "Before"},
        {"short text without closing", {"<TITLE>ab"}, "ab"},
        {"trailing text loses the last eight", {"<TITLE>abc</TITLE>xyz"}, "abc</T"},
        {"double-byte title", {"<TITLE>" + kJapaneseName + "</TITLE>"}, kJapaneseName},
        {"lower-case tag ignored", {"<title>x</title>"}, "Before"},
        {"leading space ignored", {" <TITLE>x</TITLE>"}, "Before"},
    };
    for (const auto& c : cases) {
        std::string bytes;
        for (const auto& l : c.lines)
            bytes += l + "\r\n";
        const Loaded l = ReadBytes(bytes);
        EXPECT_TRUE(l.ok) << c.name;
        EXPECT_EQ(l.title, c.title) << c.name;
    }
}

TEST(CollectionReader, recordLineRules) {
    struct Case {
        const char* name;
        std::string line;
        std::vector<Record> records;
    };
    const std::string link = "<A HREF=\"u\">u</A>";
    const std::vector<Case> cases = {
        {"written record",
         "<TR><TD>7</TD><TD>n</TD><TD>" + link + "</TD><TD>a</TD><TD>r</TD>",
         {{"n", "u", "a", "r"}}},
        {"ninth character N is a heading", "<TR><TD>No.</TD><TD>n</TD>", {}},
        {"lower-case tags ignored", "<tr><td>1</td><td>n</td>", {}},
        {"leading spaces ignored", "  <TR><TD>1</TD><TD>n</TD>", {}},
        {"table heading row ignored", "<TR><TH>No.</TH><TH>x</TH>", {}},
        {"fewer than five cells",
         "<TR><TD>1</TD><TD>n</TD><TD>" + link + "</TD>",
         {{"n", "u", "", ""}}},
        {"only the start", "<TR><TD>", {{"", "", "", ""}}},
        {"no link: third and fourth cells restart at the number",
         "<TR><TD>1</TD><TD>n</TD><TD>plain</TD><TD>a</TD><TD>r</TD>",
         {{"n", "", "1", "n"}}},
        {"name with a link closing",
         "<TR><TD>1</TD><TD>x\">y</TD><TD>" + link + "</TD><TD>a</TD><TD>r</TD>",
         {{"x\">y", "", link, "a"}}},
        {"closing tags and cells with foreign markup",
         "<TR><TD>1</TD><TD><B>n</B></TD><TD><A HREF=\"u\" TARGET=\"_b\">u</A></TD>"
         "<TD>a</TD><TD>r</TD></TR>",
         {{"<B>n</B>", "u\" TARGET=\"_b", "a", "r"}}},
        {"double-byte characters ending in T and D are never split",
         "<TR><TD>1</TD><TD>" + kTrailT + kTrailD + "</TD><TD><A HREF=\"" + kTrailD +
             "\">x</A></TD><TD>" + kTrailBackslash + "</TD><TD>" + kTrailT + "</TD>",
         {{kTrailT + kTrailD, kTrailD, kTrailBackslash, kTrailT}}},
        {"a lead-range pair before a tag leaves the tag whole",
         // 0x81 0x83 is one character; the '<' after it can be no second byte.
         "<TR><TD>1</TD><TD>a\x81\x83</TD>b</TD><TD>" + link + "</TD><TD>c</TD><TD>d</TD>",
         {{"a\x81\x83", "u", "c", "d"}}},
        {"a stray lead byte does not swallow the tag after it",
         "<TR><TD>1</TD><TD>a\x81</TD><TD>" + link + "</TD><TD>c\xFC</TD><TD>d\x9F</TD>",
         {{"a\x81", "u", "c\xFC", "d\x9F"}}},
        {"a stray lead byte before a tag leaves the tag seen",
         // '<' is no trail byte: 0x81 stands alone and "</TD>" closes the cell.
         "<TR><TD>1</TD><TD>a\x81</TD>b</TD><TD>" + link + "</TD><TD>c</TD><TD>d</TD>",
         {{"a\x81", "u", "c", "d"}}},
        {"a stray lead byte before the link's closing quote",
         "<TR><TD>1</TD><TD>n</TD><TD><A HREF=\"u\x81\">u\x81</A></TD><TD>c</TD><TD>d</TD>",
         {{"n", "u\x81", "c", "d"}}},
    };
    for (const auto& c : cases) {
        const Loaded l = ReadBytes(Lines({"<HTML>", c.line, "</HTML>"}));
        EXPECT_TRUE(l.ok) << c.name;
        EXPECT_EQ(l.records, c.records) << c.name;
    }
}

TEST(CollectionReader, takesRecordsFromEveryTableInFileOrder) {
    const Loaded l =
        ReadBytes(Lines({"<TABLE>", "<TR><TD>1</TD><TD>a</TD><TD><A HREF=\"1\">1</A></TD>",
                         "</TABLE>", "<P>text</P>", "<TABLE>",
                         "<TR><TD>9</TD><TD>b</TD><TD><A HREF=\"2\">2</A></TD>", "</TABLE>"}));
    EXPECT_EQ(l.records, (std::vector<Record>{{"a", "1", "", ""}, {"b", "2", "", ""}}));
}

TEST(CollectionReader, linesEndOnlyAtCarriageReturn) {
    // LF-only lines run together into one line, which starts with "<HTML>" and is ignored.
    const Loaded lfOnly =
        ReadBytes("<HTML>\n<TR><TD>1</TD><TD>a</TD><TD><A HREF=\"u\">u</A></TD>\n");
    EXPECT_TRUE(lfOnly.records.empty());
    // 0x1A ends the file.
    const Loaded eof = ReadBytes(Lines({"<TR><TD>1</TD><TD>a</TD>"}) + "\x1A" +
                                 Lines({"<TR><TD>2</TD><TD>b</TD>"}));
    EXPECT_EQ(eof.records.size(), 1u);
}

TEST(CollectionReader, stepsProgressByLineLengthPlusTwo) {
    const std::string bytes = Lines({"<HTML>", "<TITLE>t</TITLE>", ""}) + "tail";
    test::TempDir dir;
    const std::string path = dir.File("p.htm");
    test::WriteFileBytes(path, bytes);
    TableStore t;
    std::string title;
    test::RecordingProgress progress;
    IoError error;
    ASSERT_TRUE(ReadCollection(path, t, title, progress, error));
    EXPECT_EQ(progress.steps, 4);
    EXPECT_EQ(progress.total, static_cast<std::int64_t>(bytes.size()) + 2);
    EXPECT_EQ(progress.starts, 0);
    EXPECT_EQ(progress.ends, 0);
}

TEST(CollectionReader, missingFileFailsWithNotFound) {
    TableStore t;
    std::string title = "x";
    NullProgress progress;
    IoError error;
    test::TempDir dir;
    const std::string missing = dir.File("a.htm");
    EXPECT_FALSE(ReadCollection(missing, t, title, progress, error));
    EXPECT_EQ(error.code, IoErrorKind::NotFound);
    EXPECT_EQ(error.path, missing);
    EXPECT_EQ(title, "x");
}

TEST(CollectionReader, matchesTheCharacterWiseReadingOnRandomLines) {
    const std::vector<std::string> pieces = {
        "<TD>",        "</TD>", "<A HREF=\"", "\">",   "</A>", "a",     "N",     "T",
        "D",           "<",     ">",          "\"",    "/",    kTrailT, kTrailD, kTrailBackslash,
        kJapaneseName, "\x81",  "\x83",       "\x81<", "<TD",  " "};
    std::mt19937 rng(12345);
    for (int i = 0; i < 20000; ++i) {
        std::string line = "<TR><TD>";
        const int count = static_cast<int>(rng() % 14);
        for (int k = 0; k < count; ++k)
            line += pieces[rng() % pieces.size()];
        std::string_view cells[4];
        ASSERT_EQ(ParseRecordLine(line, cells), line.size() < 9 || line[8] != 'N');
        if (line.size() >= 9 && line[8] == 'N')
            continue;
        const Record expected = ReferenceParse(line);
        for (std::size_t k = 0; k < 4; ++k)
            ASSERT_EQ(std::string(cells[k]), expected[k]) << "line: " << line << " cell " << k;
    }
}

TEST(CollectionReader, longMarkupHeavyLinesAndNulBytesReadAsTheCharacterWiseReading) {
    // Lines with more tags than the reader keeps places for, and text cut at a NUL byte.
    const std::vector<std::string> pieces = {"<TD>", "</TD>", "<A HREF=\"", "\">", "<",  "\"",
                                             "x",    kTrailT, "\x81<",      "<TD", "\0"s};
    std::mt19937 rng(777);
    for (int i = 0; i < 3000; ++i) {
        std::string line = "<TR><TD>x";
        const int count = static_cast<int>(rng() % 160);
        for (int k = 0; k < count; ++k) {
            const std::string& piece = pieces[rng() % pieces.size()];
            // A NUL only now and then, so most lines stay long.
            if (piece == "\0"s && rng() % 8 != 0)
                continue;
            line += piece;
        }
        std::string_view cells[4];
        ASSERT_TRUE(ParseRecordLine(line, cells));
        const Record expected = ReferenceParse(line.substr(0, line.find('\0')));
        for (std::size_t k = 0; k < 4; ++k)
            ASSERT_EQ(std::string(cells[k]), expected[k]) << "line " << i << " cell " << k;
    }
}

// ---- round trip --------------------------------------------------------------------------

namespace {
// Random text that the format keeps: whole characters, no line break, NUL or end-of-file byte,
// no cell tags; names without link markup, addresses without a link closing and not starting
// with '>', which would close the link opening's own quote.
std::string RandomText(std::mt19937& rng, int which) {
    static const std::vector<std::string> chars = {
        "a",        "Z",    "0",        " ",       "<",  ">",  "\"",    "&",     "/",
        "T",        "D",    "N",        "=",       "\t", "\n", kTrailT, kTrailD, kTrailBackslash,
        "\x93\xFA", "\xB1", "\x81\x40", "\xFC\xFC"};
    for (;;) {
        std::string s;
        const int n = static_cast<int>(rng() % 12);
        for (int k = 0; k < n; ++k)
            s += chars[rng() % chars.size()];
        if (s.find('\n') != std::string::npos)
            s.erase(std::remove(s.begin(), s.end(), '\n'), s.end());
        const bool bad = s.find("<TD>") != std::string::npos ||
                         s.find("</TD>") != std::string::npos ||
                         (which == 0 && s.find("<A HREF=\"") != std::string::npos) ||
                         ((which == 0 || which == 1) && s.find("\">") != std::string::npos) ||
                         (which == 1 && !s.empty() && s.front() == '>');
        if (!bad)
            return s;
    }
}
} // namespace

TEST(CollectionRoundTrip, randomKeptTablesSurviveWriteAndRead) {
    std::mt19937 rng(2024);
    test::TempDir dir;
    const std::string path = dir.File("round.htm");
    for (int round = 0; round < 200; ++round) {
        std::vector<Record> records(rng() % 30);
        for (auto& r : records)
            for (int k = 0; k < 4; ++k)
                r[static_cast<std::size_t>(k)] = RandomText(rng, k);
        std::string title = RandomText(rng, 3);
        if (title.empty())
            title = "t";
        TableStore t;
        Fill(t, records);
        NullProgress progress;
        IoError error;
        ASSERT_TRUE(SaveCollectionFile(path, t, title, BackupKind::None, progress, error));
        TableStore back;
        std::string backTitle = "other";
        ASSERT_TRUE(ReadCollection(path, back, backTitle, progress, error));
        ASSERT_EQ(Records(back), records) << "round " << round;
        ASSERT_EQ(backTitle, title);
    }
}

// A text that ends in a lead byte without its partner is read back as written, so saving again
// writes the same page: the markup after it is never taken for the missing second byte.
TEST(CollectionRoundTrip, textsEndingInAStrayLeadByteAreAFixedPoint) {
    for (const char lead : {'\x81', '\x86', '\x9F', '\xE0', '\xFC'}) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(lead)));
        const std::string stray(1, lead);
        const std::string title = "My " + stray;
        const std::vector<Record> records = {
            {"name" + stray, "http://a.example/" + stray, stray, "note" + stray},
            {kJapaneseName + stray, stray + stray + stray, "", "x"},
        };
        TableStore t;
        Fill(t, records);
        const std::string first = WriteToString(t, title, "DATE");
        const Loaded back = ReadBytes(first);
        ASSERT_TRUE(back.ok);
        EXPECT_EQ(back.title, title);
        EXPECT_EQ(back.records, records);
        TableStore again;
        Fill(again, back.records);
        EXPECT_EQ(WriteToString(again, back.title, "DATE"), first);
    }
}

TEST(CollectionRoundTrip, strayLeadBytesOfAForeignPageAreKept) {
    const Loaded l = ReadBytes(test::ReadFileBytes(test::DataPath("lone-lead.htm")));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.title, "My \x86");
    EXPECT_EQ(l.records,
              (std::vector<Record>{{"name\x81", "http://a.example/\x9F", "\xE0", "note\xFC"}}));
}

// ---- safe save ---------------------------------------------------------------------------

TEST(CollectionSave, backupNames) {
    struct Case {
        const char* target;
        BackupKind kind;
        const char* backup;
    };
    const std::vector<Case> cases = {
        {"/d/links.htm", BackupKind::Bak, "/d/links.bak"},
        {"/d/links.htm", BackupKind::Tilde, "/d/links.~ht"},
        {"/d/links.html", BackupKind::Tilde, "/d/links.~ht"},
        {"/d/a.h", BackupKind::Tilde, "/d/a.~h"},
        {"/d/readme", BackupKind::Tilde, "/d/readme.~"},
        {"/d/readme", BackupKind::Bak, "/d/readme.bak"},
        {"/d.x/readme", BackupKind::Bak, "/d.x/readme.bak"},
        {"/d/a.\xC3\xA4\xC3\xA4", BackupKind::Tilde, "/d/a.~\xC3\xA4"},
        {"/d/a.x\xC3\xA4", BackupKind::Tilde, "/d/a.~x"},
        {"/d/links.htm", BackupKind::None, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BackupPath(c.target, c.kind), c.backup) << c.target;
    EXPECT_EQ(BackupKindFromSetting(0), BackupKind::None);
    EXPECT_EQ(BackupKindFromSetting(1), BackupKind::Bak);
    EXPECT_EQ(BackupKindFromSetting(2), BackupKind::Tilde);
    EXPECT_EQ(BackupKindFromSetting(3), BackupKind::None);
}

namespace {
struct SaveFixture {
    test::TempDir dir;
    std::string target = dir.File("links.htm");
    TableStore table;
    NullProgress progress;
    IoError error;

    SaveFixture() { Fill(table, {{"n", "http://a/", "", ""}}); }
    bool Save(BackupKind kind = BackupKind::None) {
        return SaveCollectionFile(target, table, "T", kind, progress, error);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.Path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};
} // namespace

TEST(CollectionSave, newFileSaysCreatedAndReplacedFileSaysUpdated) {
    SaveFixture f;
    ASSERT_TRUE(f.Save());
    EXPECT_TRUE(test::DateLineOf(test::ReadFileBytes(f.target)).ends_with(kSakusei));
    ASSERT_TRUE(f.Save());
    EXPECT_TRUE(test::DateLineOf(test::ReadFileBytes(f.target)).ends_with(kKoushin));
    EXPECT_EQ(f.Names(), std::vector<std::string>{"links.htm"});
}

TEST(CollectionSave, keepsPreviousVersionUnderEachBackupName) {
    for (const auto kind : {BackupKind::Bak, BackupKind::Tilde}) {
        SaveFixture f;
        test::WriteFileBytes(f.target, "previous");
        const std::string backup = BackupPath(f.target, kind);
        test::WriteFileBytes(backup, "older backup");
        ASSERT_TRUE(f.Save(kind));
        EXPECT_EQ(test::ReadFileBytes(backup), "previous");
        EXPECT_NE(test::ReadFileBytes(f.target).find("http://a/"), std::string::npos);
        EXPECT_EQ(f.Names().size(), 2u);
    }
}

TEST(CollectionSave, targetBearingItsBackupNameIsReplacedWithoutABackup) {
    SaveFixture f;
    const std::string target = f.dir.File("links.bak");
    test::WriteFileBytes(target, "previous");
    ASSERT_TRUE(SaveCollectionFile(target, f.table, "T", BackupKind::Bak, f.progress, f.error));
    EXPECT_NE(test::ReadFileBytes(target).find("http://a/"), std::string::npos);
    EXPECT_EQ(f.Names(), std::vector<std::string>{"links.bak"});
}

TEST(CollectionSave, noBackupWhenTheTargetIsNew) {
    SaveFixture f;
    ASSERT_TRUE(f.Save(BackupKind::Bak));
    EXPECT_EQ(f.Names(), std::vector<std::string>{"links.htm"});
}

TEST(CollectionSave, readOnlyTargetIsRefusedAndLeftAlone) {
    SaveFixture f;
    test::WriteFileBytes(f.target, "previous");
    test::SetReadOnly(f.target, true);
    EXPECT_FALSE(f.Save());
    EXPECT_EQ(f.error.code, IoErrorKind::CannotReplace);
    EXPECT_EQ(f.error.path, f.target);
    EXPECT_EQ(test::ReadFileBytes(f.target), "previous");
    EXPECT_EQ(f.Names(), std::vector<std::string>{"links.htm"});
}

TEST(CollectionSave, readOnlyTargetBecomesTheBackupWhenOneIsKept) {
    SaveFixture f;
    test::WriteFileBytes(f.target, "previous");
    test::SetReadOnly(f.target, true);
    ASSERT_TRUE(f.Save(BackupKind::Bak));
    EXPECT_EQ(test::ReadFileBytes(f.dir.File("links.bak")), "previous");
    EXPECT_NE(test::ReadFileBytes(f.target).find("<HTML>"), std::string::npos);
}

TEST(CollectionSave, folderInTheWayIsRefused) {
    SaveFixture f;
    fs::create_directory(f.target);
    EXPECT_FALSE(f.Save());
    EXPECT_EQ(f.error.code, IoErrorKind::CannotReplace);
    EXPECT_TRUE(fs::is_directory(f.target));
}

#if LINKHIVE_POSIX_TESTS
TEST(CollectionSave, keepsThePermissionsOfTheReplacedFile) {
    SaveFixture f;
    test::WriteFileBytes(f.target, "previous");
    ::chmod(f.target.c_str(), 0640);
    ASSERT_TRUE(f.Save());
    struct stat st {};
    ASSERT_EQ(::stat(f.target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(CollectionSave, folderRefusingNewFilesReportsTheTargetAsUnreplaceable) {
    SaveFixture f;
    test::WriteFileBytes(f.target, "previous version");
    // Only an ordinary user meets the folder's protection; root passes every check.
    fs::permissions(f.dir.Path(),
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                        fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::replace);
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(200);
        const bool saved = f.Save();
        ::_exit(!saved && f.error.code == IoErrorKind::CannotReplace ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    fs::permissions(f.dir.Path(), fs::perms::owner_all, fs::perm_options::replace);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 200)
        GTEST_SKIP() << "could not run a child as an ordinary user";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(test::ReadFileBytes(f.target), "previous version");
}

TEST(CollectionSave, fullDiskLeavesTargetAndFolderUntouched) {
    SaveFixture f;
    const std::string previous = "previous version";
    test::WriteFileBytes(f.target, previous);
    TableStore big;
    for (int i = 0; i < 20000; ++i)
        big.AppendRecord("name", "http://example.com/" + std::to_string(i), "", "");
    // A file size limit makes writes fail the way a full disk does.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = SaveCollectionFile(f.target, big, "T", BackupKind::Bak, f.progress, f.error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(saved);
    EXPECT_EQ(f.error.code, IoErrorKind::DiskFull);
    EXPECT_EQ(test::ReadFileBytes(f.target), previous);
    EXPECT_EQ(f.Names(), std::vector<std::string>{"links.htm"});
}

namespace {
// Kills its own process at a chosen step of the save.
class KillingProgress final : public ProgressSink {
public:
    explicit KillingProgress(std::int64_t at) : m_at(at) {}
    void ProgressStart(std::int64_t, const std::string&) override {}
    void ProgressStep(std::int64_t) override {
        if (++m_step == m_at)
            ::kill(::getpid(), SIGKILL);
    }
    void ProgressEnd() override {}

private:
    std::int64_t m_at;
    std::int64_t m_step = 0;
};
} // namespace

TEST(CollectionSave, killedProcessNeverLeavesTheTargetDamaged) {
    TableStore big;
    for (int i = 0; i < 50000; ++i)
        big.AppendRecord("name", "http://example.com/" + std::to_string(i), "", "");
    for (const std::int64_t killAt : {1, 10, 20000, 50010}) {
        SaveFixture f;
        const std::string previous = "previous version";
        test::WriteFileBytes(f.target, previous);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            KillingProgress progress(killAt);
            IoError error;
            SaveCollectionFile(f.target, big, "T", BackupKind::None, progress, error);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(test::ReadFileBytes(f.target), previous) << "killed at step " << killAt;
    }
}
#endif
