#include "IoCodeOutput.h"
#include "TestEnvironment.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace lh::platform;
using lh::IoCode;
using lh::IoErrorKind;
using lh::test::ReadFileBytes;
using lh::test::TempDir;
using lh::test::WriteFileBytes;

TEST(MapErrnoToIoCode, givesTheProgramsCodes) {
    struct Case {
        int err;
        IoCode code;
    };
    const Case cases[] = {
        {0, IoErrorKind::None},
        {ENOENT, IoErrorKind::NotFound},
        {ENOTDIR, IoErrorKind::BadName},
        {ENAMETOOLONG, IoErrorKind::BadName},
        {EMFILE, IoErrorKind::TooManyOpenFiles},
        {ENFILE, IoErrorKind::TooManyOpenFiles},
        {EACCES, IoErrorKind::AccessDenied},
        {EPERM, IoErrorKind::AccessDenied},
        {EROFS, IoErrorKind::AccessDenied},
        {EISDIR, IoErrorKind::AccessDenied},
        {ENOSPC, IoErrorKind::DiskFull},
        {EDQUOT, IoErrorKind::DiskFull},
        // Raw numbers would pass for other codes: EIO is 5, ENETUNREACH 101.
        {EIO, {IoErrorKind::Other, kOtherIoErrorBase + EIO}},
        {ENETUNREACH, {IoErrorKind::Other, kOtherIoErrorBase + ENETUNREACH}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MapErrnoToIoCode(c.err), c.code) << "errno " << c.err;
}

TEST(FileSystemErrors, lastFailureIsReportedAsItsCode) {
    TempDir dir;
    FileStat st;
    EXPECT_FALSE(StatFile(dir.File("missing"), st));
    EXPECT_EQ(LastIoErrorCode(), IoErrorKind::NotFound);
    EXPECT_FALSE(StatFile(dir.File(std::string(5000, 'n')), st));
    EXPECT_EQ(LastIoErrorCode(), IoErrorKind::BadName);
    WriteFileBytes(dir.File("plain"), "x");
    EXPECT_FALSE(StatFile(dir.File("plain/below"), st));
    EXPECT_EQ(LastIoErrorCode(), IoErrorKind::BadName);
    EXPECT_FALSE(StatFile("", st));
    EXPECT_EQ(LastIoErrorCode(), IoErrorKind::NotFound);
}

TEST(FileAttributes, mapReadOnlyHiddenAndFolders) {
    TempDir dir;
    WriteFileBytes(dir.File("plain.htm"), "x");
    WriteFileBytes(dir.File(".hidden"), "x");
    WriteFileBytes(dir.File("locked.htm"), "x");
    ::chmod(dir.File("locked.htm").c_str(), 0444);

    FileStat st;
    ASSERT_TRUE(StatFile(dir.File("plain.htm"), st));
    EXPECT_EQ(st.size, 1);
    EXPECT_FALSE(st.attributes.readOnly);
    EXPECT_FALSE(st.attributes.hidden);
    EXPECT_FALSE(IsExactlyReadOnly(dir.File("plain.htm")));

    ASSERT_TRUE(StatFile(dir.File(".hidden"), st));
    EXPECT_TRUE(st.attributes.hidden);

    // Read-only also when the tests run as the superuser, who may write anything.
    ASSERT_TRUE(StatFile(dir.File("locked.htm"), st));
    EXPECT_TRUE(st.attributes.readOnly);
    EXPECT_TRUE(IsExactlyReadOnly(dir.File("locked.htm")));

    ASSERT_TRUE(StatFile(dir.Path().string(), st));
    EXPECT_TRUE(st.attributes.directory);
    EXPECT_TRUE(FileExists(dir.Path().string()));
    EXPECT_FALSE(IsRegularFile(dir.Path().string()));
}

TEST(RemoveAndRename, neverDestroyAReadOnlyFile) {
    TempDir dir;
    const std::string locked = dir.File("locked.htm");
    const std::string other = dir.File("other.htm");
    WriteFileBytes(locked, "keep");
    WriteFileBytes(other, "new");
    ::chmod(locked.c_str(), 0444);

    EXPECT_FALSE(RemoveFile(locked));
    EXPECT_EQ(LastIoErrorCode(), IoErrorKind::AccessDenied);
    EXPECT_FALSE(RenameFile(other, locked));
    EXPECT_EQ(LastIoErrorCode(), IoErrorKind::AccessDenied);
    EXPECT_EQ(ReadFileBytes(locked), "keep");
    EXPECT_EQ(ReadFileBytes(other), "new");

    // A read-only file may itself be renamed, e.g. into a backup name.
    EXPECT_TRUE(RenameFile(locked, dir.File("locked.bak")));
    EXPECT_EQ(ReadFileBytes(dir.File("locked.bak")), "keep");

    // Writable targets are replaced, and removal of missing files fails with "not found".
    EXPECT_TRUE(RenameFile(other, dir.File("locked.htm")));
    EXPECT_FALSE(RemoveFile(dir.File("missing")));
    EXPECT_EQ(LastIoErrorCode(), IoErrorKind::NotFound);
}

TEST(PathPieces, neverSplitACharacter) {
    EXPECT_EQ(FileNamePart("/home/u/リンク.htm"), "リンク.htm");
    EXPECT_EQ(FileNamePart("name"), "name");
    EXPECT_EQ(DirectoryPart("/home/u/a.htm"), "/home/u");
    EXPECT_EQ(DirectoryPart("/a.htm"), "/");
    EXPECT_EQ(ExtensionPart("/x.y/name"), "");
    EXPECT_EQ(ExtensionPart("/x/links.html"), ".html");

    struct Case {
        std::string text;
        std::size_t at, length;
    };
    const Case cases[] = {
        {"a", 0, 1},        {"\xC3\xA9", 0, 2}, {"\xE3\x83\xAA", 0, 3},  {"\xF0\x9F\x98\x80", 0, 4},
        {"\xE3\x83", 0, 1}, // cut off: one byte at a time
        {"\x83\x5C", 0, 1}, {"ab", 2, 0},       {"a\xE3\x80\x80", 1, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PathCharLength(c.text, c.at), c.length) << testing::PrintToString(c.text);
}
