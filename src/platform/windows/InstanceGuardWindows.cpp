#include "platform/InstanceGuard.h"

#include <string_view>
#include <windows.h>

namespace lh::platform {

namespace {
constexpr std::string_view kServerBase = "TLinkhiveMainForm";

std::string UserSuffix() {
    char user[256];
    DWORD size = sizeof user;
    if (!::GetUserNameA(user, &size))
        return "user";
    return std::string(user);
}
} // namespace

InstanceGuard::~InstanceGuard() {
    Release();
}

bool InstanceGuard::Exists() {
    HANDLE h = ::OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kInstanceGuardName);
    if (!h)
        return false;
    ::CloseHandle(h);
    return true;
}

void InstanceGuard::Acquire() {
    if (m_handle)
        return;
    m_handle = ::CreateMutexA(nullptr, FALSE, kInstanceGuardName);
}

void InstanceGuard::Release() {
    if (!m_handle)
        return;
    ::ReleaseMutex(static_cast<HANDLE>(m_handle));
    ::CloseHandle(static_cast<HANDLE>(m_handle));
    m_handle = nullptr;
}

bool InstanceGuard::Held() const noexcept {
    return m_handle != nullptr;
}

std::string MainWindowServerName() {
    return std::string(kServerBase) + "." + UserSuffix() + "." +
           std::to_string(::GetCurrentProcessId());
}

std::vector<std::string> MainWindowServerNames() {
    // Local sockets are named pipes on Windows; list the ones that follow our pattern.
    std::vector<std::string> names;
    const std::string prefix = std::string(kServerBase) + "." + UserSuffix() + ".";
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA("\\\\.\\pipe\\*", &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string_view name(data.cFileName);
        if (name.substr(0, prefix.size()) == prefix)
            names.emplace_back(name);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return names;
}

} // namespace lh::platform
