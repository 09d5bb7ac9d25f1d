#include "WinText.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace lh::platform {

namespace {

constexpr DWORD kReplaceFlags = REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS;

bool Fail(int& errorCode, DWORD error) {
    errorCode = win::IoCodeOf(error);
    return false;
}

// A name of our own beside the target; process, clock and attempt make a clash unlikely, and
// CREATE_NEW makes one harmless (the next name is tried).
std::string CandidateName(const std::string& folder, unsigned attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "~lh%lx-%lx-%x.tmp",
                  static_cast<unsigned long>(::GetCurrentProcessId()),
                  static_cast<unsigned long>(::GetTickCount()), attempt);
    return folder.empty() ? std::string(name) : JoinPath(folder, name);
}

bool Move(const std::string& from, const std::string& to, DWORD flags) {
    return ::MoveFileExW(win::WidePath(from).c_str(), win::WidePath(to).c_str(), flags) != 0;
}

// What belongs to the file rather than to its bytes. The system's replace carries these over
// itself; they are set again because not every implementation of it does.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

void KeepAttributes(const std::wstring& file, DWORD previous) {
    if (previous != INVALID_FILE_ATTRIBUTES && (previous & kKeptAttributes) != 0)
        ::SetFileAttributesW(file.c_str(), (previous & kKeptAttributes) | FILE_ATTRIBUTE_NORMAL);
}

// A file another program holds open without leave to delete it cannot be replaced; asked
// first, so that no half-done replace leaves anything behind.
bool HeldByAnother(const std::wstring& file) {
    const HANDLE h =
        ::CreateFileW(file.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(h);
        return false;
    }
    return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

} // namespace

std::FILE* CreateFileBeside(const std::string& target, std::string& created, int& errorCode) {
    const std::string folder = DirectoryPart(target);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name = CandidateName(folder, attempt);
        const HANDLE h = ::CreateFileW(win::WidePath(name).c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD err = ::GetLastError();
            if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS)
                continue;
            errorCode = win::IoCodeOf(err);
            return nullptr;
        }
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
        std::FILE* f = fd < 0 ? nullptr : ::_fdopen(fd, "wb");
        if (!f) {
            if (fd < 0)
                ::CloseHandle(h);
            else
                ::_close(fd);
            DiscardFile(name);
            errorCode = 4;
            return nullptr;
        }
        created = name;
        errorCode = 0;
        return f;
    }
    errorCode = 5;
    return nullptr;
}

bool FlushToDisk(std::FILE* file, int& errorCode) {
    if (std::fflush(file) != 0 || ::_commit(::_fileno(file)) != 0) {
        errorCode = MapErrnoToIoCode(errno);
        return false;
    }
    return true;
}

bool MoveIntoPlace(const std::string& from, const std::string& to, int& errorCode) {
    // Over an existing file the system's replace keeps what belongs to the file rather than to
    // its bytes: attributes such as hidden, its permissions and its other streams.
    const std::wstring target = win::WidePath(to);
    const DWORD previous = ::GetFileAttributesW(target.c_str());
    const bool exists =
        previous != INVALID_FILE_ATTRIBUTES && (previous & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (exists && HeldByAnother(target))
        return Fail(errorCode, ERROR_SHARING_VIOLATION);
    if (exists && ::ReplaceFileW(target.c_str(), win::WidePath(from).c_str(), nullptr,
                                 kReplaceFlags, nullptr, nullptr)) {
        KeepAttributes(target, previous);
        return true;
    }
    if (!Move(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Fail(errorCode, ::GetLastError());
    KeepAttributes(target, previous);
    return true;
}

bool ReplaceKeepingBackup(const std::string& from, const std::string& to, const std::string& backup,
                          int& errorCode) {
    const std::wstring target = win::WidePath(to);
    const DWORD previous = ::GetFileAttributesW(target.c_str());
    if (HeldByAnother(target))
        return Fail(errorCode, ERROR_SHARING_VIOLATION);
    // One step that moves the previous version to the backup name and the new one in place.
    if (::ReplaceFileW(target.c_str(), win::WidePath(from).c_str(), win::WidePath(backup).c_str(),
                       kReplaceFlags, nullptr, nullptr)) {
        KeepAttributes(target, previous);
        return true;
    }
    DWORD err = ::GetLastError();
    if (err == ERROR_UNABLE_TO_MOVE_REPLACEMENT || err == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        // The previous version already bears the backup name; only the new one is left to move.
        if (Move(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        err = ::GetLastError();
        Move(backup, to, 0);
        return Fail(errorCode, err);
    }
    // Refused as a whole (a read-only target, a read-only old backup): the two moves one by one,
    // so a read-only target still becomes the backup and the new version is written.
    ::DeleteFileW(win::WidePath(backup).c_str());
    const bool kept = Move(to, backup, MOVEFILE_REPLACE_EXISTING);
    if (!kept) {
        FileStat st;
        if (StatFile(to, st) && st.attributes.readOnly)
            return Fail(errorCode, ERROR_ACCESS_DENIED);
    }
    if (Move(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    err = ::GetLastError();
    if (kept)
        Move(backup, to, 0);
    return Fail(errorCode, err);
}

void DiscardFile(const std::string& path) {
    const std::wstring wide = win::WidePath(path);
    ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(wide.c_str());
}

} // namespace lh::platform
