#include "IoCodeOutput.h"
#include "ScriptedUi.h"
#include "TestEnvironment.h"
#include "core/EmailScanner.h"
#include "core/IoError.h"
#include "core/ScanFeeder.h"
#include "core/UrlScanner.h"
#include "util/Mbcs.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#if LINKHIVE_POSIX_TESTS
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <vector>

using namespace lh;
using namespace std::string_literals;

namespace {

enum class Kind { Url, Email };

struct Outcome {
    std::vector<std::string> found;
    std::vector<std::uint64_t> tooLong;
    std::int64_t progress = 0;
    std::int64_t lines = 0;
};

class Collect final : public AddressSink {
public:
    explicit Collect(Outcome& out) : m_out(out) {}
    void Found(std::string_view a) override { m_out.found.emplace_back(a); }
    void TooLong(std::uint64_t bytes) override { m_out.tooLong.push_back(bytes); }

private:
    Outcome& m_out;
};

Outcome Scan(Kind kind, std::string_view bytes, std::size_t block = ScanFeeder::kDefaultBlockSize) {
    Outcome out;
    Collect sink(out);
    UrlScanner url(sink);
    EmailScanner email(sink);
    test::RecordingProgress progress;
    ScanFeeder feeder(kind == Kind::Url ? static_cast<AddressScanner&>(url) : email, progress,
                      block);
    feeder.FeedBytes(bytes);
    out.progress = progress.total;
    out.lines = feeder.LinesRead();
    return out;
}

// The line-by-line algorithms, written the plain way with the character-wise functions: the
// scanners must give exactly their results.
std::vector<std::string> ReadLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t i = 0;
    while (i < bytes.size() && bytes[i] != '\x1a') {
        std::string line;
        while (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\x1a')
            line.push_back(bytes[i++]);
        if (i < bytes.size() && bytes[i] == '\r') {
            ++i;
            if (i < bytes.size() && bytes[i] == '\n')
                ++i;
        }
        lines.push_back(line);
    }
    return lines;
}

bool IsOneOf(const std::string& ch, const std::vector<std::string>& set) {
    for (const auto& s : set)
        if (ch == s)
            return true;
    return false;
}

const std::vector<std::string> kTerminators = {",", "!", "\"", "(", ")",  "+",       "*",
                                               "<", ">", "'",  " ", "\n", "\x81\x40"};
const std::vector<std::string> kDelimiters = {
    ",", "!", "\"", "(", ")", "+", "*", "<",  ">", "'", " ", "\x81\x40", "#", "$", "&",
    "=", "`", "|",  "{", "}", "?", "^", "\\", "@", "[", ";", ":",        "]", "/", "\n"};

Outcome Reference(Kind kind, std::string_view bytes) {
    Outcome out;
    for (const std::string& line : ReadLines(bytes)) {
        out.progress += static_cast<std::int64_t>(line.size()) + 2;
        ++out.lines;
        const MbcsIndex len = MbcsLength(line);
        if (kind == Kind::Url) {
            const std::string upper = AsciiUpper(line);
            for (MbcsIndex c = MbcsPos("HTTP://", upper); c > 0;
                 c = MbcsPosFrom("HTTP://", upper, c + 7)) {
                MbcsIndex i = c + 7;
                while (i <= len && !IsOneOf(MbcsCopy(line, i, 1), kTerminators) &&
                       AsciiUpper(MbcsCopy(line, i, 7)) != "HTTP://")
                    ++i;
                if (i - c > 7)
                    out.found.push_back(MbcsCopy(line, c, i - c));
            }
        } else {
            for (MbcsIndex i = MbcsPos("@", line); i > 0; i = MbcsPosFrom("@", line, i + 1)) {
                MbcsIndex j = i - 1;
                while (j > 0 && !IsOneOf(MbcsCopy(line, j, 1), kDelimiters))
                    --j;
                if (j >= i - 1)
                    continue;
                MbcsIndex k = i + 1;
                while (k <= len && !IsOneOf(MbcsCopy(line, k, 1), kDelimiters))
                    ++k;
                if (k <= i + 1)
                    continue;
                out.found.push_back(MbcsCopy(line, j + 1, k - j - 1));
            }
        }
    }
    return out;
}

using Found = std::vector<std::string>;

struct Case {
    const char* what;
    std::string text;
    Found expected;
};

void ExpectCases(Kind kind, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Scan(kind, c.text).found, c.expected);
        EXPECT_EQ(Reference(kind, c.text).found, c.expected) << "reference disagrees";
        // Block sizes that cut through every address and character.
        for (std::size_t block : {1u, 2u, 3u, 5u})
            EXPECT_EQ(Scan(kind, c.text, block).found, c.expected) << "block " << block;
    }
}

} // namespace

