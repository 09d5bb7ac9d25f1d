#include "core/LaunchCommands.h"

#include "Portable.h"
#include "ScriptedUi.h"
#include "TestEnvironment.h"
#include "platform/FileSystem.h"
#include "platform/Opener.h"
#include "util/Codec.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#if LINKHIVE_POSIX_TESTS
#include <sys/stat.h>
#endif
#include <thread>

using namespace lh;

namespace {

struct Opened {
    std::string target;
    std::vector<std::string> parameters;
};

class LaunchCommandsTest : public ::testing::Test {
protected:
    LaunchCommandsTest() {
        doc.ResetState("/data/links.htm");
        doc.Table().AppendRecord("name", "http://a.b/x", "", "");
    }

    Document doc;
    std::vector<Opened> opened;
    bool openerSucceeds = false; // the stamp must not depend on the handler
    std::set<std::string> programs;
    test::ScriptedMessageBox boxes;
    LaunchCommands commands{doc,
                            [this](const std::string& t, const std::vector<std::string>& p) {
                                opened.push_back({t, p});
                                return openerSucceeds;
                            },
                            [] { return std::string("2026/12/07 9:05:08"); }, &boxes,
                            [this](const std::string& t) { return programs.count(t) != 0; }};
};

TEST_F(LaunchCommandsTest, access_opensTheAddressAndStampsTheTimeWhateverTheOutcome) {
    EXPECT_TRUE(commands.AccessRecord(0));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, "http://a.b/x");
    EXPECT_TRUE(opened[0].parameters.empty());
    EXPECT_EQ(doc.Table().Text(0, TableStore::kAccess), "2026/12/07 9:05:08");
    EXPECT_EQ(doc.Caption(), "*Linkhive for Windows - [links.htm]");
    commands.AccessRecord(0);
    EXPECT_EQ(doc.Caption(), "*Linkhive for Windows - [links.htm]"); // never a second mark
}

TEST(LaunchCommands, access_stampTextCp932CannotHoldFallsBackToDigits) {
    Document doc;
    doc.Table().AppendRecord("", "http://a/", "earlier", "");
    LaunchCommands commands(
        doc, [](const std::string&, const std::vector<std::string>&) { return true; },
        [] { return std::string("2026-12-07 \xF0\x9F\x95\x98"); });
    commands.AccessRecord(0);
    const std::string stamp = std::string(doc.Table().Text(0, TableStore::kAccess));
    EXPECT_EQ(stamp.size(), 19u);
    EXPECT_EQ(stamp[4], '/');
}

TEST_F(LaunchCommandsTest, access_onEntryRowOrEmptyAddressDoesNothing) {
    EXPECT_FALSE(commands.AccessRecord(doc.Table().RecordCount()));
    doc.Table().AppendRecord("no address", "", "", "");
    EXPECT_FALSE(commands.AccessRecord(1));
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(LaunchCommandsTest, access_mailtoPassesTheWholeLinkAndJapaneseAsUtf8) {
    doc.Table().AppendRecord("", "mailto:name@host", "", "");
    doc.Table().AppendRecord("", *Utf8ToSjis("http://a.b/ページ"), "", "");
    commands.AccessRecord(1);
    commands.AccessRecord(2);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].target, "mailto:name@host");
    EXPECT_EQ(opened[1].target, "http://a.b/ページ");
}

TEST_F(LaunchCommandsTest, access_programPathIsStartedWithItsArgumentsApart) {
    test::TempDir dir;
    const std::string tool = dir.File("view tool");
    test::WriteFileBytes(tool, "#!/bin/sh\n");
    programs.insert(tool);
    doc.Table().AppendRecord("", tool + " -r \"list one.txt\"", "", "");
    openerSucceeds = true;
    boxes.Answer(Answer::Yes);
    commands.AccessRecord(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, tool);
    EXPECT_EQ(opened[0].parameters, (std::vector<std::string>{"-r", "list one.txt"}));
}

