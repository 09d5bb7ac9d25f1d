#include "platform/FileSystem.h"
#include "platform/FileWriteLock.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace lh::platform {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);

enum class Wait { Locked, TimedOut, Failed };

Wait LockDescriptor(int fd, int waitMilliseconds, const std::function<void()>& onWait,
                    bool& announced) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return Wait::Locked;
    if (errno != EWOULDBLOCK)
        return Wait::Failed;
    if (!announced && onWait) {
        announced = true;
        onWait();
    }
    if (waitMilliseconds < 0) {
        for (;;) {
            if (::flock(fd, LOCK_EX) == 0)
                return Wait::Locked;
            if (errno != EINTR)
                return Wait::Failed;
        }
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kPollInterval);
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return Wait::Locked;
        if (errno != EWOULDBLOCK)
            return Wait::Failed;
    }
    return Wait::TimedOut;
}

} // namespace

FileWriteLock::~FileWriteLock() {
    Release();
}

FileWriteLock::Result FileWriteLock::Acquire(const std::string& path, int waitMilliseconds,
                                             const std::function<void()>& onWait) {
    Release();
    bool announced = false;
    // Each round locks what the name stands for now; a writer that moved a new file into place
    // while we waited sends us round again to lock that one.
    for (int round = 0; round < 100; ++round) {
        bool folder = false;
        int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT) {
            const std::string dir = DirectoryPart(path);
            fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            folder = true;
        }
        if (fd < 0)
            return Result::Unavailable;
        struct stat locked {};
        if (::fstat(fd, &locked) != 0 || (!folder && !S_ISREG(locked.st_mode))) {
            ::close(fd);
            return Result::Unavailable;
        }
        const Wait wait = LockDescriptor(fd, waitMilliseconds, onWait, announced);
        if (wait != Wait::Locked) {
            // A file system without flock() (some network shares) leaves its writers unlocked.
            ::close(fd);
            return wait == Wait::TimedOut ? Result::Busy : Result::Unavailable;
        }
        struct stat now {};
        const bool found = ::stat(path.c_str(), &now) == 0;
        const bool same =
            folder ? !found : found && now.st_dev == locked.st_dev && now.st_ino == locked.st_ino;
        if (same) {
            m_handle = fd;
            return Result::Acquired;
        }
        ::close(fd);
    }
    return Result::Unavailable;
}

void FileWriteLock::Release() noexcept {
    if (m_handle != kNone) {
        ::close(static_cast<int>(m_handle));
        m_handle = kNone;
    }
}

} // namespace lh::platform
