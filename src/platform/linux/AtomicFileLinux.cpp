#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace lh::platform {

namespace {

constexpr const char* kTempSuffix = ".tmp";

void SyncFolder(const std::string& path) {
    const std::string dir = DirectoryPart(path);
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

FileIdentity IdentityOf(const struct stat& st) {
    FileIdentity id;
    id.exists = true;
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.fileNumber = static_cast<std::uint64_t>(st.st_ino);
    id.size = static_cast<std::int64_t>(st.st_size);
    id.modifiedSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    id.modifiedNanoseconds = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    return id;
}

// ".links.htm." before the process number: the temporary names of one target, hidden so that a
// left-over does not clutter the folder's listing.
std::string TempPrefix(const std::string& target) {
    return "." + FileNamePart(target) + ".";
}

// ".links.htm.<pid>-<random>.tmp": the process number tells a later save whether the writer is
// still alive.
std::string TempName(const std::string& target) {
    static std::mt19937_64 random{std::random_device{}()};
    char middle[48];
    std::snprintf(middle, sizeof middle, "%ld-%08llx", static_cast<long>(::getpid()),
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFull));
    return JoinPath(DirectoryPart(target), TempPrefix(target) + middle + kTempSuffix);
}

// The writer's process number when `name` is one of our temporary names for the target, else 0.
pid_t TempOwner(const std::string& name, const std::string& prefix) {
    const std::string suffix = kTempSuffix;
    if (name.size() <= prefix.size() + suffix.size() ||
        name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string middle =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const std::size_t dash = middle.find('-');
    if (dash == 0 || dash == std::string::npos || dash > 9 || middle.size() - dash - 1 != 8)
        return 0;
    long pid = 0;
    for (std::size_t i = 0; i < dash; ++i) {
        if (middle[i] < '0' || middle[i] > '9')
            return 0;
        pid = pid * 10 + (middle[i] - '0');
    }
    for (std::size_t i = dash + 1; i < middle.size(); ++i)
        if (!std::isxdigit(static_cast<unsigned char>(middle[i])))
            return 0;
    return pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

bool ProcessIsGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Removes what killed saves of the same target left behind: only files of our naming, owned by
// this user, whose writer no longer runs.
void RemoveStaleTemporaries(const std::string& target) {
    const std::string folder = DirectoryPart(target);
    const std::string dir = folder.empty() ? std::string(".") : folder;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return;
    const std::string prefix = TempPrefix(target);
    std::vector<std::string> stale;
    while (const dirent* e = ::readdir(d)) {
        const pid_t owner = TempOwner(e->d_name, prefix);
        if (owner == 0 || owner == ::getpid())
            continue;
        const std::string path = JoinPath(dir, e->d_name);
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ProcessIsGone(owner))
            stale.push_back(path);
    }
    ::closedir(d);
    for (const std::string& path : stale)
        ::unlink(path.c_str());
}

// An anonymous file gets its name through /proc; without /proc it cannot get one unprivileged.
bool CanNameAnonymousFiles() {
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}

bool CopyFileContents(const std::string& from, const std::string& to, IoCode& errorCode) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        errorCode = MapErrnoToIoCode(errno);
        return false;
    }
    struct stat st {};
    ::fstat(in, &st);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777);
    if (out < 0) {
        errorCode = MapErrnoToIoCode(errno);
        ::close(in);
        return false;
    }
    std::vector<char> buffer(std::size_t{1} << 20);
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < got;) {
            const ssize_t put = ::write(out, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            ok = put > 0;
            done += put > 0 ? put : 0;
        }
        if (!ok)
            break;
    }
    if (!ok)
        errorCode = MapErrnoToIoCode(errno ? errno : EIO);
    ::close(in);
    if (::close(out) != 0 && ok) {
        ok = false;
        errorCode = MapErrnoToIoCode(errno);
    }
    if (!ok)
        ::unlink(to.c_str());
    return ok;
}

// Makes `backup` a second name of the current `target`, replacing an older backup, so that the
// target itself never goes away. Copies where the file system refuses hard links. An older
// backup that is read-only is kept, and then no backup is made (false).
bool KeepAsBackup(const std::string& target, const std::string& backup, IoCode& errorCode) {
    RemoveFile(backup);
    if (::link(target.c_str(), backup.c_str()) == 0)
        return true;
    // File systems without hard links (FAT, some network shares) and files at their link limit.
    if (errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK || errno == ENOSYS)
        return CopyFileContents(target, backup, errorCode);
    errorCode = MapErrnoToIoCode(errno);
    return false;
}

// The stream of a new file. Writes go straight to its descriptor, and every few megabytes the
// system is asked to start writing back what came before, so the disk works while the rest is
// still being formatted and the flush at the end (fsync, which still makes the file durable)
// finds most of it on its way already.
class WritebackStream {
public:
    explicit WritebackStream(int fd) noexcept : m_fd(fd) {}

    static std::FILE* Open(int fd) {
        auto* self = new WritebackStream(fd);
        static const cookie_io_functions_t functions = {nullptr, &WritebackStream::Write, nullptr,
                                                        &WritebackStream::Close};
        std::FILE* stream = ::fopencookie(self, "wb", functions);
        if (!stream) {
            delete self;
            return nullptr;
        }
        // Writers hand over large blocks; smaller pieces gather in a buffer of this size.
        std::setvbuf(stream, nullptr, _IOFBF, kBuffer);
        return stream;
    }

private:
    static constexpr std::size_t kBuffer = 256 * 1024;
    static constexpr off_t kWritebackStep = 8 * 1024 * 1024;

