#include "core/LaunchCommands.h"
#include "util/Codec.h"

#include "TestEnvironment.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
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
        doc.SetFileCaption("/data/links.htm");
        doc.Table().AppendRecord("name", "http://a.b/x", "", "");
    }

    Document doc;
    std::vector<Opened> opened;
    LaunchCommands commands{doc,
                            [this](const std::string& t, const std::vector<std::string>& p) {
                                opened.push_back({t, p});
                                return false; // the stamp must not depend on the handler
                            },
                            [] { return std::string("2026/12/07 9:05:08"); }};
};

TEST_F(LaunchCommandsTest, access_opensTheAddressAndStampsTheTimeWhateverTheOutcome) {
    EXPECT_TRUE(commands.EditAccessItemClick(1));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, "http://a.b/x");
    EXPECT_TRUE(opened[0].parameters.empty());
    EXPECT_EQ(doc.Table().Cell(1, 3), "2026/12/07 9:05:08");
    EXPECT_EQ(doc.Caption(), "*Linkhive for Windows - [links.htm]");
    commands.EditAccessItemClick(1);
    EXPECT_EQ(doc.Caption(), "*Linkhive for Windows - [links.htm]"); // never a second mark
}

TEST(LaunchCommands, access_stampTextCp932CannotHoldFallsBackToDigits) {
    Document doc;
    doc.Table().AppendRecord("", "http://a/", "earlier", "");
    LaunchCommands commands(
        doc, [](const std::string&, const std::vector<std::string>&) { return true; },
        [] { return std::string("2026-12-07 \xF0\x9F\x95\x98"); });
    commands.EditAccessItemClick(1);
    const std::string stamp = doc.Table().Cell(1, 3);
    EXPECT_EQ(stamp.size(), 19u);
    EXPECT_EQ(stamp[4], '/');
}

TEST_F(LaunchCommandsTest, access_onEntryRowOrEmptyAddressDoesNothing) {
    EXPECT_FALSE(commands.EditAccessItemClick(doc.Table().EntryRow()));
    doc.Table().AppendRecord("no address", "", "", "");
    EXPECT_FALSE(commands.EditAccessItemClick(2));
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(LaunchCommandsTest, access_mailtoPassesTheWholeLinkAndJapaneseAsUtf8) {
    doc.Table().AppendRecord("", "mailto:name@host", "", "");
    doc.Table().AppendRecord("", *Utf8ToSjis("http://a.b/ページ"), "", "");
    commands.EditAccessItemClick(2);
    commands.EditAccessItemClick(3);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].target, "mailto:name@host");
    EXPECT_EQ(opened[1].target, "http://a.b/ページ");
}

TEST_F(LaunchCommandsTest, access_programPathIsStartedWithItsArgumentsApart) {
    test::TempDir dir;
    const std::string tool = dir.File("view tool");
    test::WriteFileBytes(tool, "#!/bin/sh\n");
    doc.Table().AppendRecord("", tool + " -r \"list one.txt\"", "", "");
    commands.EditAccessItemClick(2);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, tool);
    EXPECT_EQ(opened[0].parameters, (std::vector<std::string>{"-r", "list one.txt"}));
}

TEST_F(LaunchCommandsTest, htmlView_opensTheSavedFileOnlyWhenThePromptLetsItGoOn) {
    doc.SetCurrentFile("/data/links.htm");
    commands.EditHtmlItemClick([] { return false; });
    EXPECT_TRUE(opened.empty());
    commands.EditHtmlItemClick([] { return true; });
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, "/data/links.htm");
    doc.SetCurrentFile("");
    commands.EditHtmlItemClick([] { return true; });
    EXPECT_EQ(opened.size(), 1u); // a collection never saved has nothing to show
}

TEST(FileUrl, encodesWhatAUrlCannotHold) {
    EXPECT_EQ(FileUrl("/a b/リンク.html", "usehelp"),
              "file:///a%20b/%E3%83%AA%E3%83%B3%E3%82%AF.html#usehelp");
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
    commands.EditAccessItemClick(1);
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
    commands.EditHtmlItemClick([] { return true; });
    ::setenv("PATH", savedPath.c_str(), 1);

    for (int i = 0; i < 500 && !std::filesystem::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(test::ReadFileBytes(out), page + "\n");
}
#endif

} // namespace
