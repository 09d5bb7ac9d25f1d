#include "WinText.h"
#include "platform/FileSystem.h"
#include "platform/InputFile.h"

#include <fcntl.h>
#include <io.h>

namespace lh::platform {

namespace {

// Device names such as "NUL" or "CON" carry no directory attribute and open like files: the
// handle's type tells them apart.
InputKind KindOfHandle(HANDLE h) {
    switch (::GetFileType(h)) {
    case FILE_TYPE_DISK:
        return InputKind::Regular;
    case FILE_TYPE_PIPE:
        return InputKind::Stream;
    default:
        return InputKind::Device;
    }
}

} // namespace

InputKind InputKindOf(const std::string& path) {
    if (path.empty())
        return InputKind::Missing;
    const DWORD attributes = ::GetFileAttributesW(win::WidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return InputKind::Missing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return InputKind::Folder;
    // Without opening it, a name is taken for a file; OpenInputFile looks at the handle.
    return InputKind::Regular;
}

std::FILE* OpenInputFile(const std::string& path, bool acceptStream, InputKind& kind,
                         IoCode& errorCode) {
    errorCode = {};
    kind = InputKindOf(path);
    if (kind == InputKind::Folder || path.empty())
        return nullptr;
    // Shared for deleting too, so a reader never keeps another program from replacing the file.
    const HANDLE h = ::CreateFileW(win::WidePath(path).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        errorCode = win::IoCodeOf(::GetLastError());
        return nullptr;
    }
    kind = KindOfHandle(h);
    if (kind != InputKind::Regular && !(kind == InputKind::Stream && acceptStream)) {
        ::CloseHandle(h);
        return nullptr;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(h);
        errorCode = IoErrorKind::TooManyOpenFiles;
        return nullptr;
    }
    std::FILE* f = ::_fdopen(fd, "rb");
    if (!f) {
        ::_close(fd);
        errorCode = IoErrorKind::TooManyOpenFiles;
    }
    return f;
}

} // namespace lh::platform
