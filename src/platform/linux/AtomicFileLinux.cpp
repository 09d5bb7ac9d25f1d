#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lh::platform {

namespace {
std::string Hex(unsigned long long v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llx", v);
    return buf;
}

void SyncFolder(const std::string& path) {
    const std::string dir = DirectoryPart(path);
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}
} // namespace

std::FILE* CreateFileBeside(const std::string& target, std::string& created, int& errorCode) {
    const std::string dir = DirectoryPart(target);
    // A hidden name, so a left-over after a crash does not clutter the folder's listing.
    std::string hidden(1, '.');
    hidden += FileNamePart(target);
    hidden += '.';
    const std::string stem = JoinPath(dir, hidden);
    mode_t mode = 0666;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        mode = st.st_mode & 07777;
    static unsigned long long counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned long long salt = (static_cast<unsigned long long>(::getpid()) << 32) ^
                                        static_cast<unsigned long long>(::time(nullptr)) ^
                                        (++counter * 0x9E3779B97F4A7C15ull);
        const std::string name = stem + Hex(salt) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            errorCode = MapErrnoToIoCode(errno);
            return nullptr;
        }
        if (mode != 0666)
            ::fchmod(fd, mode | S_IWUSR);
        std::FILE* f = ::fdopen(fd, "wb");
        if (!f) {
            errorCode = MapErrnoToIoCode(errno);
            ::close(fd);
            ::unlink(name.c_str());
            return nullptr;
        }
        created = name;
        errorCode = 0;
        return f;
    }
    errorCode = MapErrnoToIoCode(EEXIST);
    return nullptr;
}

bool FlushToDisk(std::FILE* file, int& errorCode) {
    if (std::fflush(file) != 0 || ::fsync(::fileno(file)) != 0) {
        errorCode = MapErrnoToIoCode(errno);
        return false;
    }
    return true;
}

bool MoveIntoPlace(const std::string& from, const std::string& to, int& errorCode) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        errorCode = MapErrnoToIoCode(errno);
        return false;
    }
    SyncFolder(to);
    return true;
}

} // namespace lh::platform