TEST_F(LaunchCommandsTest, access_programIsStartedOnlyAfterYesToAQuestionNamingIt) {
    const std::string shell = test::NativePath("/tools/shell.exe");
    programs.insert(shell);
    doc.Table().AppendRecord("", shell + " -c \"rm -rf ~\"", "", "");
    struct Case {
        const char* what;
        MessageBoxService* messages;
        Answer answer;
        bool started;
    };
    const Case cases[] = {
        {"No keeps it from running", &boxes, Answer::No, false},
        {"closing the box is no Yes", &boxes, Answer::Cancel, false},
        {"nobody to ask: never started", nullptr, Answer::Yes, false},
        {"Yes starts it with its arguments", &boxes, Answer::Yes, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        opened.clear();
        test::ScriptedMessageBox local;
        LaunchCommands asking(
            doc,
            [this](const std::string& t, const std::vector<std::string>& p) {
                opened.push_back({t, p});
                return true;
            },
            {}, c.messages ? &local : nullptr,
            [this](const std::string& t) { return programs.count(t) != 0; });
        if (c.messages)
            local.Answer(c.answer);
        asking.AccessRecord(1);
        EXPECT_EQ(opened.size(), c.started ? 1u : 0u);
        if (c.started) {
            ASSERT_EQ(opened.size(), 1u);
            EXPECT_EQ(opened[0].parameters, (std::vector<std::string>{"-c", "rm -rf ~"}));
        }
        if (c.messages) {
            ASSERT_EQ(local.shown().size(), 1u);
            EXPECT_EQ(local.shown()[0].text,
                      "「" + shell +
                          "」\nプログラムを起動します。\n引数: -c \"rm -rf ~\"\n起動しますか？");
            EXPECT_EQ(local.shown()[0].style, kProgramWarningStyle); // No is the default
        }
    }
}

TEST_F(LaunchCommandsTest, access_argumentsADocumentCannotTakeAreAskedAboutNotDropped) {
    const std::string notes = test::NativePath("/data/notes.txt");
    doc.Table().AppendRecord("", notes + " --print now", "", "");
    boxes.Answer(Answer::No);
    commands.AccessRecord(1);
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "「" + notes +
                                         "」\nプログラムではないため、引数を渡せません。"
                                         "\n引数: --print now\n引数なしで開きますか？");
    boxes.Answer(Answer::Yes);
    commands.AccessRecord(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, notes);
    EXPECT_TRUE(opened[0].parameters.empty());
}

TEST_F(LaunchCommandsTest, access_programThatCannotTakeItsArgumentsIsReported) {
    test::TempDir dir;
    const std::string tool = dir.File("tool");
    test::WriteFileBytes(tool, "#!/bin/sh\n");
    programs.insert(tool);
    doc.Table().AppendRecord("", tool + " x", "", "");
    boxes.Answer(Answer::Yes);
    boxes.Answer(Answer::Ok);
    commands.AccessRecord(1); // the opener fails
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[1].text, "「" + tool + "」\nを引数付きで起動できませんでした。");
    EXPECT_TRUE(boxes.AllAnswered());
}

TEST_F(LaunchCommandsTest, access_targetBeginningWithDashIsNeverAnOption) {
    doc.Table().AppendRecord("", "--help", "", "");
    doc.Table().AppendRecord("", "-x", "", "");
    commands.AccessRecord(1);
    commands.AccessRecord(2);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].target, "./--help");
    EXPECT_EQ(opened[1].target, "./-x");
}

TEST_F(LaunchCommandsTest, htmlView_asksBeforeStartingACollectionThatIsAProgram) {
    doc.SetCurrentFile("/data/links.htm");
    programs.insert("/data/links.htm");
    boxes.Answer(Answer::No);
    commands.OpenCollectionPage([] { return true; });
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text,
              "「/data/links.htm」\nプログラムを起動します。\n引数: なし\n起動しますか？");
}

TEST(ParametersForDisplay, quotesWhatWouldOtherwiseRunTogether) {
    EXPECT_EQ(ParametersForDisplay({"-r", "list one.txt", "", "a\"b", "x\ty"}),
              "-r \"list one.txt\" \"\" \"a\"b\" \"x\ty\"");
}

TEST_F(LaunchCommandsTest, htmlView_opensTheSavedFileOnlyWhenThePromptLetsItGoOn) {
    doc.SetCurrentFile("/data/links.htm");
    commands.OpenCollectionPage([] { return false; });
    EXPECT_TRUE(opened.empty());
    commands.OpenCollectionPage([] { return true; });
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, "/data/links.htm");
    doc.SetCurrentFile("");
    commands.OpenCollectionPage([] { return true; });
    EXPECT_EQ(opened.size(), 1u); // a collection never saved has nothing to show
}

TEST(FileUrl, encodesWhatAUrlCannotHold) {
    EXPECT_EQ(FileUrl("/a b/リンク.html", "usehelp"),
              "file:///a%20b/%E3%83%AA%E3%83%B3%E3%82%AF.html#usehelp");
}

