#include "TestEnvironment.h"
#include "platform/Console.h"
#include "platform/WideText.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace lh;

namespace {

using Names = std::vector<std::string>;

TEST(ExpandWildcards, patternsInTheLastNameListTheFilesInNameOrder) {
    test::TempDir dir;
    for (const char* name : {"b.txt", "A.txt", "メモ.txt", "c.htm"})
        test::WriteFileBytes(dir.File(name), "x");
    ::CreateDirectoryW(platform::Utf8ToWide(dir.File("folder.txt")).c_str(), nullptr);

    EXPECT_EQ(platform::ExpandWildcards(dir.File("*.txt")),
              (Names{dir.File("A.txt"), dir.File("b.txt"), dir.File("メモ.txt")}));
    EXPECT_EQ(platform::ExpandWildcards(dir.File("?.htm")), Names{dir.File("c.htm")});
    // Nothing matching, or no pattern at all: the word stays, so errors can name it.
    EXPECT_EQ(platform::ExpandWildcards(dir.File("*.pdf")), Names{dir.File("*.pdf")});
    EXPECT_EQ(platform::ExpandWildcards(dir.File("b.txt")), Names{dir.File("b.txt")});
    EXPECT_EQ(platform::ExpandWildcards("--backup"), Names{"--backup"});
}

TEST(ConsoleText, redirectedOutputIsUtf8Throughout) {
    test::TempDir dir;
    const std::string file = dir.File("out.txt");
    std::FILE* f = _wfopen(platform::Utf8ToWide(file).c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(platform::IsTerminal(f));
    EXPECT_TRUE(platform::WriteText(f, "C:\\資料\\メモ.txt: ﾌｧｲﾙが見つかりません\n"));
    std::fclose(f);
    EXPECT_EQ(test::ReadFileBytes(file), "C:\\資料\\メモ.txt: ﾌｧｲﾙが見つかりません\n");
}

TEST(ConsoleText, consoleReceivesTheCharactersThemselves) {
    if (!::GetConsoleWindow() && !::AllocConsole())
        GTEST_SKIP() << "no console can be had here";
    const HANDLE out =
        ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(out), 0);
    std::FILE* f = _fdopen(fd, "w");
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(platform::IsTerminal(f));
    CONSOLE_SCREEN_BUFFER_INFO info{};
    ASSERT_TRUE(::GetConsoleScreenBufferInfo(out, &info));
    const COORD start = info.dwCursorPosition;
    EXPECT_TRUE(platform::WriteText(f, "資料メモ"));
    wchar_t shown[8] = {};
    DWORD read = 0;
    ASSERT_TRUE(::ReadConsoleOutputCharacterW(out, shown, 4, start, &read));
    // A full-width character may take two cells; the first cell holds the character.
    EXPECT_EQ(shown[0], L'\u8CC7');
    std::fclose(f);
}

} // namespace