TEST(UrlScanner, findsAddressesAsWritten) {
    ExpectCases(
        Kind::Url,
        {
            {"mixed case in quotes", "<a href=\"Http://a.b/x.htm\">", {"Http://a.b/x.htm"}},
            {"japanese belongs, space ends",
             "http://a.b/\x83\x79\x81\x5B\x83\x57 \x82\xC5\x82\xB7",
             {"http://a.b/\x83\x79\x81\x5B\x83\x57"}},
            {"full-width space ends", "http://a.b/\x83\x79\x81\x40x", {"http://a.b/\x83\x79"}},
            {"query, fragment, semicolon and tab stay",
             "http://a.b/?q=1&r=2#top;x\tmore",
             {"http://a.b/?q=1&r=2#top;x\tmore"}},
            {"next start ends the previous one",
             "http://a.b/?u=http://c.d/",
             {"http://a.b/?u=", "http://c.d/"}},
            {"adjacent starts", "http://http://x", {"http://x"}},
            {"nothing after the start", "http:// x http://", {}},
            {"https is not a start", "https://a.b/", {}},
            {"full-width letters are not a start", "\x82\x67\x82\x73\x82\x73\x82\x6F://a", {}},
            {"every terminator",
             "http://a,http://b!http://c\"http://d(http://e)http://f+"
             "http://g*http://h<http://i>http://j'http://k l",
             {"http://a", "http://b", "http://c", "http://d", "http://e", "http://f", "http://g",
              "http://h", "http://i", "http://j", "http://k"}},
            {"start inside a two-byte character is no start", "\x83http://a.b/", {}},
            {"a lead byte without a trail byte leaves the terminator seen",
             "http://a\x81,b c",
             {"http://a\x81"}},
            {"markup after a stray lead byte stays out",
             "http://a.example/\x81<img/src/onerror=alert(1)>",
             {"http://a.example/\x81"}},
            {"a trail byte after a lead byte is part of the address",
             "http://a\x81\x7e\x9f\x80\xe0\xfc b",
             {"http://a\x81\x7e\x9f\x80\xe0\xfc"}},
            {"bytes above the trail range are no second byte",
             "http://a\x81\xfd\x81\x7f,",
             {"http://a\x81\xfd\x81\x7f"}},
            {"lead byte before the line end is a character", "http://a\x81", {"http://a\x81"}},
            {"a line feed ends the address", "see http://a.b/\nnext line", {"http://a.b/"}},
            {"CR ends the line", "http://a.b/\r\nnext", {"http://a.b/"}},
            {"nothing after NUL is searched",
             "http://a\0b http://c\r\nhttp://d"s,
             {"http://a", "http://d"}},
            {"0x1A ends the file", "http://a \x1a http://b", {"http://a"}},
            {"repeats are all reported",
             "http://a http://a http://a",
             {"http://a", "http://a", "http://a"}},
        });
}

TEST(EmailScanner, findsAddressesBetweenDelimiters) {
    ExpectCases(Kind::Email,
                {
                    {"mailto link", "<a href=\"mailto:name@host\">", {"name@host"}},
                    {"upper-case prefix", "MAILTO:Name@HOST", {"Name@HOST"}},
                    {"full stop stays", "write to name@host.", {"name@host."}},
                    {"japanese around belongs",
                     "\x98\x41\x97\x8D\x90\xE6name@host\x82\xDC\x82\xC5",
                     {"\x98\x41\x97\x8D\x90\xE6name@host\x82\xDC\x82\xC5"}},
                    {"full-width spaces around", "\x81\x40name@host\x81\x40", {"name@host"}},
                    {"chained", "a@b@c", {"a@b", "b@c"}},
                    {"no sides", "@a b@ c @ d@@e @@", {}},
                    {"question mark ends", "name@host?subject=x", {"name@host"}},
                    {"full-width space is no at sign",
                     "a\x81\x40"
                     "b",
                     {}},
                    {"at sign as a second byte", "a\x83@b", {}},
                    {"backslash as a second byte is no delimiter",
                     "\x83\x5cname@host",
                     {"\x83\x5cname@host"}},
                    {"every delimiter on the left",
                     ",a@b !c@d \"e@f (g@h )i@j +k@l *m@n <o@p >q@r 'u@v #w@x $y@z &A@B =C@D "
                     "`E@F |G@H {I@J }K@L ?M@N ^O@P \\Q@R [S@T ;U@V :W@X ]Y@Z /0@1",
                     {"a@b", "c@d", "e@f", "g@h", "i@j", "k@l", "m@n", "o@p", "q@r",
                      "u@v", "w@x", "y@z", "A@B", "C@D", "E@F", "G@H", "I@J", "K@L",
                      "M@N", "O@P", "Q@R", "S@T", "U@V", "W@X", "Y@Z", "0@1"}},
                    {"control characters belong", "a\tb@c\x01", {"a\tb@c\x01"}},
                    {"a line feed ends both parts", "x\nname@host\ny z", {"name@host"}},
                    {"CR LF ends the left part", "x\r\nname@host", {"name@host"}},
                    {"nothing after NUL", "a@b\0c@d\r\ne@f"s, {"a@b", "e@f"}},
                    {"NUL right after the at sign", "a@\0b"s, {}},
                });
}

