#include "core/LineReader.h"

#include "TestEnvironment.h"
#include "core/IoError.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace lh;
using namespace std::string_literals;

namespace {

std::vector<std::string> ReadAll(const std::string& path, std::size_t chunk) {
    LineReader reader(chunk);
    EXPECT_TRUE(reader.Open(path));
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.Next(line))
        lines.emplace_back(line);
    EXPECT_EQ(reader.ErrorCode(), IoErrorKind::None);
    return lines;
}

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

} // namespace

TEST(LineReader, splitsLinesByTheProgramsRule_atEveryChunkSize) {
    const std::vector<LineCase> cases = {
        {"empty file", "", {}},
        {"last line without end", "a", {"a"}},
        {"CR LF ends lines", "a\r\nb\r\n", {"a", "b"}},
        {"CR alone ends a line", "a\rb", {"a", "b"}},
        {"LF alone stays in the line", "a\nb\r\n", {"a\nb"}},
        {"LF after the skipped LF is kept", "a\r\n\nb", {"a", "\nb"}},
        {"CR CR LF gives an empty line", "a\r\r\n", {"a", ""}},
        {"lone CR LF is one empty line", "\r\n", {""}},
        {"only LF is a line of its own", "\n", {"\n"}},
        {"0x1A ends the file mid-line",
         "ab\x1A"
         "cd\r\nef",
         {"ab"}},
        {"0x1A at the start gives nothing",
         "\x1A"
         "abc",
         {}},
        {"0x1A after a line end adds nothing",
         "a\r\n\x1A"
         "b",
         {"a"}},
        {"NUL bytes are ordinary", "a\0b\r\n"s, {"a\0b"s}},
        {"trailing CR adds no empty line", "a\r", {"a"}},
        {"double-byte text passes through",
         "\x83\x54\x83\x44\r\n\x93\xFA",
         {"\x83\x54\x83\x44", "\x93\xFA"}},
    };
    test::TempDir dir;
    for (const auto& c : cases) {
        const std::string path = dir.File("lines.txt");
        test::WriteFileBytes(path, c.bytes);
        for (const std::size_t chunk : {1u, 2u, 3u, 5u, 4096u})
            EXPECT_EQ(ReadAll(path, chunk), c.lines) << c.name << ", chunk " << chunk;
    }
}

TEST(LineReader, reportsFullLengthOfLinesCutAtTheLimit) {
    test::TempDir dir;
    const std::string path = dir.File("long.txt");
    test::WriteFileBytes(path, std::string(100, 'x') + "\r\nshort\r\n");
    for (const std::size_t chunk : {7u, 4096u}) {
        LineReader reader(chunk);
        reader.SetLineLimit(10);
        ASSERT_TRUE(reader.Open(path));
        std::string_view line;
        ASSERT_TRUE(reader.Next(line));
        EXPECT_EQ(line, std::string(10, 'x'));
        EXPECT_EQ(reader.LineLength(), 100);
        EXPECT_TRUE(reader.LineCut());
        ASSERT_TRUE(reader.Next(line));
        EXPECT_EQ(line, "short");
        EXPECT_EQ(reader.LineLength(), 5);
        EXPECT_FALSE(reader.LineCut());
        EXPECT_FALSE(reader.Next(line));
    }
}

TEST(LineReader, failsWithProgramCodes) {
    test::TempDir dir;
    LineReader missing;
    EXPECT_FALSE(missing.Open(dir.File("absent.htm")));
    EXPECT_EQ(missing.ErrorCode(), IoErrorKind::NotFound);

    // Folders and devices are refused before any read: a device may never end.
    LineReader folder;
    EXPECT_FALSE(folder.Open(dir.Path().string()));
    EXPECT_EQ(folder.ErrorCode(), IoErrorKind::IsFolder);
    LineReader device;
    EXPECT_FALSE(device.Open("/dev/zero"));
    EXPECT_EQ(device.ErrorCode(), IoErrorKind::NotRegularFile);
    std::string_view line;
    EXPECT_FALSE(device.Next(line));
}
