#include "platform/FileSystem.h"
#include "platform/InputFile.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lh::platform {

namespace {

InputKind KindOfMode(mode_t mode) {
    if (S_ISREG(mode))
        return InputKind::Regular;
    if (S_ISDIR(mode))
        return InputKind::Folder;
    if (S_ISFIFO(mode))
        return InputKind::Stream;
    return InputKind::Device;
}

// A pipe opened without waiting has no writer yet, perhaps: a read now would see an empty
// stream. Wait until there is data or the writer is gone, as a reader opened blocking would.
bool AwaitWriter(int fd) {
    pollfd p{fd, POLLIN, 0};
    int r;
    while ((r = ::poll(&p, 1, -1)) < 0 && errno == EINTR) {
    }
    return r >= 0;
}

} // namespace

InputKind InputKindOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return InputKind::Missing;
    return KindOfMode(st.st_mode);
}

std::FILE* OpenInputFile(const std::string& path, bool acceptStream, InputKind& kind,
                         IoCode& errorCode) {
    errorCode = {};
    // Looked at before the open, so a device is never opened at all (opening some has effects).
    kind = InputKindOf(path);
    if (kind == InputKind::Folder || kind == InputKind::Device ||
        (kind == InputKind::Stream && !acceptStream))
        return nullptr;
    // O_NONBLOCK: the name may have been replaced by a FIFO since; its open must not wait.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        errorCode = MapErrnoToIoCode(errno);
        return nullptr;
    }
    const auto fail = [&](IoCode code) -> std::FILE* {
        errorCode = code;
        ::close(fd);
        return nullptr;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return fail(MapErrnoToIoCode(errno));
    kind = KindOfMode(st.st_mode);
    if (kind != InputKind::Regular && !(kind == InputKind::Stream && acceptStream))
        return fail({});
    if (kind == InputKind::Stream && !AwaitWriter(fd))
        return fail(MapErrnoToIoCode(errno));
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* f = ::fdopen(fd, "rb");
    return f ? f : fail(MapErrnoToIoCode(errno));
}

} // namespace lh::platform
