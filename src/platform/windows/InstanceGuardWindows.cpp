#include "WinText.h"
#include "platform/InstanceGuard.h"
#include "platform/WideText.h"

#include <string_view>
// After windows.h, which it needs.
#include <tlhelp32.h>

namespace lh::platform {

namespace {
constexpr std::string_view kServerBase = "TLinkhiveMainForm";

// The user's name as the system has it (UTF-16), so a name in any script gives the same pipe
// name in the first instance and in a refused start.
std::string UserSuffix() {
    wchar_t user[257];
    DWORD size = 257;
    if (!::GetUserNameW(user, &size) || size == 0)
        return "user";
    return WideToUtf8(std::wstring_view(user, size - 1));
}

std::wstring GuardName() {
    return Utf8ToWide(kInstanceGuardName);
}

// The file name this process was started from ("linkhive.exe").
std::wstring OwnProgramName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The names the other processes of this program would listen on, for a system that does not
// list its pipes (wine): every process started from a file of the same name.
std::vector<std::string> NamesOfSameProgramProcesses(const std::string& prefix) {
    std::vector<std::string> names;
    const std::wstring own = OwnProgramName();
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (own.empty() || snapshot == INVALID_HANDLE_VALUE)
        return names;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID != ::GetCurrentProcessId() &&
            ::CompareStringOrdinal(entry.szExeFile, -1, own.c_str(), -1, TRUE) == CSTR_EQUAL)
            names.push_back(prefix + std::to_string(entry.th32ProcessID));
    ::CloseHandle(snapshot);
    return names;
}
} // namespace

InstanceGuard::~InstanceGuard() {
    Release();
}

bool InstanceGuard::Exists() {
    // Only the existence is asked; SYNCHRONIZE is granted even on a guard whose creator (another
    // session, an elevated instance) gives no one full access.
    HANDLE h = ::OpenMutexW(SYNCHRONIZE, FALSE, GuardName().c_str());
    if (!h)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    ::CloseHandle(h);
    return true;
}

void InstanceGuard::Acquire() {
    if (m_handle)
        return;
    m_handle = ::CreateMutexW(nullptr, FALSE, GuardName().c_str());
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
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(L"\\\\.\\pipe\\*", &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = WideToUtf8(data.cFileName);
            if (name.compare(0, prefix.size(), prefix) == 0)
                names.push_back(name);
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    // Nothing listed may mean the system lists no pipes at all: ask the same program's
    // processes by the names they would use (connecting to one that has none fails at once).
    if (names.empty())
        names = NamesOfSameProgramProcesses(prefix);
    return names;
}

void AllowActivationByOtherInstance() {
    // The running instance may take the foreground only when the process the user is working
    // with (this refused start) hands it on.
    ::AllowSetForegroundWindow(ASFW_ANY);
}

} // namespace lh::platform
