#include "WinText.h"
#include "platform/FileWriteLock.h"

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <map>
#include <mutex>
#include <string>

namespace lh::platform {

namespace {
// One named mutex per file, named after its full path in upper case as the file system compares
// names (so "LIST.htm" and "list.HTM" share one): the file itself stays free for the replace.
std::wstring MutexName(const std::string& path) {
    const std::wstring wide = win::WidePath(path);
    std::wstring key = wide;
    const DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n > 0) {
        std::wstring full(n, L'\0');
        const DWORD got = ::GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
        if (got > 0 && got < n)
            key.assign(full.data(), got);
    }
    if (!key.empty())
        ::CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a over the UTF-16 units
    for (const wchar_t c : key) {
        hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    }
    wchar_t name[64];
    std::swprintf(name, sizeof name / sizeof name[0], L"Local\\LinkhiveWriter-%016llx",
                  static_cast<unsigned long long>(hash));
    return name;
}

// A mutex is owned by a thread and taken again by it without waiting, where the writers of one
// file have to take turns whoever they are: the locks this process holds, by handle, tell a
// second taking from the same thread.
std::mutex g_heldGuard;
std::map<std::intptr_t, std::wstring>& HeldLocks() {
    static std::map<std::intptr_t, std::wstring> held;
    return held;
}

bool HeldHere(const std::wstring& name) {
    const std::lock_guard<std::mutex> guard(g_heldGuard);
    for (const auto& entry : HeldLocks())
        if (entry.second == name)
            return true;
    return false;
}
} // namespace

FileWriteLock::~FileWriteLock() {
    Release();
}

FileWriteLock::Result FileWriteLock::Acquire(const std::string& path, int waitMilliseconds,
                                             const std::function<void()>& onWait) {
    Release();
    const std::wstring name = MutexName(path);
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
    if (!mutex)
        return Result::Unavailable;
    DWORD wait = ::WaitForSingleObject(mutex, 0);
    if ((wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) && HeldHere(name)) {
        // Taken again by the thread that holds it: no wait would ever end, so it is busy.
        ::ReleaseMutex(mutex);
        ::CloseHandle(mutex);
        if (onWait)
            onWait();
        return Result::Busy;
    }
    if (wait == WAIT_TIMEOUT) {
        if (onWait)
            onWait();
        wait = ::WaitForSingleObject(
            mutex, waitMilliseconds < 0 ? INFINITE : static_cast<DWORD>(waitMilliseconds));
    }
    // An abandoned mutex belonged to a writer that died: the lock is ours now.
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
        m_handle = reinterpret_cast<std::intptr_t>(mutex);
        const std::lock_guard<std::mutex> guard(g_heldGuard);
        HeldLocks()[m_handle] = name;
        return Result::Acquired;
    }
    ::CloseHandle(mutex);
    return wait == WAIT_TIMEOUT ? Result::Busy : Result::Unavailable;
}

void FileWriteLock::Release() noexcept {
    if (m_handle != kNone) {
        const HANDLE mutex = reinterpret_cast<HANDLE>(m_handle);
        {
            const std::lock_guard<std::mutex> guard(g_heldGuard);
            HeldLocks().erase(m_handle);
        }
        ::ReleaseMutex(mutex);
        ::CloseHandle(mutex);
        m_handle = kNone;
    }
}

} // namespace lh::platform
