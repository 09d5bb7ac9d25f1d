#include "Portable.h"
#include "platform/WideText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

namespace lh::test {

namespace {

using platform::Utf8ToWide;
using platform::WideToUtf8;

// Each process's scratch keys lie below one key of its own, removed when the process ends.
std::wstring ScratchRoot() {
    return L"Software\\LinkhiveTests\\" + std::to_wstring(::GetCurrentProcessId());
}

void RemoveScratchKeys() {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, ScratchRoot().c_str());
    HKEY parent = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\LinkhiveTests", 0, KEY_ALL_ACCESS,
                        &parent) == ERROR_SUCCESS) {
        DWORD subKeys = 0;
        ::RegQueryInfoKeyW(parent, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr);
        ::RegCloseKey(parent);
        if (subKeys == 0)
            ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\LinkhiveTests");
    }
}

// One stored value as the settings file would write it.
std::string ValueText(DWORD type, const std::vector<BYTE>& data, DWORD size) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring wide(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        while (!wide.empty() && wide.back() == L'\0')
            wide.pop_back();
        return (type == REG_EXPAND_SZ ? "expand:\"" : "\"") + WideToUtf8(wide) + "\"";
    }
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD value = 0;
        std::memcpy(&value, data.data(), sizeof value);
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08lx", static_cast<unsigned long>(value));
        return text;
    }
    std::string text = "hex(" + std::to_string(type) + "):";
    for (DWORD i = 0; i < size; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : ",%02x", data[i]);
        text += byte;
    }
    return text;
}

void ListKey(HKEY key, const std::wstring& path, std::string& text) {
    text += "[" + WideToUtf8(path) + "]\n";
    DWORD subKeys = 0, longestSubKey = 0, values = 0, longestName = 0, largestData = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &longestSubKey, nullptr,
                           &values, &longestName, &largestData, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0; i < values; ++i) {
        std::wstring name(longestName + 1, L'\0');
        DWORD nameLength = longestName + 1;
        std::vector<BYTE> data(largestData + sizeof(wchar_t));
        DWORD size = largestData;
        DWORD type = REG_NONE;
        if (::RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size) !=
            ERROR_SUCCESS)
            continue;
        name.resize(nameLength);
        text += "\"" + WideToUtf8(name) + "\"=" + ValueText(type, data, size) + "\n";
    }
    for (DWORD i = 0; i < subKeys; ++i) {
        std::wstring name(longestSubKey + 1, L'\0');
        DWORD nameLength = longestSubKey + 1;
        if (::RegEnumKeyExW(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        name.resize(nameLength);
        HKEY sub = nullptr;
        if (::RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS)
            continue;
        ListKey(sub, path + L"\\" + name, text);
        ::RegCloseKey(sub);
    }
}

// The thread that made the process's first window: the one that started first.
DWORD MainThreadOf(DWORD processId) {
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    DWORD mainThread = 0;
    ULONGLONG earliest = ~0ull;
    THREADENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot, &entry); more;
         more = ::Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId)
            continue;
        const HANDLE thread =
            ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
        if (!thread)
            continue;
        FILETIME created, exited, kernel, user;
        if (::GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
            const ULONGLONG start =
                (ULONGLONG(created.dwHighDateTime) << 32) | created.dwLowDateTime;
            if (start < earliest) {
                earliest = start;
                mainThread = entry.th32ThreadID;
            }
        }
        ::CloseHandle(thread);
    }
    ::CloseHandle(snapshot);
    return mainThread;
}

} // namespace

void SetEnv(const std::string& name, const std::string& value) {
    // Both the system's copy and the C library's, which getenv reads.
    ::SetEnvironmentVariableW(Utf8ToWide(name).c_str(), Utf8ToWide(value).c_str());
    ::_wputenv_s(Utf8ToWide(name).c_str(), Utf8ToWide(value).c_str());
}

void UnsetEnv(const std::string& name) {
    ::SetEnvironmentVariableW(Utf8ToWide(name).c_str(), nullptr);
    ::_wputenv_s(Utf8ToWide(name).c_str(), L"");
}

std::string GetEnv(const std::string& name) {
    const std::wstring wide = Utf8ToWide(name);
    const DWORD n = ::GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
    if (n == 0)
        return {};
    std::wstring value(n, L'\0');
    const DWORD got = ::GetEnvironmentVariableW(wide.c_str(), value.data(), n);
    value.resize(got < n ? got : 0);
    return WideToUtf8(value);
}

