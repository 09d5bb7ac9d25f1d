#include "CliInProcess.h"
#include "TestEnvironment.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#if !LINKHIVE_CLI_IN_PROCESS
#include <sys/wait.h>
#endif
#include <vector>

using lh::test::ReadFileBytes;
using lh::test::TempDir;
using lh::test::WriteFileBytes;
namespace fs = std::filesystem;

namespace {

struct CompanionRun {
    int status = -1;
    std::string out;
    std::string err;
};

CompanionRun Companion(const TempDir& dir, const std::vector<std::string>& args) {
#if LINKHIVE_CLI_IN_PROCESS
    const lh::test::CliResult inProcess = lh::test::RunCliInProcess(dir, args);
    return {inProcess.status, inProcess.out, inProcess.err};
#else
    std::string cmd = "cd '" + dir.Path().string() + "' && '" + LINKHIVE_CLI_PATH + "'";
    for (const std::string& a : args)
        cmd += " '" + a + "'";
    cmd += " >run.out 2>run.err </dev/null";
    CompanionRun r;
    const int status = std::system(cmd.c_str());
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadFileBytes(dir.File("run.out"));
    r.err = ReadFileBytes(dir.File("run.err"));
    fs::remove(dir.File("run.out"));
    fs::remove(dir.File("run.err"));
    return r;
#endif
}

} // namespace

TEST(CliExchange, importAddsNewAddressesAndSaysWhatItLeftOut) {
    TempDir dir;
    fs::copy_file(lh::test::DataPath("firefox-bookmarks.html"), dir.File("bm.html"));
    CompanionRun r = Companion(dir, {"import", "list.htm", "bm.html"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "4 record(s) added.\n"
                     "2 javascript: and place: entries skipped.\n"
                     "1 separator(s) skipped.\n"
                     "1 feed(s) taken in with their site's address.\n"
                     "3 character(s) code page 932 cannot hold replaced by \"〓\".\n"
                     "1 character(s) of addresses percent-encoded as UTF-8.\n");
    // Again: every address is there already.
    r = Companion(dir, {"import", "list.htm", "bm.html", "--format", "bookmarks"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 59), "0 record(s) added.\n4 duplicate address(es) skipped.\n"
                                   "2 javas");
    r = Companion(dir, {"import", "list.htm", "bm.html", "--keep-duplicates"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 19), "4 record(s) added.\n");
    r = Companion(dir, {"list", "list.htm"});
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 8);
}

TEST(CliExchange, exportThenImportGivesTheSameListing) {
    TempDir dir;
    WriteFileBytes(dir.File("in.csv"), "name,url,remark\n\"a, \"\"b\"\"\",http://a/,\"x\ny\"\n"
                                       "c\td,http://c/,\n");
    ASSERT_EQ(Companion(dir, {"import", "one.htm", "in.csv"}).status, 0);
    const std::string listing = Companion(dir, {"list", "one.htm"}).out;
    for (const char* format : {"bookmarks", "csv", "json"}) {
        const std::string file = std::string("out.") + format;
        const CompanionRun out = Companion(dir, {"export", "one.htm", file, "--format", format});
        ASSERT_EQ(out.status, 0) << out.err;
        EXPECT_EQ(out.out, "2 records written to " + file + "\n");
        fs::remove(dir.File("two.htm"));
        ASSERT_EQ(Companion(dir, {"import", "two.htm", file, "--format", format}).status, 0);
        EXPECT_EQ(Companion(dir, {"list", "two.htm"}).out, listing) << format;
    }
}

TEST(CliExchange, refusalsWriteNothing) {
    TempDir dir;
    WriteFileBytes(dir.File("notes.txt"), "just some notes\n");
    WriteFileBytes(dir.File("bad.json"), "{\"name\": 1}");
    WriteFileBytes(dir.File("ok.csv"), "n,http://a/\n");
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"export", "notes.txt", "x.csv"}, 2, "--format takes bookmarks, csv or json"},
        {{"export", "notes.txt", "x.csv", "--format", "xml"}, 2, "--format takes"},
        {{"import", "a.htm"}, 2, "a collection and a file are needed"},
        {{"import", "a.htm", "bad.json"}, 1, "not in the expected format"},
        {{"import", "a.htm", "missing.csv"}, 1, "file not found"},
        {{"import", "notes.txt", "ok.csv"}, 1, "not a collection"},
    };
    for (const Case& c : cases) {
        const CompanionRun r = Companion(dir, c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0] << " " << c.args[1];
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(dir.File("a.htm")));
    EXPECT_FALSE(fs::exists(dir.File("x.csv")));
    EXPECT_EQ(ReadFileBytes(dir.File("notes.txt")), "just some notes\n");
}