TEST(Scanners, aLeadByteNeverSwallowsTheDelimiterAfterIt) {
    // Code page 932 pairs a lead byte only with a trail byte (0x40-0x7E, 0x80-0xFC); the
    // terminators below 0x40 must end the address after every lead byte, block splits included.
    const std::string urlTerminators = ",!\"()+*<>' ";
    const std::string emailDelimiters = ",!\"()+*<>' #$&=?;:/";
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsSjisLeadByte(static_cast<unsigned char>(lead)))
            continue;
        const std::string l(1, static_cast<char>(lead));
        for (const char t : urlTerminators) {
            SCOPED_TRACE(testing::Message()
                         << "lead " << std::hex << lead << " terminator '" << t << "'");
            const std::string text = "x http://a/" + l + t + "<b>http://c/";
            const Found expected = {"http://a/" + l, "http://c/"};
            EXPECT_EQ(Reference(Kind::Url, text).found, expected);
            for (std::size_t block : {1u, 3u, 4096u})
                EXPECT_EQ(Scan(Kind::Url, text, block).found, expected) << "block " << block;
        }
        for (const char d : emailDelimiters) {
            SCOPED_TRACE(testing::Message()
                         << "lead " << std::hex << lead << " delimiter '" << d << "'");
            const std::string text = "q" + l + d + "a@b" + l + d + "z";
            const Found expected = {"a@b" + l};
            EXPECT_EQ(Reference(Kind::Email, text).found, expected);
            for (std::size_t block : {1u, 2u, 4096u})
                EXPECT_EQ(Scan(Kind::Email, text, block).found, expected) << "block " << block;
        }
    }
}

TEST(Scanners, agreeWithLineAlgorithmsOnRandomText) {
    const std::vector<std::string> tokens = {
        "http://", "HTTP://", "hTtP://", "http:/", "@", "@", "a", "b", ".", "/", ":", " ",
        "\x81\x40", "\x81", "\x83\x40", "\x83\x41", "\x93\xfa", "\xe0", "\xfc", "\x40", "\x5c",
        "\r", "\n", "\r\n", "\0"s, ",", "?", "#", "h", "t", "p", "\t", "x@y", "\x82\xa0", "\xa0",
        // Long runs of plain characters, with bytes that only look like terminators close by.
        "www.example.com/index.html?q=%41&r=1#top",
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.~;=", "<", ">", "(", ")", "\"", "'", "+", "*", "!",
        "H", "://", "\x80", "\xdf", "\x7f", "\xfd", "\xff", "\x81<", "\xe0\"", "\x9f "};
    std::mt19937 rng(20240521);
    for (int doc = 0; doc < 400; ++doc) {
        std::string text;
        const int count = static_cast<int>(rng() % 300);
        for (int t = 0; t < count; ++t)
            text += tokens[rng() % tokens.size()];
        if (rng() % 10 == 0)
            text.insert(rng() % (text.size() + 1), "\x1a");
        for (Kind kind : {Kind::Url, Kind::Email}) {
            const Outcome expected = Reference(kind, text);
            for (std::size_t block : {1u, 2u, 3u, 4u, 7u, 8u, 9u, 31u, 4096u}) {
                const Outcome got = Scan(kind, text, block);
                ASSERT_EQ(got.found, expected.found)
                    << "doc " << doc << " block " << block << " kind " << int(kind);
                ASSERT_EQ(got.progress, expected.progress) << "doc " << doc;
                ASSERT_EQ(got.lines, expected.lines) << "doc " << doc;
            }
        }
    }
}

