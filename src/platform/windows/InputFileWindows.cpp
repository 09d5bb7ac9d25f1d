#include "platform/FileSystem.h"
#include "platform/InputFile.h"

#include <cerrno>
#include <io.h>
#include <windows.h>

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
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return InputKind::Missing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return InputKind::Folder;
    // Without opening it, a name is taken for a file; OpenInputFile looks at the handle.
    return InputKind::Regular;
}

std::FILE* OpenInputFile(const std::string& path, bool acceptStream, InputKind& kind,
                         int& errorCode) {
    errorCode = 0;
    kind = InputKindOf(path);
    if (kind == InputKind::Folder)
        return nullptr;
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        errorCode = MapErrnoToIoCode(errno != 0 ? errno : ENOENT);
        return nullptr;
    }
    kind = KindOfHandle(reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(f))));
    if (kind == InputKind::Regular || (kind == InputKind::Stream && acceptStream))
        return f;
    std::fclose(f);
    return nullptr;
}

} // namespace lh::platform
