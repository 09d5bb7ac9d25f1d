#pragma once

// The lock that the writers of one file share, so that two writers of the same collection take
// turns instead of losing each other's changes. It is advisory: it binds only the writers that
// take it, which is why a save still compares the file with what it read.

#include <cstdint>
#include <functional>
#include <string>

namespace lh::platform {

class FileWriteLock {
public:
    enum class Result {
        Acquired,
        Busy,        // another writer held it for the whole wait
        Unavailable, // nothing to lock against (no access, a file system without locks)
    };

    FileWriteLock() = default;
    ~FileWriteLock();
    FileWriteLock(const FileWriteLock&) = delete;
    FileWriteLock& operator=(const FileWriteLock&) = delete;

    // Takes the lock for the file `path` names (links followed), or for its folder while no such
    // file exists. `waitMilliseconds` < 0 waits as long as it takes. `onWait` runs once, before
    // the first wait.
    Result Acquire(const std::string& path, int waitMilliseconds,
                   const std::function<void()>& onWait = {});
    bool Held() const noexcept { return m_handle != kNone; }
    void Release() noexcept;

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t m_handle = kNone;
};

} // namespace lh::platform
