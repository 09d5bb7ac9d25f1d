#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace lh::platform {

namespace {
thread_local int g_lastError = 0;

// The read-only attribute: the user may not write, or nobody may. The mode test keeps a file
// the user marked read-only protected when the program runs as the superuser, whom access()
// always lets write.
bool IsReadOnlyMode(const std::string& path, const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && IsReadOnlyMode(path, st);
}
} // namespace

bool StatFile(const std::string& path, FileStat& out) {
    struct stat st {};
    if (path.empty()) {
        g_lastError = ENOENT;
        return false;
    }
    if (::stat(path.c_str(), &st) != 0) {
        g_lastError = errno;
        return false;
    }
    out.size = static_cast<std::int64_t>(st.st_size);
    out.lastWrite = st.st_mtime;
    out.attributes = {};
    out.attributes.directory = S_ISDIR(st.st_mode);
    out.attributes.hidden = FileNamePart(path).rfind('.', 0) == 0;
    out.attributes.readOnly = IsReadOnlyMode(path, st);
    return true;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool IsExactlyReadOnly(const std::string& path) {
    FileStat st;
    if (!StatFile(path, st))
        return false;
    const auto& a = st.attributes;
    return a.readOnly && !a.hidden && !a.system && !a.archive && !a.directory;
}

bool RemoveFile(const std::string& path) {
    if (IsReadOnlyFile(path)) {
        g_lastError = EACCES;
        return false;
    }
    if (::unlink(path.c_str()) != 0) {
        g_lastError = errno;
        return false;
    }
    return true;
}

bool RenameFile(const std::string& from, const std::string& to) {
    if (IsReadOnlyFile(to)) {
        g_lastError = EACCES;
        return false;
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        g_lastError = errno;
        return false;
    }
    return true;
}

char PathSeparator() {
    return '/';
}

std::size_t PathCharLength(std::string_view path, std::size_t at) {
    if (at >= path.size())
        return 0;
    const auto b = static_cast<unsigned char>(path[at]);
    const std::size_t n = b < 0x80           ? 1
                          : (b >> 5) == 0x06 ? 2
                          : (b >> 4) == 0x0E ? 3
                          : (b >> 3) == 0x1E ? 4
                                             : 1;
    if (at + n > path.size())
        return 1;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(path[at + k]) & 0xC0) != 0x80)
            return 1;
    return n;
}

// '/' never occurs inside a multi-byte UTF-8 sequence, so byte searches cannot split a character.
std::string FileNamePart(std::string_view path) {
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string DirectoryPart(std::string_view path) {
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    if (slash == 0)
        return "/";
    return std::string(path.substr(0, slash));
}

std::string ExtensionPart(std::string_view path) {
    const std::string name = FileNamePart(path);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool IsAbsolutePath(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

std::string JoinPath(std::string_view dir, std::string_view name) {
    if (dir.empty())
        return std::string(name);
    if (!name.empty() && name.front() == '/')
        name.remove_prefix(1);
    std::string r(dir);
    if (r.back() != '/')
        r += '/';
    r += name;
    return r;
}

std::string ProgramPath() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    return std::string(buf, static_cast<std::size_t>(n));
}

std::string ProgramDir() {
    return DirectoryPart(ProgramPath());
}

std::string ConfigHome() {
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/')
        return x;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config";
}

namespace {
// A folder only this user can enter: the guard and the sockets in it cannot be taken, blocked
// or replaced by another user. A symbolic link is not taken, since its target may change.
bool IsPrivateFolder(const std::string& dir) {
    struct stat st {};
    return ::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}
} // namespace

std::string RuntimeDir() {
    // The variable comes from the environment, which need not be the session's own.
    if (const char* x = std::getenv("XDG_RUNTIME_DIR"); x && *x == '/' && IsPrivateFolder(x))
        return x;
    // The shared temporary folder itself would let users see (and block) each other's guard and
    // sockets: use a folder of our own in it, and only when it really is ours and private.
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/linkhive-" +
                      std::to_string(static_cast<unsigned long>(::getuid()));
    ::mkdir(dir.c_str(), 0700);
    return IsPrivateFolder(dir) ? dir : std::string();
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
    case ELOOP:
    case EILSEQ:
        return IoErrorKind::BadName;
    case EMFILE:
    case ENFILE:
        return IoErrorKind::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
    case EISDIR: // opening a folder as a file is refused like this on Windows
        return IoErrorKind::AccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return IoErrorKind::DiskFull;
    default:
        return {IoErrorKind::Other, kOtherIoErrorBase + err};
    }
}

IoCode LastIoErrorCode() {
    return MapErrnoToIoCode(g_lastError);
}

} // namespace lh::platform
