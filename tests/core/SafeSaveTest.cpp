#include "IoCodeOutput.h"
#include "Portable.h"
#include "TestEnvironment.h"
#include "core/CollectionFile.h"
#include "core/IoError.h"
#include "platform/FileWriteLock.h"

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <utility>
#if LINKHIVE_POSIX_TESTS
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace lh;
namespace fs = std::filesystem;

namespace {

// A collection folder with one target and a table to save into it.
struct Folder {
    test::TempDir dir;
    std::string target = dir.File("links.htm");
    TableStore table;
    NullProgress progress;
    IoError error;

    Folder() { table.AppendRecord("n", "http://new/", "", ""); }
    bool Save(BackupKind kind = BackupKind::None, SaveGuard* guard = nullptr) {
        return SaveCollectionFile(target, table, "T", kind, progress, error, guard);
    }
    bool HoldsNewVersion(const std::string& path) const {
        return test::ReadFileBytes(path).find("http://new/") != std::string::npos;
    }
    std::vector<std::string> Names(const fs::path& in) const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(in))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> Names() const { return Names(dir.Path()); }
};

// Runs a step of the save's writing: the moment another program may get in between.
class SteppingProgress final : public ProgressSink {
public:
    explicit SteppingProgress(std::function<void()> atFirstStep) : m_step(std::move(atFirstStep)) {}
    void ProgressStart(std::int64_t, const std::string&) override {}
    void ProgressStep(std::int64_t) override {
        if (m_step)
            std::exchange(m_step, nullptr)();
    }
    void ProgressEnd() override {}

private:
    std::function<void()> m_step;
};

#if LINKHIVE_POSIX_TESTS
pid_t DeadProcessId() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}
#endif

} // namespace

#if LINKHIVE_POSIX_TESTS // symbolic links, killed processes and process numbers
// ---- links -------------------------------------------------------------------------------

TEST(SafeSave, symlinkedTargetStaysALinkAndTheRealFileGetsTheNewVersion) {
    for (const bool relative : {false, true}) {
        SCOPED_TRACE(relative ? "relative link" : "absolute link");
        Folder f;
        fs::create_directory(f.dir.File("real"));
        const std::string real = f.dir.File("real/store.htm");
        test::WriteFileBytes(real, "previous");
        fs::create_symlink(relative ? fs::path("real/store.htm") : fs::path(real), f.target);

        ASSERT_TRUE(f.Save(BackupKind::Bak)) << f.error.code;
        EXPECT_TRUE(fs::is_symlink(f.target));
        EXPECT_TRUE(f.HoldsNewVersion(real));
        // The backup and every temporary file belong beside the real file.
        EXPECT_EQ(test::ReadFileBytes(f.dir.File("real/store.bak")), "previous");
        EXPECT_EQ(f.Names(f.dir.File("real")),
                  (std::vector<std::string>{"store.bak", "store.htm"}));
        EXPECT_EQ(f.Names(), (std::vector<std::string>{"links.htm", "real"}));
    }
}

TEST(SafeSave, danglingLinkIsAnErrorAndCreatesNothing) {
    Folder f;
    fs::create_symlink("gone/missing.htm", f.target);
    EXPECT_FALSE(f.Save());
    EXPECT_EQ(f.error.code, IoErrorKind::DanglingLink);
    EXPECT_EQ(f.error.path, f.target);
    EXPECT_TRUE(fs::is_symlink(f.target));
    EXPECT_EQ(f.Names(), std::vector<std::string>{"links.htm"});
    EXPECT_NE(IoErrorText(IoErrorKind::DanglingLink).find("ﾘﾝｸ"), std::string::npos);
}

// ---- temporary files ---------------------------------------------------------------------

