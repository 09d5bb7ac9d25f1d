#include "util/FileHelpers.h"

#include "Portable.h"
#include "TestEnvironment.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <set>

using namespace lh;
using lh::test::TempDir;
using lh::test::WriteFileBytes;

namespace {

// 1 May 1997 09:05:08; the tests run with TZ=UTC.
void SetWriteTime(const std::string& path) {
    std::tm tm{};
    tm.tm_year = 97;
    tm.tm_mon = 4;
    tm.tm_mday = 1;
    tm.tm_hour = 9;
    tm.tm_min = 5;
    tm.tm_sec = 8;
    test::SetLastWriteTime(path, test::UtcTime(tm));
}

} // namespace

TEST(FileSizeByName, reportsSizesOfFilesOnly) {
    TempDir dir;
    WriteFileBytes(dir.File("five.txt"), "12345");
    WriteFileBytes(dir.File("empty.txt"), "");
    EXPECT_EQ(FileSizeByName(dir.File("five.txt")), 5);
    EXPECT_EQ(FileSizeByName(dir.File("empty.txt")), 0);
    EXPECT_EQ(FileSizeByName(dir.File("missing.txt")), 0);
    EXPECT_EQ(FileSizeByName(dir.Path().string()), 0); // a folder has no size of its own
    EXPECT_EQ(FileSizeByName(""), 0);
}

TEST(FileSizeByName, handlesFilesBeyondTwoGibibytes) {
    TempDir dir;
    const std::string big = dir.File("big.log");
    WriteFileBytes(big, "");
    const std::uintmax_t size = (std::uintmax_t{3} << 30) + 7; // sparse, takes no disk space
    std::filesystem::resize_file(big, size);
    EXPECT_EQ(FileSizeByName(big), static_cast<std::int64_t>(size));
    EXPECT_EQ(FileInfoLine(big).substr(0, 27), "big.log 3,221,225,479 byte ");
}

TEST(FileInfoLine, describesNameSizeTimeAndAttributes) {
    TempDir dir;
    const std::string plain = dir.File("list.htm");
    WriteFileBytes(plain, std::string(12345, 'x'));
    SetWriteTime(plain);
    // Where the file system keeps Windows' archive mark on every file, it shows.
    const std::string archive = test::ClearArchiveMark(plain) ? " _" : " A";
    EXPECT_EQ(FileInfoLine(plain), "list.htm 12,345 byte 1997/05/01 09:05:08 _ _ _" + archive);

#if LINKHIVE_POSIX_TESTS // hidden is the leading dot here, an attribute on Windows
    const std::string hidden = dir.File(".links.htm");
    WriteFileBytes(hidden, "abc");
    SetWriteTime(hidden);
    test::SetReadOnly(hidden, true);
    EXPECT_EQ(FileInfoLine(hidden), ".links.htm 3 byte 1997/05/01 09:05:08 _ H R _");
#endif

    const std::string readOnly = dir.File("ro.htm");
    WriteFileBytes(readOnly, "");
    SetWriteTime(readOnly);
    test::ClearArchiveMark(readOnly);
    test::SetReadOnly(readOnly, true);
    EXPECT_EQ(FileInfoLine(readOnly), "ro.htm 0 byte 1997/05/01 09:05:08 _ _ R" + archive);
}

TEST(FileInfoLine, saysSoWhenTheFileIsMissing) {
    TempDir dir;
    EXPECT_EQ(FileInfoLine(dir.File("gone.htm")), "gone.htm ｻｲｽﾞ不明 日付不明 属性不明");
}

#if LINKHIVE_POSIX_TESTS
TEST(FileInfoLine, showsUndecodableNameBytesAsReplacements) {
    TempDir dir;
    const std::string name = dir.File("a\x83\x5C.htm"); // a code page 932 name on a UTF-8 system
    WriteFileBytes(name, "x");
    const std::string line = FileInfoLine(name);
    EXPECT_EQ(line.substr(0, line.find(' ')), "a\xEF\xBF\xBD\\.htm");
}
#endif

TEST(PathForDisplay, keepsUtf8AndReplacesBrokenSequences) {
    struct Case {
        std::string path, shown;
    };
    const Case cases[] = {
        {"/home/user/リンク集.htm", "/home/user/リンク集.htm"},
        {"/x/\xFF"
         "a",
         "/x/\xEF\xBF\xBD"
         "a"},
        {"\xE3\x81", "\xEF\xBF\xBD\xEF\xBF\xBD"},                 // cut off
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                 // overlong "/"
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}, // surrogate
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PathForDisplay(c.path), c.shown) << testing::PrintToString(c.path);
}