std::string NativePath(std::string linuxStyle) {
    for (char& c : linuxStyle)
        if (c == '/')
            c = '\\';
    return !linuxStyle.empty() && linuxStyle.front() == '\\' ? "C:" + linuxStyle : linuxStyle;
}

std::filesystem::path MakeScratchFolder() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::filesystem::path p =
            base / ("linkhive-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
                    std::to_string(::GetTickCount()) + "-" + std::to_string(++counter));
        if (::CreateDirectoryW(p.wstring().c_str(), nullptr))
            return p;
    }
    throw std::runtime_error("cannot make a scratch folder");
}

std::time_t UtcTime(std::tm tm) {
    return ::_mkgmtime(&tm);
}

void SetLastWriteTime(const std::string& path, std::time_t when) {
    const HANDLE h = ::CreateFileW(Utf8ToWide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open " + path);
    ULARGE_INTEGER v;
    v.QuadPart = static_cast<unsigned long long>(when) * 10000000ull + 116444736000000000ull;
    FILETIME ft;
    ft.dwLowDateTime = v.LowPart;
    ft.dwHighDateTime = v.HighPart;
    const BOOL ok = ::SetFileTime(h, nullptr, nullptr, &ft);
    ::CloseHandle(h);
    if (!ok)
        throw std::runtime_error("cannot set the time of " + path);
}

void SetReadOnly(const std::string& path, bool readOnly) {
    const std::wstring wide = Utf8ToWide(path);
    const DWORD a = ::GetFileAttributesW(wide.c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return;
    const DWORD wanted =
        readOnly ? (a | FILE_ATTRIBUTE_READONLY) : (a & ~DWORD(FILE_ATTRIBUTE_READONLY));
    // No attribute at all is written as "normal": 0 would mean "leave them as they are".
    ::SetFileAttributesW(wide.c_str(), wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL);
}

bool ClearArchiveMark(const std::string& path) {
    const std::wstring wide = Utf8ToWide(path);
    const DWORD a = ::GetFileAttributesW(wide.c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD wanted = a & ~DWORD(FILE_ATTRIBUTE_ARCHIVE);
    ::SetFileAttributesW(wide.c_str(), wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL);
    return (::GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_ARCHIVE) == 0;
}

bool IgnoresFilePermissions() {
    return false;
}

void UseUtcTimeZone() {
    SetEnv("TZ", "UTC0");
    ::_tzset();
}

void UseFreshSettingsStore(const std::filesystem::path&) {
    // The real current-user hive is never written: every test process works on a key of its
    // own, which stands in for HKEY_CURRENT_USER until the process ends.
    static bool cleanupRegistered = false;
    static unsigned generation = 0;
    ReturnToSettingsStore(WideToUtf8(ScratchRoot() + L"\\" + std::to_wstring(++generation)));
    if (!cleanupRegistered) {
        std::atexit(RemoveScratchKeys);
        cleanupRegistered = true;
    }
}

std::string CurrentSettingsStore() {
    return GetEnv("LINKHIVE_TEST_REGISTRY_KEY");
}

void ReturnToSettingsStore(const std::string& store) {
    const std::wstring path = Utf8ToWide(store);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    HKEY scratch = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &scratch, nullptr) != ERROR_SUCCESS ||
        ::RegOverridePredefKey(HKEY_CURRENT_USER, scratch) != ERROR_SUCCESS)
        throw std::runtime_error("cannot redirect the current user's registry");
    ::RegCloseKey(scratch);
    // A program a test starts works on the same key (the copy of the program the tests start
    // redirects itself to it before its main runs).
    SetEnv("LINKHIVE_TEST_REGISTRY_KEY", store);
}

std::string SettingsStoreFile() {
    return {};
}

std::string SettingsStoreText() {
    std::string text;
    const wchar_t* root = L"Software\\Tessella\\Linkhive";
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, root, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return text;
    ListKey(key, root, text);
    ::RegCloseKey(key);
    return text;
}

bool AskProgramToEnd(std::int64_t processId) {
    // The toolkit's loop answers a quit message by closing every window, as the close box
    // would; unlike a close message to a window it needs no native window (offscreen).
    const DWORD thread = MainThreadOf(static_cast<DWORD>(processId));
    return thread != 0 && ::PostThreadMessageW(thread, WM_QUIT, 0, 0);
}

} // namespace lh::test
