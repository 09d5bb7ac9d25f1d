#include "ScriptedUi.h"
#include "TestEnvironment.h"
#include "core/CollectionFile.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

using namespace lh;
namespace fs = std::filesystem;

namespace {

constexpr const char* kBrowser = "/usr/bin/chromium";

// The page as a real browser builds it, serialised in UTF-8; empty when the browser failed.
std::string BrowserDom(const test::TempDir& dir, const std::string& page) {
    // A profile of its own and no network or background work: the run sees only this page.
    const std::string command = std::string("timeout 120 ") + kBrowser +
                                " --headless --no-sandbox --disable-gpu --no-first-run"
                                " --disable-background-networking --disable-component-update"
                                " --disable-sync --user-data-dir='" +
                                dir.File("profile") + "' --dump-dom 'file://" + page + "' >'" +
                                dir.File("dom.txt") + "' 2>'" + dir.File("browser.err") + "'";
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    return test::ReadFileBytes(dir.File("dom.txt"));
}

} // namespace

// A collection whose only Japanese is one short name: with nothing to go on a browser may guess
// a Western code page and show the name as mojibake; the page's declaration settles it.
TEST(CollectionPageInBrowser, shortJapaneseNameShowsCorrectly) {
    if (!fs::exists(kBrowser))
        GTEST_SKIP() << kBrowser << " is not installed";
    test::TempDir dir;
    TableStore table;
    table.AppendRecord("\x93\xFA\x96\x7B", "http://a.example/", "", ""); // 日本
    table.AppendRecord("Example", "http://b.example/", "2024/01/02 03:04", "note");
    const std::string page = dir.File("links.htm");
    IoError error;
    NullProgress progress;
    ASSERT_TRUE(SaveCollectionFile(page, table, "Links", BackupKind::None, progress, error));

    const std::string dom = BrowserDom(dir, page);
    ASSERT_FALSE(dom.empty()) << test::ReadFileBytes(dir.File("browser.err"));
    EXPECT_NE(dom.find("<td>日本</td>"), std::string::npos) << dom;
    EXPECT_NE(dom.find("<td>note</td>"), std::string::npos) << dom;
}
