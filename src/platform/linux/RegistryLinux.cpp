#include "platform/FileSystem.h"
#include "platform/RegFile.h"
#include "platform/Registry.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// The settings live in one REGEDIT4 text file. There is no cache: every call reads the file,
// so another instance's writes are seen at once. A write holds an exclusive lock on a companion
// file for its read-change-replace cycle and replaces the file by renaming a complete, flushed
// copy over it, so readers always see a whole file and concurrent writers never lose a value.
namespace lh::platform {

namespace {

// A settings file larger than this is not ours; it is treated as unreadable and never replaced.
constexpr off_t kMaxFileSize = 16 * 1024 * 1024;

enum class Load { Missing, Loaded, Unreadable };

struct FileDescriptor {
    int fd = -1;
    explicit FileDescriptor(int f) : fd(f) {}
    ~FileDescriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
};

Load LoadFile(const std::string& path, std::string& bytes, mode_t* mode = nullptr) {
    FileDescriptor f(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (f.fd < 0)
        return errno == ENOENT ? Load::Missing : Load::Unreadable;
    struct stat st {};
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileSize)
        return Load::Unreadable;
    if (mode)
        *mode = st.st_mode & 07777;
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    while (true) {
        const ssize_t n = ::read(f.fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Load::Unreadable;
        if (n == 0)
            break;
        bytes.append(buf, static_cast<std::size_t>(n));
        // Grown past the cap while we read it: still not ours to handle.
        if (bytes.size() > static_cast<std::size_t>(kMaxFileSize))
            return Load::Unreadable;
    }
    return Load::Loaded;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Writes a complete, flushed file under a temporary name in the same folder, then renames it
// over `path`. On any failure the old file is untouched and the temporary one removed.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode) {
    const std::string tmp = path + ".tmp";
    // Only the lock holder uses this name, so a leftover is from a crashed writer.
    ::unlink(tmp.c_str());
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here does not undo the write.
    const std::string dirPath = DirectoryPart(path);
    FileDescriptor dir(
        ::open(dirPath.empty() ? "." : dirPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd >= 0)
        ::fsync(dir.fd);
    return true;
}

bool MakeDirectories(const std::string& dir) {
    if (dir.empty() || FileExists(dir))
        return true;
    const std::string parent = DirectoryPart(dir);
    if (parent != dir && !MakeDirectories(parent))
        return false;
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

// A settings file that is a symbolic link (kept in a dotfiles folder, say) is written through
// the link, so the link stays in place.
std::string ResolvedSettingsPath() {
    std::string path = SettingsFilePath();
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            path = real;
            std::free(real);
        }
    }
    return path;
}

bool WriteValue(RootHive root, std::string_view keyPath, std::string_view name,
                const RegValue& value) {
    const std::string path = ResolvedSettingsPath();
    if (!MakeDirectories(DirectoryPart(path)))
        return false;

    FileDescriptor lock(::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.fd < 0)
        return false;
    int rc;
    do
        rc = ::flock(lock.fd, LOCK_EX);
    while (rc != 0 && errno == EINTR);
    if (rc != 0)
        return false;

    std::string old;
    mode_t mode = 0600;
    const Load state = LoadFile(path, old, &mode);
    if (state == Load::Unreadable)
        return false;
    // A file the user may not write is protected, as a read-only registry key would be.
    if (state == Load::Loaded && ::access(path.c_str(), W_OK) != 0)
        return false;

    RegFile file = RegFile::Parse(old);
    switch (file.Set(root, keyPath, name, value)) {
    case RegFile::SetResult::Refused:
        return false;
    case RegFile::SetResult::Unchanged:
        return true;
    case RegFile::SetResult::Changed:
        break;
    }
    // The damaged file keeps its unparsed lines, but its first rewrite also keeps a copy of it
    // as it was, in case a line meant something this reader could not see.
    if (file.IsDamaged()) {
        const std::string bak = path + ".bak";
        struct stat st {};
        if (::lstat(bak.c_str(), &st) != 0 && !WriteFileAtomically(bak, old, mode))
            return false;
    }
    return WriteFileAtomically(path, file.Serialize(), mode);
}

// One read: the file as it is now, the value if present and of the right type, else the default.
template <class T, class Extract>
T ReadValue(RootHive root, std::string_view keyPath, std::string_view name, const T& def,
            Extract extract) {
    std::string bytes;
    if (LoadFile(SettingsFilePath(), bytes) != Load::Loaded)
        return def;
    const RegFile file = RegFile::Parse(bytes);
    const RegValue* v = file.Find(root, keyPath, name);
    if (!v)
        return def;
    return extract(*v).value_or(def);
}

} // namespace

std::string RegReadString(RootHive root, std::string_view keyPath, std::string_view name,
                          const std::string& def) {
    return ReadValue(root, keyPath, name, def, RegValueText);
}

bool RegWriteString(RootHive root, std::string_view keyPath, std::string_view name,
                    std::string_view value) {
    return WriteValue(root, keyPath, name, RegValue::Text(value));
}

std::int32_t RegReadInteger(RootHive root, std::string_view keyPath, std::string_view name,
                            std::int32_t def) {
    return ReadValue(root, keyPath, name, def, RegValueInteger);
}

bool RegWriteInteger(RootHive root, std::string_view keyPath, std::string_view name,
                     std::int32_t value) {
    return WriteValue(root, keyPath, name, RegValue::Dword(value));
}

bool RegKeyHasSubKeys(RootHive root, std::string_view keyPath) {
    std::string bytes;
    if (LoadFile(SettingsFilePath(), bytes) != Load::Loaded)
        return false;
    return RegFile::Parse(bytes).HasSubKeys(root, keyPath);
}

std::string SettingsFilePath() {
    if (const char* p = std::getenv("LINKHIVE_SETTINGS"); p && *p)
        return p;
    return ConfigHome() + "/Tessella/Linkhive.reg";
}

} // namespace lh::platform