TEST(SafeSave, killedSaveLeavesNoTemporaryFileOnceTheNextSaveRan) {
    Folder f;
    test::WriteFileBytes(f.target, "previous");
    std::fflush(nullptr);
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        // Killed while writing, its new file open.
        SteppingProgress killer([] { ::kill(::getpid(), SIGKILL); });
        SaveCollectionFile(f.target, f.table, "T", BackupKind::None, killer, f.error);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(writer, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(test::ReadFileBytes(f.target), "previous");

    ASSERT_TRUE(f.Save());
    EXPECT_EQ(f.Names(), std::vector<std::string>{"links.htm"});
}

TEST(SafeSave, clearsOnlyTemporaryFilesOfDeadWritersOfTheSameTarget) {
    Folder f;
    const std::string dead = std::to_string(DeadProcessId());
    struct Row {
        std::string name;
        bool stays;
    };
    const std::vector<Row> rows = {
        {".links.htm." + dead + "-0000beef.tmp", false},
        // pid 1 never ends.
        {".links.htm.1-0000beef.tmp", true},
        {".links.htm." + std::to_string(::getpid()) + "-0000beef.tmp", true},
        {".other.htm." + dead + "-0000beef.tmp", true},
        {".links.htm." + dead + "-beef.tmp", true},
        {".links.htm.1a2b3c.tmp", true},
        {"links.htm." + dead + "-0000beef.tmp", true},
    };
    for (const Row& row : rows)
        test::WriteFileBytes(f.dir.File(row.name), "left over");
    ASSERT_TRUE(f.Save());
    for (const Row& row : rows)
        EXPECT_EQ(fs::exists(f.dir.File(row.name)), row.stays) << row.name;
}

#endif

// ---- another writer ----------------------------------------------------------------------

TEST(SafeSave, versionCheckRefusesToReplaceWhatAnotherWriterWrote) {
    struct Row {
        const char* what;
        bool existedWhenRead;
        bool duringTheWrite;
        std::function<void(const std::string&)> change;
    };
    // What the other writer leaves in the file.
    const std::string inPlaceText = "other writer, in place";
    const std::string replacedText = "other writer, new file";
    const std::string sameSizeText = "previouS";
    const auto inPlace = [&](const std::string& p) { test::WriteFileBytes(p, inPlaceText); };
    const auto replaced = [&](const std::string& p) {
        test::WriteFileBytes(p + ".new", replacedText);
        fs::rename(p + ".new", p);
    };
    const auto sameSizeLaterTime = [&](const std::string& p) {
        test::WriteFileBytes(p, sameSizeText);
        test::SetLastWriteTime(p, 1'000'000'000);
    };
    const std::vector<Row> rows = {
        {"written in place before the save", true, false, inPlace},
        {"replaced before the save", true, false, replaced},
        {"same size, other time", true, false, sameSizeLaterTime},
        {"created although there was none", false, false, inPlace},
        {"written in place during the save", true, true, inPlace},
        {"replaced during the save", true, true, replaced},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Folder f;
        if (row.existedWhenRead)
            test::WriteFileBytes(f.target, "previous");
        SaveGuard guard;
        guard.expected = platform::ReadFileIdentity(f.target);
        std::string other;
        const auto change = [&] {
            row.change(f.target);
            other = test::ReadFileBytes(f.target);
        };
        SteppingProgress during(change);
        if (!row.duringTheWrite)
            change();
        const bool saved = SaveCollectionFile(
            f.target, f.table, "T", BackupKind::Bak,
            row.duringTheWrite ? static_cast<ProgressSink&>(during) : f.progress, f.error, &guard);
        EXPECT_FALSE(saved);
        EXPECT_EQ(f.error.code, IoErrorKind::ChangedOnDisk);
        EXPECT_EQ(test::ReadFileBytes(f.target), other);
        EXPECT_NE(other, "previous");
        // Neither a backup nor a temporary file: the other writer's folder is as it left it.
        EXPECT_EQ(f.Names(), std::vector<std::string>{"links.htm"});
    }
}

TEST(SafeSave, versionCheckPassesAnUnchangedFileAndTellsTheNewVersion) {
    Folder f;
    test::WriteFileBytes(f.target, "previous");
    SaveGuard guard;
    guard.expected = platform::ReadFileIdentity(f.target);
    ASSERT_TRUE(f.Save(BackupKind::None, &guard));
    EXPECT_TRUE(f.HoldsNewVersion(f.target));
    EXPECT_EQ(guard.written, platform::ReadFileIdentity(f.target));
    // The version just written is the one the next save expects.
    guard.expected = guard.written;
    EXPECT_TRUE(f.Save(BackupKind::None, &guard));
}

TEST(SafeSave, anotherWritersLockHeldThroughTheWaitIsReportedAndNothingIsReplaced) {
    Folder f;
    test::WriteFileBytes(f.target, "previous");
    // The other writer is a thread of its own, as it would be a process of its own.
    std::mutex m;
    std::condition_variable changed;
    bool held = false;
    bool letGo = false;
    platform::FileWriteLock::Result taken = platform::FileWriteLock::Result::Unavailable;
    std::thread other([&] {
        platform::FileWriteLock lock;
        std::unique_lock<std::mutex> hold(m);
        taken = lock.Acquire(f.target, 0);
        held = true;
        changed.notify_all();
        changed.wait(hold, [&] { return letGo; });
    });
    {
        std::unique_lock<std::mutex> hold(m);
        changed.wait(hold, [&] { return held; });
    }
    EXPECT_EQ(taken, platform::FileWriteLock::Result::Acquired);
    SaveGuard guard;
    guard.lockWaitMilliseconds = 0;
    EXPECT_FALSE(f.Save(BackupKind::Bak, &guard));
    EXPECT_EQ(f.error.code, IoErrorKind::WriterBusy);
    EXPECT_EQ(test::ReadFileBytes(f.target), "previous");
    EXPECT_EQ(f.Names(), std::vector<std::string>{"links.htm"});
    {
        const std::lock_guard<std::mutex> hold(m);
        letGo = true;
    }
    changed.notify_all();
    other.join();
    EXPECT_TRUE(f.Save(BackupKind::Bak, &guard));
}
