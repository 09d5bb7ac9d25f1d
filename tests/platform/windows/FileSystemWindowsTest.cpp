#include "IoCodeOutput.h"
#include "TestEnvironment.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/InputFile.h"
#include "platform/InstanceGuard.h"
#include "platform/WideText.h"
#include "platform/windows/WinText.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <windows.h>

using namespace lh;
using platform::Utf8ToWide;

namespace {

std::FILE* OpenToRead(const std::string& path, IoCode& code) {
    platform::InputKind kind = platform::InputKind::Missing;
    return platform::OpenInputFile(path, false, kind, code);
}

// A folder chain whose files lie beyond the classic 260-character limit.
std::string DeepFolder(const test::TempDir& dir) {
    std::string path = dir.Path().string();
    for (int i = 0; i < 6; ++i) {
        path += "\\" + std::string(50, static_cast<char>('a' + i));
        ::CreateDirectoryW((L"\\\\?\\" + Utf8ToWide(path)).c_str(), nullptr);
    }
    return path;
}

TEST(FileSystemWindows, namesInAnyScriptAreFoundWhateverTheSystemCodePage) {
    test::TempDir dir;
    // é and 한 have no code page 932 form; 資料 has one. All must work alike.
    for (const std::string name : {"資料メモ.txt", "café.txt", "한글.txt"}) {
        const std::string path = dir.File(name);
        test::WriteFileBytes(path, "12345");
        platform::FileStat st;
        ASSERT_TRUE(platform::StatFile(path, st)) << path;
        EXPECT_EQ(st.size, 5);
        EXPECT_TRUE(platform::IsRegularFile(path));
        IoCode code{IoErrorKind::Other, -1};
        std::FILE* f = OpenToRead(path, code);
        ASSERT_NE(f, nullptr) << path;
        std::fclose(f);
        EXPECT_EQ(code, IoErrorKind::None);
        EXPECT_EQ(platform::FileNamePart(path), name);
    }
}

TEST(FileSystemWindows, pathsBeyond260CharactersWork) {
    test::TempDir dir;
    const std::string folder = DeepFolder(dir);
    const std::string path = folder + "\\links.htm";
    ASSERT_GT(path.size(), 300u);

    IoCode code;
    platform::AtomicFile file;
    ASSERT_TRUE(file.Create(path, code)) << "code " << code;
    std::fputs("<HTML>", file.Stream());
    ASSERT_TRUE(file.Finish(code));
    ASSERT_TRUE(file.Commit(code)) << "code " << code;

    platform::FileStat st;
    ASSERT_TRUE(platform::StatFile(path, st));
    EXPECT_EQ(st.size, 6);
    std::FILE* in = OpenToRead(path, code);
    ASSERT_NE(in, nullptr);
    std::fclose(in);
    EXPECT_TRUE(platform::RemoveFile(path));
}

TEST(FileSystemWindows, sameFileFollowsTheFileSystemsRuleForLetterCase) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("LIST.BAK"), "x");
    test::WriteFileBytes(dir.File("other.bak"), "y");
    EXPECT_TRUE(platform::IsSameFile(dir.File("LIST.BAK"), dir.File("list.bak")));
    EXPECT_TRUE(platform::IsSameFile(dir.File("LIST.BAK"), dir.File("LIST.BAK")));
    EXPECT_FALSE(platform::IsSameFile(dir.File("LIST.BAK"), dir.File("other.bak")));
    EXPECT_FALSE(platform::IsSameFile(dir.File("LIST.BAK"), dir.File("missing.bak")));
}

