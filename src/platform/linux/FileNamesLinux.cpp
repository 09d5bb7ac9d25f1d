#include "platform/FileSystem.h"

#include <cerrno>
#include <sys/stat.h>

namespace lh::platform {

std::FILE* OpenForReading(const std::string& path, int& errorCode) {
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    errorCode = f ? 0 : MapErrnoToIoCode(errno ? errno : ENOENT);
    return f;
}

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::string EffectivePath(std::string_view path) {
    return std::string(path);
}

} // namespace lh::platform
