#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <io.h>
#include <windows.h>

namespace lh::platform {

namespace {
int MapWinError(DWORD err) {
    switch (err) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return 101;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return 5;
    default:
        return static_cast<int>(err);
    }
}
} // namespace

std::FILE* CreateFileBeside(const std::string& target, std::string& created, int& errorCode) {
    // The folder of the target, "." for a bare name.
    const std::string folder = DirectoryPart(target);
    const std::string dir = folder.empty() ? std::string(1, '.') : folder;
    char name[MAX_PATH + 1];
    if (::GetTempFileNameA(dir.c_str(), "lh", 0, name) == 0) {
        errorCode = MapWinError(::GetLastError());
        return nullptr;
    }
    std::FILE* f = std::fopen(name, "wb");
    if (!f) {
        errorCode = MapErrnoToIoCode(errno);
        ::DeleteFileA(name);
        return nullptr;
    }
    created = name;
    errorCode = 0;
    return f;
}

bool FlushToDisk(std::FILE* file, int& errorCode) {
    if (std::fflush(file) != 0 || ::_commit(::_fileno(file)) != 0) {
        errorCode = MapErrnoToIoCode(errno);
        return false;
    }
    return true;
}

bool MoveIntoPlace(const std::string& from, const std::string& to, int& errorCode) {
    if (!::MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        errorCode = MapWinError(::GetLastError());
        return false;
    }
    return true;
}

} // namespace lh::platform
