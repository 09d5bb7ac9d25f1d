#include "platform/FileWriteLock.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <cstdio>
#include <windows.h>

namespace lh::platform {

namespace {
// One named mutex per file, named after its full path in upper case: the file itself stays free
// for the rename that replaces it.
std::string MutexName(const std::string& path) {
    char full[MAX_PATH * 4];
    const DWORD n = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    std::string key = (n > 0 && n < sizeof full) ? std::string(full, n) : path;
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a
    for (const char c : key) {
        const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        hash = (hash ^ static_cast<unsigned char>(upper)) * 1099511628211ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "Local\\LinkhiveWriter-%016llx",
                  static_cast<unsigned long long>(hash));
    return name;
}
} // namespace

FileWriteLock::~FileWriteLock() {
    Release();
}

FileWriteLock::Result FileWriteLock::Acquire(const std::string& path, int waitMilliseconds,
                                             const std::function<void()>& onWait) {
    Release();
    const HANDLE mutex = ::CreateMutexA(nullptr, FALSE, MutexName(path).c_str());
    if (!mutex)
        return Result::Unavailable;
    DWORD wait = ::WaitForSingleObject(mutex, 0);
    if (wait == WAIT_TIMEOUT) {
        if (onWait)
            onWait();
        wait = ::WaitForSingleObject(
            mutex, waitMilliseconds < 0 ? INFINITE : static_cast<DWORD>(waitMilliseconds));
    }
    // An abandoned mutex belonged to a writer that died: the lock is ours now.
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
        m_handle = reinterpret_cast<std::intptr_t>(mutex);
        return Result::Acquired;
    }
    ::CloseHandle(mutex);
    return wait == WAIT_TIMEOUT ? Result::Busy : Result::Unavailable;
}

void FileWriteLock::Release() noexcept {
    if (m_handle != kNone) {
        const HANDLE mutex = reinterpret_cast<HANDLE>(m_handle);
        ::ReleaseMutex(mutex);
        ::CloseHandle(mutex);
        m_handle = kNone;
    }
}

} // namespace lh::platform