TEST(FileSystemWindows, trailingDotsAndSpacesAreDroppedAsTheSystemDoes) {
    struct Case {
        std::string path, effective;
    };
    const Case cases[] = {
        {"C:\\bin\\prog.EXE.", "C:\\bin\\prog.EXE"},
        {"C:\\bin\\prog.EXE ", "C:\\bin\\prog.EXE"},
        {"prog.exe. . ", "prog.exe"},
        {"C:\\bin\\prog.exe", "C:\\bin\\prog.exe"},
        {"..", ".."},
        {"C:\\bin\\..", "C:\\bin\\.."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::EffectivePath(c.path), c.effective) << c.path;
}

// The system's name errors (123, 161, 206, 267) are the program's "bad name" code, never a raw
// "I/O error (123)", for reading, for examining and for the new file of a save alike.
TEST(FileSystemWindows, badNameErrorsMapToTheProgramsCode) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("plain.txt"), "x");
    const std::string badNames[] = {dir.File("a<b>.htm"), dir.File("a|b.htm"),
                                    dir.File("a<b>\\links.htm"), dir.File("plain.txt\\links.htm")};
    for (const std::string& bad : badNames) {
        IoCode code;
        EXPECT_EQ(OpenToRead(bad, code), nullptr);
        EXPECT_EQ(code, IoErrorKind::BadName) << bad;
        platform::FileStat st;
        EXPECT_FALSE(platform::StatFile(bad, st));
        EXPECT_EQ(platform::LastIoErrorCode(), IoErrorKind::BadName) << bad;
    }
    for (const std::string& target : {dir.File("a<b>\\links.htm"), dir.File("plain.txt\\x.htm")}) {
        IoCode code;
        platform::AtomicFile file;
        EXPECT_FALSE(file.Create(target, code));
        EXPECT_EQ(code, IoErrorKind::BadName) << target;
    }
}

// System errors without a kind of their own keep their number for the message, and no number
// passes for a kind it does not mean (101 is a semaphore error here, not a full disk).
TEST(FileSystemWindows, systemErrorsMapToKinds) {
    const std::pair<DWORD, IoCode> cases[] = {
        {ERROR_SUCCESS, IoErrorKind::None},
        {ERROR_FILE_NOT_FOUND, IoErrorKind::NotFound},
        {ERROR_PATH_NOT_FOUND, IoErrorKind::BadName},
        {ERROR_TOO_MANY_OPEN_FILES, IoErrorKind::TooManyOpenFiles},
        {ERROR_ACCESS_DENIED, IoErrorKind::AccessDenied},
        {ERROR_SHARING_VIOLATION, IoErrorKind::AccessDenied},
        {ERROR_DISK_FULL, IoErrorKind::DiskFull},
        {ERROR_EXCL_SEM_ALREADY_OWNED, {IoErrorKind::Other, 101}},
        {ERROR_NOT_ENOUGH_QUOTA, {IoErrorKind::Other, 1816}},
    };
    for (const auto& [error, code] : cases)
        EXPECT_EQ(platform::win::IoCodeOf(error), code) << error;
}

TEST(FileSystemWindows, programPathAndFoldersComeAsUtf8) {
    const std::string program = platform::ProgramPath();
    EXPECT_EQ(platform::ExtensionPart(program), ".exe");
    EXPECT_TRUE(platform::IsRegularFile(program));
    EXPECT_TRUE(platform::FileExists(platform::RuntimeDir()));
}

TEST(InstanceGuardWindows, existsWhileHeldAndOpensWithSynchronizeOnly) {
    EXPECT_FALSE(platform::InstanceGuard::Exists());
    {
        platform::InstanceGuard guard;
        guard.Acquire();
        EXPECT_TRUE(guard.Held());
        EXPECT_TRUE(platform::InstanceGuard::Exists());
    }
    EXPECT_FALSE(platform::InstanceGuard::Exists());
}

// A refused start finds the first instance by the pipe named after the user's name as the
// system has it, in whatever script.
TEST(InstanceGuardWindows, serverNameIsFoundAmongThePipes) {
    const std::string name = platform::MainWindowServerName();
    wchar_t user[257];
    DWORD size = 257;
    ASSERT_TRUE(::GetUserNameW(user, &size));
    EXPECT_NE(name.find(platform::WideToUtf8(std::wstring(user, size - 1))), std::string::npos);
    const HANDLE pipe =
        ::CreateNamedPipeW((L"\\\\.\\pipe\\" + Utf8ToWide(name)).c_str(), PIPE_ACCESS_DUPLEX,
                           PIPE_TYPE_BYTE, 1, 512, 512, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    const std::vector<std::string> names = platform::MainWindowServerNames();
    ::CloseHandle(pipe);
    if (names.empty())
        GTEST_SKIP() << "this system does not list its named pipes";
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end());
}

} // namespace
