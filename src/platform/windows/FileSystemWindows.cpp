#include "platform/FileSystem.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <cerrno>
#include <cstdlib>
#include <string>
#include <windows.h>

namespace lh::platform {

namespace {

thread_local DWORD g_lastError = 0;

// Paths are in the ANSI code page. A byte that the code page calls a lead byte, followed by a
// possible second byte, makes one character with it: a trailing 0x5C there is no backslash.
// Second bytes start at 0x40 in every double-byte code page, so a '/' or ':' after a stray lead
// byte still separates.
bool IsPairAt(std::string_view s, std::size_t at) {
    return ::IsDBCSLeadByte(static_cast<BYTE>(s[at])) && at + 1 < s.size() &&
           static_cast<unsigned char>(s[at + 1]) >= 0x40;
}

std::size_t CharLen(std::string_view s, std::size_t at) {
    if (at >= s.size() || s[at] == '\0')
        return 0;
    return IsPairAt(s, at) ? 2 : 1;
}

bool IsSeparatorAt(std::string_view s, std::size_t at) {
    return s[at] == '\\' || s[at] == '/';
}

// Byte offset of the last one-byte character for which `pred` holds, or npos; walked character
// by character from the start, because a double-byte code page cannot be read backwards.
template <typename Pred> std::size_t LastCharWhere(std::string_view s, Pred pred) {
    std::size_t last = std::string_view::npos;
    for (std::size_t at = 0, len; (len = CharLen(s, at)) != 0; at += len)
        if (len == 1 && pred(s, at))
            last = at;
    return last;
}

// Byte offset where the last character starts, or npos for an empty text.
std::size_t LastCharStart(std::string_view s) {
    std::size_t last = std::string_view::npos;
    for (std::size_t at = 0, len; (len = CharLen(s, at)) != 0; at += len)
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

bool Attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    if (path.empty()) {
        g_lastError = ERROR_FILE_NOT_FOUND;
        return false;
    }
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        g_lastError = ::GetLastError();
        return false;
    }
    return true;
}

std::string FromEnvironment(const char* name) {
    const DWORD n = ::GetEnvironmentVariableA(name, nullptr, 0);
    if (n == 0)
        return {};
    std::string value(n, '\0');
    const DWORD got = ::GetEnvironmentVariableA(name, value.data(), n);
    value.resize(got < n ? got : 0);
    return value;
}

std::string WithoutTrailingSeparator(std::string path) {
    // Keep the root of a drive ("C:\") and a lone separator.
    while (path.size() > 1 && LastCharStart(path) == path.size() - 1 &&
           IsSeparatorAt(path, path.size() - 1) && !(path.size() == 3 && path[1] == ':'))
        path.pop_back();
    return path;
}

} // namespace

bool StatFile(const std::string& path, FileStat& out) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!Attributes(path, data))
        return false;
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
    return !path.empty() && ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsRegularFile(const std::string& path) {
    if (path.empty())
        return false;
    const DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsExactlyReadOnly(const std::string& path) {
    if (path.empty())
        return false;
    return ::GetFileAttributesA(path.c_str()) == FILE_ATTRIBUTE_READONLY;
}

bool RemoveFile(const std::string& path) {
    // DeleteFile itself refuses read-only files.
    if (!::DeleteFileA(path.c_str())) {
        g_lastError = ::GetLastError();
        return false;
    }
    return true;
}

bool RenameFile(const std::string& from, const std::string& to) {
    // Replacing a read-only target fails with "access denied"; a read-only source moves.
    if (!::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        g_lastError = ::GetLastError();
        return false;
    }
    return true;
}

char PathSeparator() {
    return '\\';
}

std::size_t PathCharLength(std::string_view path, std::size_t at) {
    if (at >= path.size())
        return 0;
    return IsPairAt(path, at) ? 2 : 1;
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
        if (path.size() >= 2 && CharLen(path, 0) == 1 && path[1] == ':')
            return std::string(path.substr(0, 2));
        return {};
    }
    const bool root = sep == 0 || (sep == 2 && CharLen(path, 0) == 1 && path[1] == ':');
    return std::string(path.substr(0, root ? sep + 1 : sep));
}

std::string ExtensionPart(std::string_view path) {
    const std::string name = FileNamePart(path);
    const std::size_t dot =
        LastCharWhere(name, [](std::string_view s, std::size_t at) { return s[at] == '.'; });
    return dot == std::string_view::npos ? std::string() : name.substr(dot);
}

bool IsAbsolutePath(std::string_view path) {
    if (path.size() >= 2 && CharLen(path, 0) == 1 && path[1] == ':')
        return true;
    return path.size() >= 2 && IsSeparatorAt(path, 0) && IsSeparatorAt(path, 1); // \\server\share
}

std::string JoinPath(std::string_view dir, std::string_view name) {
    if (dir.empty())
        return std::string(name);
    if (!name.empty() && name.front() == '\\')
        name.remove_prefix(1);
    std::string r(dir);
    // The last character, not the last byte: a folder ending in ソ (0x83 0x5C) needs a separator.
    const std::size_t last = LastCharStart(r);
    const bool endsInSeparator = last == r.size() - 1 && r[last] == '\\';
    if (!endsInSeparator)
        r += '\\';
    r += name;
    return r;
}

std::string ProgramPath() {
    std::string buf(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return {};
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

std::string ProgramDir() {
    return DirectoryPart(ProgramPath());
}

std::string ConfigHome() {
    std::string appData = FromEnvironment("APPDATA");
    if (!appData.empty())
        return WithoutTrailingSeparator(appData);
    return WithoutTrailingSeparator(FromEnvironment("USERPROFILE"));
}

std::string RuntimeDir() {
    char buf[MAX_PATH + 1];
    const DWORD n = ::GetTempPathA(sizeof buf, buf);
    if (n == 0 || n > sizeof buf)
        return "C:\\";
    return WithoutTrailingSeparator(std::string(buf, n));
}

int MapErrnoToIoCode(int err) {
    switch (err) {
    case 0:
        return 0;
    case ENOENT:
        return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
        return 3;
    case EMFILE:
    case ENFILE:
        return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case EISDIR:
        return 5;
    case ENOSPC:
    case EFBIG:
        return 101;
    default:
        return kOtherIoErrorBase + err;
    }
}

int LastIoErrorCode() {
    switch (g_lastError) {
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
    case ERROR_FILENAME_EXCED_RANGE:
        return 3;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return 101;
    default:
        // ERROR_FILE_NOT_FOUND (2), ERROR_PATH_NOT_FOUND (3), ERROR_TOO_MANY_OPEN_FILES (4) and
        // ERROR_ACCESS_DENIED (5) already are the program's codes.
        return static_cast<int>(g_lastError);
    }
}

} // namespace lh::platform