// The system's own paths: drive paths and shares on Windows, where "\\" separates.
TEST(FileUrl, separatesWithSlashesAndKeepsTheDrive) {
    const bool windows = platform::PathSeparator() == '\\';
    struct Case {
        std::string path;
        std::string url;
    };
    const Case cases[] = {
        {test::NativePath("/help/Linkhive.html"),
         windows ? "file:///C:/help/Linkhive.html" : "file:///help/Linkhive.html"},
        {test::NativePath("/a b/c.html"),
         windows ? "file:///C:/a%20b/c.html" : "file:///a%20b/c.html"},
        {"\\\\host\\share\\x.html",
         windows ? "file://host/share/x.html" : "file://%5C%5Chost%5Cshare%5Cx.html"},
        {"/d/x:y.html", "file:///d/x%3Ay.html"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileUrl(c.path), c.url) << c.path;
}

#if LINKHIVE_POSIX_TESTS
// The real opener with LINKHIVE_OPENER: the program named there receives target and parameters.
TEST(PlatformOpener, linkhiveOpenerReceivesTargetAndParameters) {
    test::TempDir dir;
    const std::string out = dir.File("opened.txt");
    const std::string script = dir.File("opener.sh");
    test::WriteFileBytes(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                                     out + ".part\"\nmv \"" + out + ".part\" \"" + out + "\"\n");
    ::chmod(script.c_str(), 0755);
    ::setenv("LINKHIVE_OPENER", script.c_str(), 1);

    Document doc;
    doc.Table().AppendRecord("", "mailto:a@b", "", "");
    LaunchCommands commands(doc);
    commands.AccessRecord(0);
    ::unsetenv("LINKHIVE_OPENER");

    for (int i = 0; i < 500 && !std::filesystem::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(test::ReadFileBytes(out), "mailto:a@b\n");
    EXPECT_TRUE(doc.IsModified());
}

// A saved collection with execute permission (as on NTFS drives and network shares) is no
// program: the browser view hands it to the desktop's handler instead of failing silently.
TEST(PlatformOpener, executablePermissionOnADocumentStillOpensItInTheHandler) {
    test::TempDir dir;
    const std::string out = dir.File("opened.txt");
    const std::string handler = dir.File("xdg-open");
    test::WriteFileBytes(handler, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + out + ".part\"\nmv \"" +
                                      out + ".part\" \"" + out + "\"\n");
    ::chmod(handler.c_str(), 0755);
    const std::string page = dir.File("links.htm");
    test::WriteFileBytes(page, "<HTML><HEAD><TITLE>Linkhive</TITLE></HEAD></HTML>\r\n");
    ::chmod(page.c_str(), 0777);

    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath ? oldPath : "/usr/bin:/bin";
    ::setenv("PATH", (dir.Path().string() + ":" + savedPath).c_str(), 1);
    Document doc;
    doc.SetCurrentFile(page);
    LaunchCommands commands(doc);
    commands.OpenCollectionPage([] { return true; });
    ::setenv("PATH", savedPath.c_str(), 1);

    for (int i = 0; i < 500 && !std::filesystem::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(test::ReadFileBytes(out), page + "\n");
}

// Which local files the real opener would start rather than hand to the desktop's handler.
TEST(PlatformOpener, startsAsProgramOnlyWhatTheSystemWouldRun) {
    test::TempDir dir;
    struct Case {
        const char* name;
        std::string bytes;
        mode_t mode;
        bool program;
    };
    const Case cases[] = {
        {"tool",
         "\x7F"
         "ELF\x02\x01",
         0755, true},
        {"script", "#!/bin/sh\nexit 0\n", 0755, true},
        {"page.htm", "<HTML></HTML>", 0777, false}, // execute permission alone makes no program
        {"plain-script", "#!/bin/sh\n", 0644, false},
        {"empty", "", 0755, false},
    };
    for (const Case& c : cases) {
        const std::string path = dir.File(c.name);
        test::WriteFileBytes(path, c.bytes);
        ::chmod(path.c_str(), c.mode);
        EXPECT_EQ(platform::StartsAsProgram(path), c.program) << c.name;
    }
    EXPECT_FALSE(platform::StartsAsProgram("http://a.b/tool"));
    EXPECT_FALSE(platform::StartsAsProgram(dir.Path().string())); // a folder
}

// The desktop's handler takes one target: parameters are never dropped on the way to it, and a
// target with a leading '-' reaches it as a path, not as an option.
TEST(PlatformOpener, handlerNeverLosesParametersNorSeesAnOption) {
    test::TempDir dir;
    const std::string out = dir.File("opened.txt");
    const std::string handler = dir.File("xdg-open");
    test::WriteFileBytes(handler, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + out + ".part\"\nmv \"" +
                                      out + ".part\" \"" + out + "\"\n");
    ::chmod(handler.c_str(), 0755);
    const std::string page = dir.File("notes.txt");
    test::WriteFileBytes(page, "text");
    ::chmod(page.c_str(), 0755); // runnable by permission, but no program: ENOEXEC

    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath ? oldPath : "/usr/bin:/bin";
    ::setenv("PATH", (dir.Path().string() + ":" + savedPath).c_str(), 1);
    const bool withParameters = platform::OpenWithDefaultHandler(page, {"--print"});
    const bool dash = platform::OpenWithDefaultHandler("-x");
    ::setenv("PATH", savedPath.c_str(), 1);

    EXPECT_FALSE(withParameters);
    EXPECT_TRUE(dash);
    for (int i = 0; i < 500 && !std::filesystem::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(test::ReadFileBytes(out), "./-x\n");
}

#endif

} // namespace
