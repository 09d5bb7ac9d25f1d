#include "CliInProcess.h"
#include "TestEnvironment.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#if !LINKHIVE_CLI_IN_PROCESS
#include <sys/wait.h>
#endif

using lh::test::ReadFileBytes;
using lh::test::TempDir;
using lh::test::WriteFileBytes;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

#if LINKHIVE_CLI_IN_PROCESS
CliRun Cli(const TempDir& dir, const std::vector<std::string>& args) {
    const lh::test::CliResult r = lh::test::RunCliInProcess(dir, args);
    return {r.status, r.out, r.err};
}
#else
// Runs the real companion with the arguments, standard output and error going to files.
CliRun Cli(const TempDir& dir, const std::vector<std::string>& args) {
    std::string cmd = "cd '" + dir.Path().string() + "' && '" + LINKHIVE_CLI_PATH + "'";
    for (const std::string& a : args)
        cmd += " '" + a + "'";
    cmd += " >cli.out 2>cli.err </dev/null";
    CliRun r;
    const int status = std::system(cmd.c_str());
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadFileBytes(dir.File("cli.out"));
    r.err = ReadFileBytes(dir.File("cli.err"));
    fs::remove(dir.File("cli.out"));
    fs::remove(dir.File("cli.err"));
    return r;
}
#endif

