#include "CliInProcess.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

using lh::test::RunCliInProcess;
using lh::test::TempDir;
using lh::test::WriteFileBytes;

namespace {

// No shell expands patterns on Windows: the companion does, by the system's rules.
TEST(CliWindows, wildcardsAreExpandedByTheCompanion) {
    TempDir dir;
    WriteFileBytes(dir.File("a.txt"), "http://a.b/");
    WriteFileBytes(dir.File("b.txt"), "http://c.d/");
    WriteFileBytes(dir.File("c.log"), "http://e.f/");
    const auto r = RunCliInProcess(dir, {"scan-urls", "c.htm", "*.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2 added, 2 found, 0 duplicates, 0 too long, 2 records in c.htm\n");
    const auto full = RunCliInProcess(dir, {"scan-urls", "c.htm", dir.File("?.log")});
    EXPECT_EQ(full.out, "1 added, 1 found, 0 duplicates, 0 too long, 3 records in c.htm\n");
}

// Names in any script, and the output in one encoding (UTF-8) when it goes to a file.
TEST(CliWindows, japaneseNamesWorkAndOutputIsUtf8) {
    TempDir dir;
    WriteFileBytes(dir.File("メモ.txt"), "http://a.b/\x83\x79\x81\x5B\x83\x57"); // ページ
    const auto r = RunCliInProcess(dir, {"scan-urls", "リンク集.htm", "メモ.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1 added, 1 found, 0 duplicates, 0 too long, 1 records in リンク集.htm\n");
    EXPECT_EQ(RunCliInProcess(dir, {"list", "リンク集.htm"}).out, "1\t\thttp://a.b/ページ\t\t\n");
    const auto missing = RunCliInProcess(dir, {"list", "無い.htm"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("無い.htm"), std::string::npos) << missing.err;
}

} // namespace
