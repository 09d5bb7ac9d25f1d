#include "WinText.h"

#include "platform/WideText.h"

namespace lh::platform::win {

namespace {
// Folders must leave room for an 8.3 name below them, so the limit of a folder is MAX_PATH - 12.
constexpr std::size_t kClassicLimit = MAX_PATH - 12;

bool StartsWith(std::wstring_view s, std::wstring_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}
} // namespace

std::wstring WidePath(std::string_view path) {
    std::wstring wide = Utf8ToWide(path);
    if (StartsWith(wide, L"\\\\?\\") || StartsWith(wide, L"\\\\.\\"))
        return wide;
    for (wchar_t& c : wide)
        if (c == L'/')
            c = L'\\';
    if (wide.size() < kClassicLimit)
        return wide;
    // The prefix turns off the system's clean-up of the name, so "." and ".." go first.
    const DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return wide;
    std::wstring full(n, L'\0');
    const DWORD got = ::GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    if (got == 0 || got >= n)
        return wide;
    full.resize(got);
    if (StartsWith(full, L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\')
        return L"\\\\?\\" + full;
    return wide;
}

std::string EnvironmentText(const wchar_t* name) {
    const DWORD n = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0)
        return {};
    std::wstring value(n, L'\0');
    const DWORD got = ::GetEnvironmentVariableW(name, value.data(), n);
    value.resize(got < n ? got : 0);
    return WideToUtf8(value);
}

IoCode IoCodeOf(DWORD error) noexcept {
    switch (error) {
    case ERROR_SUCCESS:
        return IoErrorKind::None;
    case ERROR_FILE_NOT_FOUND:
        return IoErrorKind::NotFound;
    case ERROR_TOO_MANY_OPEN_FILES:
        return IoErrorKind::TooManyOpenFiles;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:         // 123
    case ERROR_BAD_PATHNAME:         // 161
    case ERROR_FILENAME_EXCED_RANGE: // 206
    case ERROR_DIRECTORY:            // 267
    case ERROR_INVALID_DRIVE:
        return IoErrorKind::BadName;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return IoErrorKind::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return IoErrorKind::DiskFull;
    default:
        return {IoErrorKind::Other, static_cast<int>(error)};
    }
}

} // namespace lh::platform::win