    static ssize_t Write(void* cookie, const char* data, std::size_t size) {
        auto* self = static_cast<WritebackStream*>(cookie);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t put = ::write(self->m_fd, data + done, size - done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return done > 0 ? static_cast<ssize_t>(done) : -1;
            done += static_cast<std::size_t>(put);
        }
        self->m_written += static_cast<off_t>(done);
        if (self->m_written - self->m_started >= kWritebackStep) {
            // Only a hint: whatever it cannot start, the final fsync still writes.
            ::sync_file_range(self->m_fd, self->m_started, self->m_written - self->m_started,
                              SYNC_FILE_RANGE_WRITE);
            self->m_started = self->m_written;
        }
        return static_cast<ssize_t>(done);
    }

    static int Close(void* cookie) {
        auto* self = static_cast<WritebackStream*>(cookie);
        const int result = ::close(self->m_fd);
        delete self;
        return result;
    }

    int m_fd;
    off_t m_written = 0;
    off_t m_started = 0; // writeback asked for up to here
};

} // namespace

FileIdentity ReadFileIdentity(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return {};
    return IdentityOf(st);
}

bool ResolveSaveTarget(const std::string& path, std::string& resolved, bool& danglingLink,
                       IoCode& errorCode) {
    danglingLink = false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        // Not a link (or nothing there yet): the name itself is the file.
        resolved = path;
        return true;
    }
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) {
        danglingLink = errno == ENOENT;
        errorCode = MapErrnoToIoCode(errno);
        return false;
    }
    resolved = real;
    std::free(real);
    return true;
}

AtomicFile::~AtomicFile() {
    Discard();
}

bool AtomicFile::Create(const std::string& target, IoCode& errorCode) {
    Discard();
    m_target = target;
    RemoveStaleTemporaries(target);

    // The target's own permissions from the start: a private collection is never readable by
    // others, not even for a moment. The umask may take bits away here; fchmod below gives back
    // only what the target already had.
    mode_t mode = 0666;
    bool exact = false;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        mode = (st.st_mode & 07777) | S_IWUSR;
        exact = true;
    }
    const std::string folder = DirectoryPart(target);
    const std::string dir = folder.empty() ? std::string(".") : folder;
    int fd = -1;
    if (CanNameAnonymousFiles()) {
        fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode & 0777);
        // Older kernels and some file systems have no anonymous files: use a named one.
        if (fd < 0 && errno != EISDIR && errno != EOPNOTSUPP && errno != EINVAL) {
            errorCode = MapErrnoToIoCode(errno);
            return false;
        }
    }
    if (fd < 0) {
        for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
            m_tempName = TempName(target);
            fd = ::open(m_tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 0777);
            if (fd < 0 && errno != EEXIST) {
                errorCode = MapErrnoToIoCode(errno);
                m_tempName.clear();
                return false;
            }
        }
        if (fd < 0) {
            errorCode = MapErrnoToIoCode(EEXIST);
            m_tempName.clear();
            return false;
        }
    }
    if (exact)
        ::fchmod(fd, mode);
    m_stream = WritebackStream::Open(fd);
    if (!m_stream) {
        errorCode = MapErrnoToIoCode(errno);
        ::close(fd);
        Discard();
        return false;
    }
    m_fd = fd;
    errorCode = {};
    return true;
}

bool AtomicFile::Finish(IoCode& errorCode) {
    if (!m_stream) {
        errorCode = MapErrnoToIoCode(EBADF);
        return false;
    }
    const int fd = m_fd;
    // A write refused on the way (a full disk) leaves its mark on the stream even when the
    // writer did not look at what fwrite returned: such a file is never finished.
    errno = 0;
    bool ok = std::fflush(m_stream) == 0 && !std::ferror(m_stream) && ::fsync(fd) == 0;
    if (ok) {
        struct stat st {};
        ::fstat(fd, &st);
        m_identity = IdentityOf(st);
    }
    // An anonymous file gets a name only now, complete, for the one step from here to Commit().
    if (ok && m_tempName.empty()) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = TempName(m_target);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                m_tempName = name;
                break;
            }
            if (errno != EEXIST)
                break;
        }
        ok = !m_tempName.empty();
    }
    if (!ok)
        errorCode = MapErrnoToIoCode(errno ? errno : EIO);
    if (std::fclose(m_stream) != 0 && ok) {
        ok = false;
        errorCode = MapErrnoToIoCode(errno ? errno : EIO);
    }
    m_stream = nullptr;
    m_fd = -1;
    return ok;
}

bool AtomicFile::Commit(IoCode& errorCode, const std::string& backup) {
    if (m_stream || m_tempName.empty()) {
        errorCode = MapErrnoToIoCode(EBADF);
        return false;
    }
    // The backup is a second link made before the rename, so the target's name never stands
    // empty; a read-only target is replaced only when it lives on as that.
    IoCode ignored;
    if (!backup.empty() && !KeepAsBackup(m_target, backup, ignored)) {
        FileStat st;
        if (StatFile(m_target, st) && st.attributes.readOnly) {
            errorCode = IoErrorKind::AccessDenied;
            return false;
        }
    }
    if (::rename(m_tempName.c_str(), m_target.c_str()) != 0) {
        errorCode = MapErrnoToIoCode(errno);
        return false;
    }
    m_tempName.clear();
    SyncFolder(m_target);
    return true;
}

void AtomicFile::Discard() noexcept {
    if (m_stream) {
        std::fclose(m_stream);
        m_stream = nullptr;
        m_fd = -1;
    }
    if (!m_tempName.empty()) {
        ::unlink(m_tempName.c_str());
        m_tempName.clear();
    }
}

} // namespace lh::platform