TEST(GroupThousands, separatesGroupsOfThreeDigits) {
    struct Case {
        std::int64_t value;
        const char* separator;
        std::string text;
    };
    const Case cases[] = {
        {0, ",", "0"},
        {999, ",", "999"},
        {1000, ",", "1,000"},
        {12345, ",", "12,345"},
        {1234567, ".", "1.234.567"},
        {-1234, ",", "-1,234"},
        {1234567, "\xE2\x80\xAF",
         "1\xE2\x80\xAF"
         "234\xE2\x80\xAF"
         "567"},
        {std::numeric_limits<std::int64_t>::min(), ",", "-9,223,372,036,854,775,808"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GroupThousands(c.value, c.separator), c.text);
}

TEST(SplitCommandLine, splitsFileFromParameters) {
    const std::set<std::string> files = {"C:\\My Files\\a.txt", "/opt/tool"};
    const auto exists = [&files](const std::string& p) { return files.count(p) > 0; };
    struct Case {
        std::string text, file, parameters;
    };
    const Case cases[] = {
        {"C:\\Tools\\view.exe /r list.txt", "C:\\Tools\\view.exe", "/r list.txt"},
        {"C:\\Tools\\VIEW.Exe /r", "C:\\Tools\\VIEW.Exe", "/r"},
        {"C:\\My Files\\a.txt", "C:\\My Files\\a.txt", ""},
        {"C:\\My Files\\a.txt -x", "C:\\My Files\\a.txt", "-x"},
        {"/opt/tool --help me", "/opt/tool", "--help me"},
        {"C:\\doc\\read me.txt now", "C:\\doc\\read me.txt", "now"}, // first space after the dot
        {"C:\\no dot here", "C:\\no dot here", ""},
        {" \t\xE3\x80\x80"
         "C:\\a.exe x \xE3\x80\x80 ",
         "C:\\a.exe", "x"},
        {"", "", ""},
        {" \xE3\x80\x80 ", "", ""},
        {"\"C:\\Program Files\\app.exe\"  /s \"a b\"", "C:\\Program Files\\app.exe", "/s \"a b\""},
        {"\"C:\\Program Files\\app\"", "C:\\Program Files\\app", ""},
        {"\"C:\\Tools\\view.exe /r", "C:\\Tools\\view.exe", "/r"}, // no closing quote
        {"C:\\Tools\\view.exe  two", "C:\\Tools\\view.exe", " two"},
        {"C:\\データ\\表.exe 引数", "C:\\データ\\表.exe", "引数"},
    };
    for (const Case& c : cases) {
        const CommandLineParts parts = SplitCommandLine(c.text, exists);
        EXPECT_EQ(parts.file, c.file) << testing::PrintToString(c.text);
        EXPECT_EQ(parts.parameters, c.parameters) << testing::PrintToString(c.text);
    }
}

TEST(SplitCommandLine, asksTheFileSystemWhichPrefixIsAFile) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "My Files");
    std::filesystem::create_directories(dir.Path() / "My"); // a folder is no file to start
    WriteFileBytes(dir.File("My Files/run"), "#!/bin/sh\n");
    const std::string run = dir.File("My Files/run");

    const CommandLineParts parts = SplitCommandLine(run + " -x y");
    EXPECT_EQ(parts.file, run);
    EXPECT_EQ(parts.parameters, "-x y");
}

TEST(JoinPath, addsExactlyOneSeparator) {
    struct Case {
        std::string dir, name, joined;
    };
    const Case cases[] = {
        {"/home/user", "a.htm", "/home/user/a.htm"},
        {"/", "/a.htm", "/a.htm"},
        {"/home/user/", "a.htm", "/home/user/a.htm"},
        {"", "a.htm", "a.htm"},
        {"", "/a.htm", "/a.htm"},
        {"/home/ソ", "a.htm", "/home/ソ/a.htm"},
        {"/home/user", "//a.htm", "/home/user//a.htm"}, // only one leading separator goes
        {"/home/user", "", "/home/user/"},
    };
    // Written with "/", checked with the platform's own separator.
    const auto native = [](std::string s) {
        std::replace(s.begin(), s.end(), '/', platform::PathSeparator());
        return s;
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::JoinPath(native(c.dir), native(c.name)), native(c.joined))
            << c.dir << " + " << c.name;
}
