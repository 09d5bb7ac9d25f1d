#include "WinText.h"
#include "platform/FileSystem.h"
#include "platform/WideText.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace lh::platform {

namespace {

thread_local DWORD g_lastError = 0;

bool IsSeparatorAt(std::string_view s, std::size_t at) {
    return s[at] == '\\' || s[at] == '/';
}

// Byte offset of the last one-byte character for which `pred` holds, or npos.
template <typename Pred> std::size_t LastCharWhere(std::string_view s, Pred pred) {
    std::size_t last = std::string_view::npos;
    for (std::size_t at = 0, len; (len = Utf8CharLength(s, at)) != 0; at += len)
        if (len == 1 && pred(s, at))
            last = at;
    return last;
}

std::time_t ToTimeT(const FILETIME& ft) {
    ULARGE_INTEGER v;
    v.LowPart = ft.dwLowDateTime;
    v.HighPart = ft.dwHighDateTime;
    constexpr unsigned long long kEpochDifference = 116444736000000000ull; // 1601 to 1970
    if (v.QuadPart < kEpochDifference)
        return 0;
    return static_cast<std::time_t>((v.QuadPart - kEpochDifference) / 10000000ull);
}

DWORD AttributesOf(const std::string& path) {
    if (path.empty())
        return INVALID_FILE_ATTRIBUTES;
    return ::GetFileAttributesW(win::WidePath(path).c_str());
}

std::string WithoutTrailingSeparator(std::string path) {
    // Keep the root of a drive ("C:\") and a lone separator.
    while (path.size() > 1 && IsSeparatorAt(path, path.size() - 1) &&
           !(path.size() == 3 && path[1] == ':'))
        path.pop_back();
    return path;
}

} // namespace

bool StatFile(const std::string& path, FileStat& out) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty()) {
        g_lastError = ERROR_FILE_NOT_FOUND;
        return false;
    }
    if (!::GetFileAttributesExW(win::WidePath(path).c_str(), GetFileExInfoStandard, &data)) {
        g_lastError = ::GetLastError();
        return false;
    }
    ULARGE_INTEGER size;
    size.LowPart = data.nFileSizeLow;
    size.HighPart = data.nFileSizeHigh;
    out.size = static_cast<std::int64_t>(size.QuadPart);
    out.lastWrite = ToTimeT(data.ftLastWriteTime);
    const DWORD a = data.dwFileAttributes;
    out.attributes = {};
    out.attributes.readOnly = (a & FILE_ATTRIBUTE_READONLY) != 0;
    out.attributes.hidden = (a & FILE_ATTRIBUTE_HIDDEN) != 0;
    out.attributes.system = (a & FILE_ATTRIBUTE_SYSTEM) != 0;
    out.attributes.archive = (a & FILE_ATTRIBUTE_ARCHIVE) != 0;
    out.attributes.directory = (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

bool FileExists(const std::string& path) {
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsRegularFile(const std::string& path) {
    const DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsExactlyReadOnly(const std::string& path) {
    return AttributesOf(path) == FILE_ATTRIBUTE_READONLY;
}

std::string EffectivePath(std::string_view path) {
    // Only the last name loses them; a folder "x." in the middle is the system's business.
    std::size_t end = path.size();
    while (end > 0 && (path[end - 1] == '.' || path[end - 1] == ' '))
        --end;
    // "." and ".." are names of their own, and a path that is only dots or blanks stays.
    const std::string_view rest = path.substr(0, end);
    if (end == 0 || rest.back() == '\\' || rest.back() == '/' || rest.back() == ':')
        return std::string(path);
    return std::string(rest);
}

bool RemoveFile(const std::string& path) {
    // DeleteFile itself refuses read-only files.
    if (!::DeleteFileW(win::WidePath(path).c_str())) {
        g_lastError = ::GetLastError();
        return false;
    }
    return true;
}

bool RenameFile(const std::string& from, const std::string& to) {
    // Replacing a read-only target fails with "access denied"; a read-only source moves.
    if (!::MoveFileExW(win::WidePath(from).c_str(), win::WidePath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING)) {
        g_lastError = ::GetLastError();
        return false;
    }
    return true;
}

char PathSeparator() {
    return '\\';
}

std::size_t PathCharLength(std::string_view path, std::size_t at) {
    return Utf8CharLength(path, at);
}

std::string FileNamePart(std::string_view path) {
    const std::size_t cut = LastCharWhere(path, [](std::string_view s, std::size_t at) {
        return IsSeparatorAt(s, at) || s[at] == ':';
    });
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string DirectoryPart(std::string_view path) {
    const std::size_t sep = LastCharWhere(path, IsSeparatorAt);
    if (sep == std::string_view::npos) {
        // "C:name" lies in the current folder of drive C.
        if (path.size() >= 2 && path[1] == ':' && static_cast<unsigned char>(path[0]) < 0x80)
            return std::string(path.substr(0, 2));
        return {};
    }
    const bool root = sep == 0 || (sep == 2 && path[1] == ':');
    return std::string(path.substr(0, root ? sep + 1 : sep));
}

std::string ExtensionPart(std::string_view path) {
    const std::string name = FileNamePart(path);
    const std::size_t dot =
        LastCharWhere(name, [](std::string_view s, std::size_t at) { return s[at] == '.'; });
    return dot == std::string_view::npos ? std::string() : name.substr(dot);
}

bool IsAbsolutePath(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':' && static_cast<unsigned char>(path[0]) < 0x80)
        return true;
    return path.size() >= 2 && IsSeparatorAt(path, 0) && IsSeparatorAt(path, 1); // \\server\share
}

std::string JoinPath(std::string_view dir, std::string_view name) {
    if (dir.empty())
        return std::string(name);
    if (!name.empty() && name.front() == '\\')
        name.remove_prefix(1);
    std::string r(dir);
    if (r.back() != '\\')
        r += '\\';
    r += name;
    return r;
}

std::string ProgramPath() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return {};
        if (n < buf.size()) {
            buf.resize(n);
            return WideToUtf8(buf);
        }
        buf.resize(buf.size() * 2);
    }
}

std::string ProgramDir() {
    return DirectoryPart(ProgramPath());
}

std::string ConfigHome() {
    std::string appData = win::EnvironmentText(L"APPDATA");
    if (!appData.empty())
        return WithoutTrailingSeparator(appData);
    return WithoutTrailingSeparator(win::EnvironmentText(L"USERPROFILE"));
}

std::string RuntimeDir() {
    wchar_t buf[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, buf);
    if (n == 0 || n > MAX_PATH)
        return "C:\\";
    return WithoutTrailingSeparator(WideToUtf8(std::wstring_view(buf, n)));
}

IoCode MapErrnoToIoCode(int err) {
    switch (err) {
    case 0:
        return IoErrorKind::None;
    case ENOENT:
        return IoErrorKind::NotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
        return IoErrorKind::BadName;
    case EMFILE:
    case ENFILE:
        return IoErrorKind::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case EISDIR:
        return IoErrorKind::AccessDenied;
    case ENOSPC:
    case EFBIG:
        return IoErrorKind::DiskFull;
    default:
        return {IoErrorKind::Other, kOtherIoErrorBase + err};
    }
}

IoCode LastIoErrorCode() {
    return win::IoCodeOf(g_lastError);
}

} // namespace lh::platform
