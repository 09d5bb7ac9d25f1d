#include "platform/FileSystem.h"
#include "platform/RegFile.h"
#include "platform/Registry.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// The settings live in one REGEDIT4 text file. There is no cache: every call reads the file,
// so another instance's writes are seen at once. A write holds an exclusive lock on a companion
// file for its read-change-replace cycle and replaces the file by renaming a complete, flushed
// copy over it, so readers always see a whole file and concurrent writers never lose a value.
// A group holds the lock from its start to its end and serves its reads and writes from the one
// copy it read, which it writes back once.
namespace lh::platform {

namespace {

// A settings file larger than this is not ours; it is treated as unreadable and never replaced.
constexpr off_t kMaxFileSize = 16 * 1024 * 1024;

enum class Load { Missing, Loaded, TooLarge, Unreadable };

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
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode))
        return Load::Unreadable;
    if (st.st_size > kMaxFileSize)
        return Load::TooLarge;
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
            return Load::TooLarge;
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

// The store opened for a change: the lock taken and the file read under it.
struct Update {
    std::unique_ptr<FileDescriptor> lock;
    std::string path;
    Load state = Load::Unreadable;
    std::string original;
    mode_t mode = 0600;
    bool readOnly = false;
    RegFile file;
    bool changed = false;
};

// False when the lock cannot be had; the state then tells nothing.
bool OpenForUpdate(Update& u) {
    u.path = ResolvedSettingsPath();
    if (!MakeDirectories(DirectoryPart(u.path)))
        return false;
    u.lock = std::make_unique<FileDescriptor>(
        ::open((u.path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (u.lock->fd < 0)
        return false;
    int rc;
    do
        rc = ::flock(u.lock->fd, LOCK_EX);
    while (rc != 0 && errno == EINTR);
    if (rc != 0)
        return false;
    u.state = LoadFile(u.path, u.original, &u.mode);
    // A file the user may not write is protected, as a read-only registry key would be. The rule
    // is the one for collections, so a file without write permission stays protected even from
    // the superuser, whom access() lets write anything.
    FileStat st;
    u.readOnly = u.state == Load::Loaded && StatFile(u.path, st) && st.attributes.readOnly;
    if (u.state == Load::Loaded || u.state == Load::Missing)
        u.file = RegFile::Parse(u.original);
    return true;
}

bool CanChange(const Update& u) {
    return (u.state == Load::Loaded || u.state == Load::Missing) && !u.readOnly;
}

bool StoreUpdate(const Update& u) {
    // The damaged file keeps its unparsed lines, but its first rewrite also keeps a copy of it
    // as it was, in case a line meant something this reader could not see.
    if (u.file.IsDamaged()) {
        const std::string bak = u.path + ".bak";
        struct stat st {};
        if (::lstat(bak.c_str(), &st) != 0 && !WriteFileAtomically(bak, u.original, u.mode))
            return false;
    }
    return WriteFileAtomically(u.path, u.file.Serialize(), u.mode);
}

// The open group. Only the user-interface thread uses the store, so one process-wide slot does.
struct Group {
    int depth = 0;
    bool open = false; // the lock is held and `update` holds the store
    bool refused = false;
    bool tooLarge = false;
    Update update;
};
Group g_group;

bool SetValue(RegFile& file, RootHive root, std::string_view keyPath, std::string_view name,
              const RegValue& value, bool& changed) {
    switch (file.Set(root, keyPath, name, value)) {
    case RegFile::SetResult::Refused:
        return false;
    case RegFile::SetResult::Unchanged:
        return true;
    case RegFile::SetResult::Changed:
        changed = true;
        return true;
    }
    return false;
}

bool WriteValue(RootHive root, std::string_view keyPath, std::string_view name,
                const RegValue& value) {
    if (g_group.depth > 0) {
        Update& u = g_group.update;
        if (!g_group.open || !CanChange(u)) {
            g_group.refused = true;
            g_group.tooLarge = g_group.tooLarge || (g_group.open && u.state == Load::TooLarge);
            return false;
        }
        return SetValue(u.file, root, keyPath, name, value, u.changed);
    }
    Update u;
    if (!OpenForUpdate(u) || !CanChange(u))
        return false;
    if (!SetValue(u.file, root, keyPath, name, value, u.changed))
        return false;
    return !u.changed || StoreUpdate(u);
}

// The store as readers see it now: the open group's state, or the file as it is on disk.
// Null when it cannot be read; readers then take their defaults.
template <class Use> auto WithStore(Use use) {
    if (g_group.depth > 0 && g_group.open) {
        const Update& u = g_group.update;
        const bool readable = u.state == Load::Loaded || u.state == Load::Missing;
        return use(readable ? &u.file : nullptr);
    }
    std::string bytes;
    if (LoadFile(SettingsFilePath(), bytes) != Load::Loaded)
        return use(nullptr);
    const RegFile file = RegFile::Parse(bytes);
    return use(&file);
}

// One read: the value if present and of the right type, else the default.
template <class T, class Extract>
T ReadValue(RootHive root, std::string_view keyPath, std::string_view name, const T& def,
            Extract extract) {
    return WithStore([&](const RegFile* file) -> T {
        const RegValue* v = file ? file->Find(root, keyPath, name) : nullptr;
        return v ? extract(*v).value_or(def) : def;
    });
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
    return WithStore([&](const RegFile* file) { return file && file->HasSubKeys(root, keyPath); });
}

void RegBeginGroup() {
    if (g_group.depth++ > 0)
        return;
    g_group.refused = false;
    g_group.tooLarge = false;
    g_group.update = Update{};
    g_group.open = OpenForUpdate(g_group.update);
}

StoreResult RegEndGroup() {
    if (g_group.depth == 0 || --g_group.depth > 0)
        return StoreResult::Saved;
    Update done = std::move(g_group.update);
    g_group.update = Update{};
    g_group.open = false;
    if (g_group.tooLarge)
        return StoreResult::TooLarge;
    if (g_group.refused || (done.changed && !StoreUpdate(done)))
        return StoreResult::Failed;
    return StoreResult::Saved;
}

std::string SettingsFilePath() {
    if (const char* p = std::getenv("LINKHIVE_SETTINGS"); p && *p)
        return p;
    return ConfigHome() + "/Tessella/Linkhive.reg";
}

} // namespace lh::platform
