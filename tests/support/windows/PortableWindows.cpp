#include "Portable.h"
#include "platform/WideText.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

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
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    const std::wstring path = ScratchRoot() + L"\\" + std::to_wstring(++generation);
    HKEY scratch = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &scratch, nullptr) != ERROR_SUCCESS ||
        ::RegOverridePredefKey(HKEY_CURRENT_USER, scratch) != ERROR_SUCCESS)
        throw std::runtime_error("cannot redirect the current user's registry");
    ::RegCloseKey(scratch);
    if (!cleanupRegistered) {
        std::atexit(RemoveScratchKeys);
        cleanupRegistered = true;
    }
}

std::string SettingsStoreFile() {
    return {};
}

} // namespace lh::test