TEST(CliExchange, dedupeKeepsTheFirstOfEachAddressAndWritesOnlyWhenSomethingWent) {
    TempDir dir;
    WriteFileBytes(dir.File("in.csv"), "name,url\n"
                                       "a,http://a.example/\n"
                                       "b,http://b.example/\n"
                                       "a2,HTTP://A.EXAMPLE/\n"
                                       "none,\n"
                                       "none2,\n"
                                       "b2,http://b.example/\n");
    ASSERT_EQ(Companion(dir, {"import", "list.htm", "in.csv", "--keep-duplicates"}).status, 0);

    CompanionRun r = Companion(dir, {"dedupe", "list.htm", "--backup", "bak"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2 duplicate record(s) removed, 4 records in \"list.htm\"\n");
    EXPECT_TRUE(fs::exists(dir.File("list.bak")));
    r = Companion(dir, {"list", "list.htm"});
    EXPECT_EQ(r.out, "1\ta\thttp://a.example/\t\t\n"
                     "2\tb\thttp://b.example/\t\t\n"
                     "3\tnone\t\t\t\n"
                     "4\tnone2\t\t\t\n");

    fs::remove(dir.File("list.bak"));
    const std::string before = ReadFileBytes(dir.File("list.htm"));
    r = Companion(dir, {"dedupe", "list.htm", "--backup", "bak"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0 duplicate record(s) removed, 4 records in \"list.htm\"\n");
    EXPECT_FALSE(fs::exists(dir.File("list.bak"))) << "nothing was written";
    EXPECT_EQ(ReadFileBytes(dir.File("list.htm")), before);

    EXPECT_EQ(Companion(dir, {"dedupe", "missing.htm"}).status, 1);
    EXPECT_FALSE(fs::exists(dir.File("missing.htm")));
    EXPECT_EQ(Companion(dir, {"dedupe"}).status, 2);
    EXPECT_EQ(Companion(dir, {"dedupe", "list.htm", "in.csv"}).status, 2);
}

#if !LINKHIVE_CLI_IN_PROCESS
// Needs real companion processes and a shell. Imports that bring a repeat each time, removals
// of the repeats and scans, all at once on one collection: each waits for the others, so none
// fails on a collection changed behind its back and no addition is lost.
TEST(CliExchange, concurrentImportDedupeAndScan_takeTurnsAndLoseNoAddition) {
    TempDir dir;
    constexpr int kRuns = 25;
    for (int i = 0; i < kRuns; ++i) {
        const std::string n = std::to_string(i);
        WriteFileBytes(dir.File("a" + n + ".csv"),
                       "name,url\na" + n + ",http://a" + n + ".example/\nd,http://d.example/\n");
        WriteFileBytes(dir.File("b" + n + ".txt"), "http://b" + n + ".example/");
    }
    // The collection exists before the first removal of repeats looks for it.
    WriteFileBytes(dir.File("seed.csv"), "name,url\nd,http://d.example/\n");
    ASSERT_EQ(Companion(dir, {"import", "c.htm", "seed.csv"}).status, 0);
    const std::string loop =
        "(i=0; while [ $i -lt " + std::to_string(kRuns) + " ]; do '" + LINKHIVE_CLI_PATH + "' ";
    const std::string next =
        " >/dev/null 2>>messages || echo failed >>errors; i=$((i+1)); done) & ";
    const std::string cmd = "cd '" + dir.Path().string() + "' || exit 1; " + loop +
                            "import c.htm a$i.csv --keep-duplicates" + next + loop +
                            "dedupe c.htm" + next + loop + "scan-urls c.htm b$i.txt" + next +
                            "wait";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(ReadFileBytes(dir.File("errors")), "") << ReadFileBytes(dir.File("messages"));

    ASSERT_EQ(Companion(dir, {"dedupe", "c.htm"}).status, 0);
    const CompanionRun list = Companion(dir, {"list", "c.htm"});
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 2 * kRuns + 1);
    for (const char* address : {"http://a0.example/", "http://b24.example/"})
        EXPECT_NE(list.out.find(address), std::string::npos) << address;
}
#endif