// Every file of the folder with its bytes, to prove that nothing was written.
std::vector<std::pair<std::string, std::string>> Snapshot(const TempDir& dir) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& e : fs::directory_iterator(dir.Path()))
        if (e.is_regular_file())
            files.emplace_back(e.path().filename().string(), ReadFileBytes(e.path().string()));
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(CliScan, newCollection_isCreatedWithTheAddressesInFileOrder) {
    TempDir dir;
    WriteFileBytes(dir.File("a.txt"), "see http://a.b/x and HTTP://c.d/\r\nagain http://A.B/X\r\n");
    WriteFileBytes(dir.File("b.log"), "http://e.f/ http://c.d/");
    const CliRun r = Cli(dir, {"scan-urls", "links.htm", "a.txt", "b.log"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "3 added, 5 found, 3 records in links.htm\n");
    EXPECT_EQ(r.err, ""); // no terminal: nothing but the result
    const CliRun list = Cli(dir, {"list", "links.htm"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "1\t\thttp://a.b/x\t\t\n2\t\tHTTP://c.d/\t\t\n3\t\thttp://e.f/\t\t\n");
    // The page carries the default title, in code page 932 like every collection.
    EXPECT_NE(ReadFileBytes(dir.File("links.htm")).find("<TITLE>Linkhive</TITLE>"),
              std::string::npos);
}

TEST(CliScan, emails_areStoredAsMailtoLinksWithoutDuplicates) {
    TempDir dir;
    WriteFileBytes(dir.File("m.txt"), "MAILTO:Name@HOST, name@host a@b@c\r\n");
    const CliRun r = Cli(dir, {"scan-emails", "c.htm", "m.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Cli(dir, {"list", "c.htm"}).out,
              "1\t\tmailto:Name@HOST\t\t\n2\t\tmailto:a@b\t\t\n3\t\tmailto:b@c\t\t\n");
}

TEST(CliScan, nothingNew_leavesTheCollectionUntouched) {
    TempDir dir;
    WriteFileBytes(dir.File("a.txt"), "http://a.b/");
    ASSERT_EQ(Cli(dir, {"scan-urls", "c.htm", "a.txt"}).status, 0);
    const auto before = Snapshot(dir);
    const CliRun r = Cli(dir, {"scan-urls", "c.htm", "a.txt", "--backup", "bak"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0 added, 1 found, 1 records in c.htm\n");
    EXPECT_EQ(Snapshot(dir), before); // neither rewritten nor backed up
}

TEST(CliScan, backupKinds_keepThePreviousVersion) {
    struct Row {
        const char* option;
        const char* backupName;
    };
    for (const Row& row : {Row{"bak", "c.bak"}, Row{"tilde", "c.~ht"}}) {
        SCOPED_TRACE(row.option);
        TempDir dir;
        WriteFileBytes(dir.File("a.txt"), "http://a.b/");
        WriteFileBytes(dir.File("b.txt"), "http://c.d/");
        ASSERT_EQ(Cli(dir, {"scan-urls", "c.htm", "a.txt"}).status, 0);
        const std::string first = ReadFileBytes(dir.File("c.htm"));
        const CliRun r =
            Cli(dir, {"scan-urls", "--backup=" + std::string(row.option), "c.htm", "b.txt"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(ReadFileBytes(dir.File(row.backupName)), first);
        EXPECT_NE(ReadFileBytes(dir.File("c.htm")), first);
    }
}

TEST(CliScan, badFiles_writeNothingAndExitOne) {
    struct Row {
        const char* what;
        std::vector<std::string> files;
        const char* inMessage;
    };
    const std::vector<Row> rows = {
        {"missing file after a good one", {"good.txt", "missing.txt"}, "missing.txt"},
        {"program file", {"good.txt", "setup.EXE"}, "--yes"},
        {"com file", {"tool.com"}, "--yes"},
        {"folder", {"good.txt", "sub"}, "sub"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        for (const bool existing : {false, true}) {
            TempDir dir;
            WriteFileBytes(dir.File("good.txt"), "http://a.b/");
            WriteFileBytes(dir.File("setup.EXE"), "http://c.d/");
            WriteFileBytes(dir.File("tool.com"), "http://e.f/");
            fs::create_directory(dir.File("sub"));
            if (existing)
                WriteFileBytes(dir.File("c.htm"), "<HTML></HTML>");
            const auto before = Snapshot(dir);
            std::vector<std::string> args = {"scan-urls", "c.htm"};
            args.insert(args.end(), row.files.begin(), row.files.end());
            const CliRun r = Cli(dir, args);
            EXPECT_EQ(r.status, 1);
            EXPECT_NE(r.err.find(row.inMessage), std::string::npos) << r.err;
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(Snapshot(dir), before);
        }
    }
}

TEST(CliScan, yes_letsProgramFilesBeScanned) {
    TempDir dir;
    WriteFileBytes(dir.File("setup.exe"), "xx http://c.d/ \0 http://hidden/"s);
    const CliRun r = Cli(dir, {"scan-urls", "c.htm", "setup.exe", "--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Cli(dir, {"list", "c.htm"}).out, "1\t\thttp://c.d/\t\t\n");
}

TEST(CliList, escapesTabsAndLineFeedsAndConvertsToUtf8) {
    TempDir dir;
    // LF-only lines are one line: the URL runs on over the tab and the line feed.
    // "http://a.b/ページ" in code page 932.
    WriteFileBytes(dir.File("a.txt"), "http://a.b/\tx\ny z http://j.p/\x83\x79\x81\x5B\x83\x57 "
                                      "http://q/\"x\\y");
    ASSERT_EQ(Cli(dir, {"scan-urls", "c.htm", "a.txt"}).status, 0);
    const CliRun tsv = Cli(dir, {"list", "c.htm"});
    EXPECT_EQ(tsv.status, 0);
    EXPECT_EQ(tsv.out, "1\t\thttp://a.b/\\tx\\ny\t\t\n"
                       "2\t\thttp://j.p/ページ\t\t\n"
                       "3\t\thttp://q/\t\t\n");
    const CliRun json = Cli(dir, {"list", "c.htm", "--format", "json"});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(
        json.out,
        "[\n"
        "  {\"no\": 1, \"name\": \"\", \"address\": \"http://a.b/\\tx\\ny\", \"access\": \"\", "
        "\"remark\": \"\"},\n"
        "  {\"no\": 2, \"name\": \"\", \"address\": \"http://j.p/ページ\", \"access\": \"\", "
        "\"remark\": \"\"},\n"
        "  {\"no\": 3, \"name\": \"\", \"address\": \"http://q/\", \"access\": \"\", "
        "\"remark\": \"\"}\n"
        "]\n");
    WriteFileBytes(dir.File("empty.htm"), "<HTML></HTML>");
    EXPECT_EQ(Cli(dir, {"list", "empty.htm", "--format=json"}).out, "[]\n");
}

TEST(CliRewrite, copiesTheCollectionAndRefusesAMissingSource) {
    TempDir dir;
    WriteFileBytes(dir.File("a.txt"), "http://a.b/ http://c.d/");
    ASSERT_EQ(Cli(dir, {"scan-urls", "c.htm", "a.txt"}).status, 0);
    const CliRun r = Cli(dir, {"rewrite", "c.htm", "d.htm"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Cli(dir, {"list", "d.htm"}).out, Cli(dir, {"list", "c.htm"}).out);

    const auto before = Snapshot(dir);
    const CliRun missing = Cli(dir, {"rewrite", "nothing.htm", "e.htm"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("nothing.htm"), std::string::npos);
    EXPECT_EQ(Snapshot(dir), before);
    EXPECT_EQ(Cli(dir, {"list", "nothing.htm"}).status, 1);
}

TEST(CliUsage, mistakesExitTwoAndHelpExitsZero) {
    TempDir dir;
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"frobnicate"},
        {"scan-urls"},
        {"scan-urls", "c.htm"},
        {"scan-urls", "c.htm", "a.txt", "--backup", "zip"},
        {"scan-urls", "c.htm", "a.txt", "--backup"},
        {"scan-emails", "c.htm", "a.txt", "--format", "json"},
        {"rewrite", "a.htm"},
        {"rewrite", "a.htm", "b.htm", "c.htm"},
        {"list", "c.htm", "--format", "xml"},
        {"list", "c.htm", "--yes"},
        {"list"},
    };
    for (const auto& args : mistakes) {
        const CliRun r = Cli(dir, args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(r.err.find("usage: linkhive-cli"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(fs::exists(dir.File("c.htm")));
    for (const char* command : {"scan-urls", "scan-emails", "rewrite", "list"}) {
        const CliRun r = Cli(dir, {command, "--help"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind("usage: linkhive-cli " + std::string(command), 0), 0u) << r.out;
    }
    EXPECT_EQ(Cli(dir, {"--help"}).status, 0);
}
