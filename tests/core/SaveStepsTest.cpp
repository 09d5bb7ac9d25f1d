// Watches the file-system steps of a save from inside the process: this test program replaces the
// C library's open(), rename() and link() with versions that note what each step found, then do
// the step itself. It shows what no look at the finished folder can: the permissions a new file
// was born with, and whether the target's name stood empty for a moment. The same versions can
// refuse anonymous files and hard links, as some file systems do.

#include "TestEnvironment.h"
#include "core/CollectionFile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace lh;

namespace {

struct RenameStep {
    std::string from;
    std::string to;
    bool toExisted;
};

struct Watch {
    bool on = false;
    bool refuseAnonymousFiles = false;
    bool refuseLinks = false;
    std::vector<mode_t> createdModes;
    std::vector<RenameStep> renames;
};

Watch g_watch;

bool CreatesAFile(int flags) {
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

int OpenAndNote(const char* path, int flags, mode_t mode) {
    if (g_watch.on && g_watch.refuseAnonymousFiles && (flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP;
        return -1;
    }
    const int fd = static_cast<int>(::syscall(SYS_openat, AT_FDCWD, path, flags, mode));
    if (fd >= 0 && g_watch.on && CreatesAFile(flags)) {
        struct stat st {};
        ::fstat(fd, &st);
        g_watch.createdModes.push_back(st.st_mode & 07777);
    }
    return fd;
}

mode_t ModeArgument(int flags, va_list args) {
    return CreatesAFile(flags) ? static_cast<mode_t>(va_arg(args, unsigned int)) : 0;
}

// Switches the watch on for a scope and clears what an earlier one saw.
struct Watching {
    explicit Watching(bool refuseAnonymousFiles = false, bool refuseLinks = false) {
        g_watch = Watch{};
        g_watch.on = true;
        g_watch.refuseAnonymousFiles = refuseAnonymousFiles;
        g_watch.refuseLinks = refuseLinks;
    }
    ~Watching() { g_watch.on = false; }
};

} // namespace

extern "C" int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeArgument(flags, args);
    va_end(args);
    return OpenAndNote(path, flags, mode);
}

extern "C" int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeArgument(flags, args);
    va_end(args);
    return OpenAndNote(path, flags, mode);
}

extern "C" int rename(const char* from, const char* to) noexcept {
    if (g_watch.on) {
        struct stat st {};
        g_watch.renames.push_back({from, to, ::lstat(to, &st) == 0});
    }
    return static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 0));
}

extern "C" int link(const char* from, const char* to) noexcept {
    if (g_watch.on && g_watch.refuseLinks) {
        errno = EPERM;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_linkat, AT_FDCWD, from, AT_FDCWD, to, 0));
}

namespace {

struct SaveInto {
    test::TempDir dir;
    std::string target = dir.File("links.htm");
    TableStore table;
    NullProgress progress;
    IoError error;

    SaveInto() { table.AppendRecord("n", "http://new/", "", ""); }
    bool Save(BackupKind kind) {
        return SaveCollectionFile(target, table, "T", kind, progress, error);
    }
};

// Sets the process's umask for a scope.
struct Umask {
    explicit Umask(mode_t m) : old(::umask(m)) {}
    ~Umask() { ::umask(old); }
    mode_t old;
};

} // namespace

TEST(SaveSteps, newFileIsBornWithNoMorePermissionThanTheTargetHas) {
    const Umask umask(022);
    for (const bool anonymous : {true, false})
        for (const mode_t targetMode : {0600u, 0640u, 0644u, 0660u}) {
            SCOPED_TRACE(std::to_string(targetMode) + (anonymous ? " anonymous" : " named"));
            SaveInto s;
            test::WriteFileBytes(s.target, "previous");
            ::chmod(s.target.c_str(), targetMode);
            {
                const Watching watching(!anonymous);
                ASSERT_TRUE(s.Save(BackupKind::None));
            }
            ASSERT_EQ(g_watch.createdModes.size(), 1u);
            EXPECT_EQ(g_watch.createdModes[0] & ~targetMode, 0u)
                << std::oct << g_watch.createdModes[0];
            struct stat st {};
            ::stat(s.target.c_str(), &st);
            EXPECT_EQ(st.st_mode & 0777, targetMode);
        }
}

TEST(SaveSteps, targetNameHoldsAWholeFileAtEveryStepOfABackedUpSave) {
    for (const bool links : {true, false})
        for (const BackupKind kind : {BackupKind::None, BackupKind::Bak, BackupKind::Tilde}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(kind)) + (links ? " linked" : " copied"));
            SaveInto s;
            test::WriteFileBytes(s.target, "previous");
            {
                const Watching watching(false, !links);
                ASSERT_TRUE(s.Save(kind));
            }
            ASSERT_FALSE(g_watch.renames.empty());
            for (const RenameStep& step : g_watch.renames) {
                EXPECT_NE(step.from, s.target) << "the target was moved away";
                if (step.to == s.target) {
                    EXPECT_TRUE(step.toExisted)
                        << "the target was missing before the new file came";
                }
            }
            if (kind != BackupKind::None) {
                EXPECT_EQ(test::ReadFileBytes(BackupPath(s.target, kind)), "previous");
            }
        }
}

TEST(SaveSteps, withoutAnonymousFilesAKilledSavesFileIsClearedByTheNextSave) {
    SaveInto s;
    test::WriteFileBytes(s.target, "previous");
    std::fflush(nullptr);
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        class Killer final : public ProgressSink {
            void ProgressStart(std::int64_t, const std::string&) override {}
            void ProgressStep(std::int64_t) override { ::kill(::getpid(), SIGKILL); }
            void ProgressEnd() override {}
        } killer;
        const Watching watching(true);
        SaveCollectionFile(s.target, s.table, "T", BackupKind::None, killer, s.error);
        ::_exit(0);
    }
    ::waitpid(writer, nullptr, 0);
    const auto names = [&] {
        std::vector<std::string> found;
        for (const auto& e : std::filesystem::directory_iterator(s.dir.Path()))
            found.push_back(e.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    };
    const std::vector<std::string> left = names();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].rfind(".links.htm." + std::to_string(writer) + "-", 0), 0u) << left[0];

    ASSERT_TRUE(s.Save(BackupKind::None));
    EXPECT_EQ(names(), std::vector<std::string>{"links.htm"});
}