TEST(ScanFeeder, progressCountsEveryLinePlusTwo) {
    struct Row {
        const char* what;
        std::string text;
        std::int64_t progress;
        std::int64_t lines;
    };
    const std::vector<Row> rows = {
        {"empty file", "", 0, 0},
        {"CR LF lines", "ab\r\ncd\r\n", 8, 2},
        {"last line without line end", "ab\r\ncd", 8, 2},
        {"lone CR", "ab\rcd\r", 8, 2},
        {"empty lines", "\r\n\r\n", 4, 2},
        {"bytes after NUL still count", "a\0bc\r\n"s, 6, 1},
        {"0x1A stops reading",
         "ab\r\ncd\x1a"
         "ef\r\n",
         8, 2},
        {"0x1A right after CR", "ab\r\x1a", 4, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        for (std::size_t block : {1u, 3u, 4096u}) {
            const Outcome got = Scan(Kind::Url, r.text, block);
            EXPECT_EQ(got.progress, r.progress);
            EXPECT_EQ(got.lines, r.lines);
        }
    }
}

TEST(Scanners, longLinesAreScannedWholeAcrossBlocks) {
    // A URL that starts 3 MiB into a line with no CR and runs over several blocks.
    std::string text(3u << 20, 'x');
    text += " http://host/";
    text += std::string(600000, 'p');
    text += " mail " + std::string(400000, 'u') + "@" + std::string(300000, 'd') + " end";
    const Outcome urls = Scan(Kind::Url, text, 64u << 10);
    ASSERT_EQ(urls.found.size(), 1u);
    EXPECT_EQ(urls.found[0], "http://host/" + std::string(600000, 'p'));
    const Outcome mails = Scan(Kind::Email, text, 64u << 10);
    ASSERT_EQ(mails.found.size(), 1u);
    EXPECT_EQ(mails.found[0].size(), 700001u);
    EXPECT_EQ(urls.progress, static_cast<std::int64_t>(text.size()) + 2);
}

TEST(Scanners, overLongAddressesArePassedOverNotHeld) {
    const std::size_t big = AddressScanner::kMaxAddressBytes + 10;
    const std::string text = "http://" + std::string(big, 'a') + " http://ok/ " +
                             std::string(big, 'b') + "@c d@" + std::string(big, 'e') + " f@g";
    for (std::size_t block : {std::size_t{4096}, ScanFeeder::kDefaultBlockSize}) {
        const Outcome urls = Scan(Kind::Url, text, block);
        EXPECT_EQ(urls.found, Found{"http://ok/"});
        EXPECT_EQ(urls.tooLong, std::vector<std::uint64_t>{big + 7});
        const Outcome mails = Scan(Kind::Email, text, block);
        EXPECT_EQ(mails.found, Found{"f@g"});
        EXPECT_EQ(mails.tooLong, (std::vector<std::uint64_t>{big + 2, big + 2}));
    }
}

TEST(ScanFeeder, fileErrorsGiveTheProgramsCodes) {
    test::TempDir dir;
    Outcome out;
    Collect sink(out);
    UrlScanner scanner(sink);
    NullProgress progress;
    ScanFeeder feeder(scanner, progress);
    IoCode code;
    EXPECT_FALSE(feeder.FeedFile(dir.File("missing.txt"), code));
    EXPECT_EQ(code, IoErrorKind::NotFound);
    EXPECT_FALSE(feeder.FeedFile(dir.Path().string(), code));
    EXPECT_EQ(code, IoErrorKind::IsFolder);
    EXPECT_FALSE(feeder.FeedFile("/dev/zero", code, true)); // a device, not a stream
    EXPECT_EQ(code, IoErrorKind::NotRegularFile);
    const std::string locked = dir.File("locked.txt");
    test::WriteFileBytes(locked, "http://a.b/");
#if LINKHIVE_POSIX_TESTS
    ::chmod(locked.c_str(), 0);
    if (::geteuid() != 0) { // root reads anything
        EXPECT_FALSE(feeder.FeedFile(locked, code));
        EXPECT_EQ(code, IoErrorKind::AccessDenied);
    }
    ::chmod(locked.c_str(), 0644);
#endif
    EXPECT_TRUE(feeder.FeedFile(locked, code));
    EXPECT_EQ(out.found, Found{"http://a.b/"});
}
