#include "IoCodeOutput.h"
#include "TestEnvironment.h"
#include "core/CollectionFile.h"
#include "core/ScanCommands.h"
#include "platform/WideText.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>

using namespace lh;
using platform::Utf8ToWide;

namespace {

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((L"\\\\?\\" + Utf8ToWide(folder) + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(platform::WideToUtf8(name));
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

DWORD Attributes(const std::string& path) {
    return ::GetFileAttributesW(Utf8ToWide(path).c_str());
}

struct WindowsSave {
    test::TempDir dir;
    std::string target = dir.File("links.htm");
    TableStore table;
    NullProgress progress;
    IoError error;

    WindowsSave() { table.AppendRecord("n", "http://a/", "", ""); }
    bool Save(BackupKind kind = BackupKind::None, ProgressSink* sink = nullptr) {
        return SaveCollectionFile(target, table, "T", kind, sink ? *sink : progress, error);
    }
};

// Holds every other file of the folder open without leave to delete it, from the last line
// written on: the new version then cannot be moved into place.
class BlockingProgress final : public ProgressSink {
public:
    BlockingProgress(std::string folder, std::string keep, std::int64_t lastStep)
        : m_folder(std::move(folder)), m_keep(std::move(keep)), m_lastStep(lastStep) {}
    ~BlockingProgress() override {
        for (const HANDLE h : m_held)
            ::CloseHandle(h);
    }
    void ProgressStart(std::int64_t, const std::string&) override {}
    void ProgressStep(std::int64_t) override {
        if (++m_step != m_lastStep)
            return;
        for (const std::string& name : NamesIn(m_folder)) {
            if (name == m_keep)
                continue;
            const HANDLE h = ::CreateFileW(Utf8ToWide(m_folder + "\\" + name).c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr);
            if (h != INVALID_HANDLE_VALUE)
                m_held.push_back(h);
        }
    }
    void ProgressEnd() override {}

private:
    std::string m_folder;
    std::string m_keep;
    std::int64_t m_lastStep;
    std::int64_t m_step = 0;
    std::vector<HANDLE> m_held;
};

// "LIST.BAK" under ".bak" backups bears its own backup name in another letter case: it must
// never be deleted as the "old backup", even when the new version then fails to move in.
TEST(CollectionSaveWindows, targetBearingItsBackupNameInAnotherCaseIsNeverDeleted) {
    WindowsSave f;
    f.target = f.dir.File("LIST.BAK");
    test::WriteFileBytes(f.target, "previous");
    BlockingProgress blocking(f.dir.Path().string(), "LIST.BAK", CollectionLineCount(f.table));
    const bool saved = f.Save(BackupKind::Bak, &blocking);
    const std::string now = test::ReadFileBytes(f.target);
    if (saved) {
        EXPECT_NE(now.find("<HTML>"), std::string::npos);
    } else {
        EXPECT_EQ(now, "previous");
    }
    EXPECT_EQ(NamesIn(f.dir.Path().string()), std::vector<std::string>{"LIST.BAK"});
}

// The system's replace keeps what belongs to the file, not to its bytes (here: hidden).
TEST(CollectionSaveWindows, replacingKeepsTheFilesAttributesWithAndWithoutBackup) {
    for (const BackupKind kind : {BackupKind::None, BackupKind::Bak}) {
        WindowsSave f;
        test::WriteFileBytes(f.target, "previous");
        ::SetFileAttributesW(Utf8ToWide(f.target).c_str(), FILE_ATTRIBUTE_HIDDEN);
        ASSERT_TRUE(f.Save(kind)) << "code " << f.error.code;
        EXPECT_NE(test::ReadFileBytes(f.target).find("<HTML>"), std::string::npos);
        EXPECT_NE(Attributes(f.target) & FILE_ATTRIBUTE_HIDDEN, 0u);
        if (kind == BackupKind::Bak) {
            EXPECT_EQ(test::ReadFileBytes(f.dir.File("links.bak")), "previous");
        }
    }
}

// Another program holding the collection open: the file message, the file as it was, no
// stray temporary file.
TEST(CollectionSaveWindows, collectionHeldByAnotherProgramCannotBeReplaced) {
    WindowsSave f;
    test::WriteFileBytes(f.target, "previous");
    const HANDLE held = ::CreateFileW(Utf8ToWide(f.target).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const bool saved = f.Save();
    ::CloseHandle(held);
    EXPECT_FALSE(saved);
    EXPECT_EQ(f.error.code, IoErrorKind::CannotReplace);
    EXPECT_EQ(IoErrorText(f.error.code), "ファイルのオープンに失敗しました。");
    EXPECT_EQ(test::ReadFileBytes(f.target), "previous");
    EXPECT_EQ(NamesIn(f.dir.Path().string()), std::vector<std::string>{"links.htm"});
}

TEST(CollectionSaveWindows, collectionsBeyond260CharactersSaveAndLoad) {
    test::TempDir dir;
    std::string folder = dir.Path().string();
    for (int i = 0; i < 6; ++i) {
        folder += "\\" + std::string(50, static_cast<char>('a' + i)) + "資料";
        ::CreateDirectoryW((L"\\\\?\\" + Utf8ToWide(folder)).c_str(), nullptr);
    }
    const std::string target = folder + "\\links.htm";
    TableStore table;
    table.AppendRecord("n", "http://a/", "", "");
    NullProgress progress;
    IoError error;
    ASSERT_TRUE(SaveCollectionFile(target, table, "T", BackupKind::None, progress, error))
        << "code " << error.code;
    ASSERT_TRUE(SaveCollectionFile(target, table, "T", BackupKind::Tilde, progress, error))
        << "code " << error.code;
    TableStore loaded;
    std::string title;
    ASSERT_TRUE(ReadCollection(target, loaded, title, progress, error)) << "code " << error.code;
    EXPECT_EQ(loaded.RecordCount(), 1);
    EXPECT_EQ(title, "T");
    EXPECT_EQ(NamesIn(folder), (std::vector<std::string>{"links.htm", "links.~ht"}));
}

// Windows opens "prog.EXE." and "prog.EXE " as prog.EXE: the program question must come.
TEST(CollectionSaveWindows, clearsOnlyTemporaryFilesOfWritersThatHaveEnded) {
    WindowsSave f;
    char own[32];
    std::snprintf(own, sizeof own, "~lh%lx-0-0.tmp",
                  static_cast<unsigned long>(::GetCurrentProcessId()));
    struct Row {
        std::string name;
        bool stays;
    };
    // Process numbers are multiples of four: fffffff0 belongs to no process.
    const std::vector<Row> rows = {
        {"~lhfffffff0-1a2b-0.tmp", false}, {own, true},
        {"~lhfffffff0-1a2b.tmp", true},    {"~lhfffffff0-1a2b-0.txt", true},
        {"~lhnotes-1-2.tmp", true},
    };
    for (const Row& row : rows)
        test::WriteFileBytes(f.dir.File(row.name), "left over");
    ASSERT_TRUE(f.Save()) << f.error.code;
    for (const Row& row : rows)
        EXPECT_EQ(::GetFileAttributesW(Utf8ToWide(f.dir.File(row.name)).c_str()) !=
                      INVALID_FILE_ATTRIBUTES,
                  row.stays)
            << row.name;
}

TEST(ProgramFileNameWindows, trailingDotsAndSpacesDoNotHideAProgram) {
    for (const char* name :
         {"C:\\t\\prog.EXE.", "C:\\t\\prog.EXE ", "C:\\t\\x.com. .", "C:\\t\\prog.exe"})
        EXPECT_TRUE(IsProgramFileName(name)) << name;
    EXPECT_FALSE(IsProgramFileName("C:\\t\\prog.exe.htm"));
}

} // namespace
