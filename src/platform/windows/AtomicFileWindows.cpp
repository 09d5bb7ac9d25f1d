#include "WinText.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/WideText.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace lh::platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kReplaceFlags = REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS;

bool Fail(IoCode& errorCode, DWORD error) {
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

// Removes a file this program created and gives up on, whatever its attributes.
void DiscardFile(const std::string& path) {
    const std::wstring wide = win::WidePath(path);
    ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(wide.c_str());
}

// The process number in one of our temporary names ("~lh<pid>-<ticks>-<attempt>.tmp", in hex),
// or 0 when the name is not one.
DWORD TempOwner(std::wstring_view name) {
    if (name.size() < 12 || name.substr(0, 3) != L"~lh" || name.substr(name.size() - 4) != L".tmp")
        return 0;
    const std::wstring_view middle = name.substr(3, name.size() - 7);
    DWORD pid = 0;
    int dashes = 0;
    bool digitBefore = false;
    for (const wchar_t c : middle) {
        const bool hex = (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f');
        if (c == L'-' && digitBefore) {
            ++dashes;
            digitBefore = false;
        } else if (hex) {
            if (dashes == 0) {
                if (pid > 0x0FFFFFFFu)
                    return 0;
                pid = pid * 16 + static_cast<DWORD>(c <= L'9' ? c - L'0' : c - L'a' + 10);
            }
            digitBefore = true;
        } else {
            return 0;
        }
    }
    return dashes == 2 && digitBefore ? pid : 0;
}

bool ProcessIsGone(DWORD pid) {
    const HANDLE h = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!h)
        return ::GetLastError() == ERROR_INVALID_PARAMETER;
    const bool ended = ::WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
    ::CloseHandle(h);
    return ended;
}

// Temporary files that writers killed before they finished left in the folder. Only those whose
// process has ended go: a live writer's file is its own business.
void RemoveStaleTemporaries(const std::string& folder) {
    const std::string pattern =
        folder.empty() ? std::string("~lh*.tmp") : JoinPath(folder, "~lh*.tmp");
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW(win::WidePath(pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const DWORD pid = TempOwner(data.cFileName);
        if (pid != 0 && pid != ::GetCurrentProcessId() && ProcessIsGone(pid)) {
            const std::string name = WideToUtf8(data.cFileName);
            DiscardFile(folder.empty() ? name : JoinPath(folder, name));
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
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
    const HANDLE h = ::CreateFileW(file.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(h);
        return false;
    }
    return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

// The new version over an existing target, keeping the previous one under `backup` when that is
// not empty. The system's replace is one step and keeps what belongs to the file rather than to
// its bytes: attributes such as hidden, its permissions and its other streams.
bool ReplaceExisting(const std::string& from, const std::string& to, const std::string& backup,
                     DWORD previous, IoCode& errorCode) {
    const std::wstring target = win::WidePath(to);
    if (HeldByAnother(target))
        return Fail(errorCode, ERROR_SHARING_VIOLATION);
    const std::wstring wideBackup = backup.empty() ? std::wstring() : win::WidePath(backup);
    if (::ReplaceFileW(target.c_str(), win::WidePath(from).c_str(),
                       backup.empty() ? nullptr : wideBackup.c_str(), kReplaceFlags, nullptr,
                       nullptr)) {
        KeepAttributes(target, previous);
        return true;
    }
    DWORD err = ::GetLastError();
    if (err == ERROR_UNABLE_TO_MOVE_REPLACEMENT || err == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        // The previous version already bears the backup name (or is gone); only the new one is
        // left to move.
        if (Move(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            KeepAttributes(target, previous);
            return true;
        }
        err = ::GetLastError();
        if (!backup.empty())
            Move(backup, to, 0);
        return Fail(errorCode, err);
    }
    if (backup.empty()) {
        // Refused as a whole where no previous version has to be kept: a plain move over it.
        if (!Move(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return Fail(errorCode, ::GetLastError());
        KeepAttributes(target, previous);
        return true;
    }
    // Refused as a whole (a read-only target, a read-only old backup): the two moves one by one,
    // so a read-only target still becomes the backup and the new version is written.
    ::DeleteFileW(wideBackup.c_str());
    const bool kept = Move(to, backup, MOVEFILE_REPLACE_EXISTING);
    if (!kept && (previous & FILE_ATTRIBUTE_READONLY) != 0)
        return Fail(errorCode, ERROR_ACCESS_DENIED);
    if (Move(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    err = ::GetLastError();
    if (kept)
        Move(backup, to, 0);
    return Fail(errorCode, err);
}

} // namespace

FileIdentity ReadFileIdentity(const std::string& path) {
    if (path.empty())
        return {};
    const HANDLE h = ::CreateFileW(win::WidePath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL ok = ::GetFileInformationByHandle(h, &info);
    ::CloseHandle(h);
    if (!ok)
        return {};
    FileIdentity id;
    id.exists = true;
    id.device = info.dwVolumeSerialNumber;
    id.fileNumber = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                        info.nFileSizeLow);
    // FILETIME counts 100 ns steps.
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
        info.ftLastWriteTime.dwLowDateTime;
    id.modifiedSeconds = static_cast<std::int64_t>(ticks / 10000000ull);
    id.modifiedNanoseconds = static_cast<std::int64_t>(ticks % 10000000ull) * 100;
    return id;
}

bool ResolveSaveTarget(const std::string& path, std::string& resolved, bool& danglingLink,
                       IoCode& errorCode) {
    danglingLink = false;
    const std::wstring wide = win::WidePath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        resolved = path;
        return true;
    }
    const HANDLE h = ::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        danglingLink = err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
        return Fail(errorCode, err);
    }
    const DWORD size = ::GetFinalPathNameByHandleW(h, nullptr, 0, FILE_NAME_NORMALIZED);
    std::wstring real(size, L'\0');
    const DWORD n =
        size == 0 ? 0 : ::GetFinalPathNameByHandleW(h, real.data(), size, FILE_NAME_NORMALIZED);
    ::CloseHandle(h);
    if (n == 0 || n >= size) {
        resolved = path;
        return true;
    }
    real.resize(n);
    // The program's paths carry no "\\?\"; the file functions add it again where a path needs it.
    if (real.rfind(L"\\\\?\\UNC\\", 0) == 0)
        real = L"\\\\" + real.substr(8);
    else if (real.rfind(L"\\\\?\\", 0) == 0)
        real = real.substr(4);
    resolved = WideToUtf8(real);
    return true;
}

AtomicFile::~AtomicFile() {
    Discard();
}

bool AtomicFile::Create(const std::string& target, IoCode& errorCode) {
    Discard();
    m_target = target;
    // Made by hand rather than by the system's temporary-name service, which is limited to
    // short paths and the system code page.
    const std::string folder = DirectoryPart(target);
    RemoveStaleTemporaries(folder);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name = CandidateName(folder, attempt);
        const HANDLE h = ::CreateFileW(win::WidePath(name).c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD err = ::GetLastError();
            if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS)
                continue;
            return Fail(errorCode, err);
        }
        m_tempName = name;
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
        if (fd < 0)
            ::CloseHandle(h);
        m_stream = fd < 0 ? nullptr : ::_fdopen(fd, "wb");
        if (!m_stream) {
            if (fd >= 0)
                ::_close(fd);
            Discard();
            errorCode = IoErrorKind::TooManyOpenFiles;
            return false;
        }
        errorCode = {};
        return true;
    }
    errorCode = IoErrorKind::AccessDenied;
    return false;
}

bool AtomicFile::Finish(IoCode& errorCode) {
    if (!m_stream) {
        errorCode = MapErrnoToIoCode(EBADF);
        return false;
    }
    // A write refused on the way (a full disk) leaves its mark on the stream even when the
    // writer did not look at what fwrite returned: such a file is never finished.
    errno = 0;
    bool ok =
        std::fflush(m_stream) == 0 && !std::ferror(m_stream) && ::_commit(::_fileno(m_stream)) == 0;
    if (!ok)
        errorCode = MapErrnoToIoCode(errno ? errno : EIO);
    if (std::fclose(m_stream) != 0 && ok) {
        ok = false;
        errorCode = MapErrnoToIoCode(errno);
    }
    m_stream = nullptr;
    if (ok)
        m_identity = ReadFileIdentity(m_tempName);
    return ok;
}

bool AtomicFile::Commit(IoCode& errorCode, const std::string& backup) {
    if (m_stream || m_tempName.empty()) {
        errorCode = MapErrnoToIoCode(EBADF);
        return false;
    }
    const std::wstring target = win::WidePath(m_target);
    const DWORD previous = ::GetFileAttributesW(target.c_str());
    const bool exists =
        previous != INVALID_FILE_ATTRIBUTES && (previous & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (exists) {
        if (!ReplaceExisting(m_tempName, m_target, backup, previous, errorCode))
            return false;
    } else if (!Move(m_tempName, m_target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return Fail(errorCode, ::GetLastError());
    }
    m_tempName.clear();
    // The replace may carry the previous file's times and attributes over: what the target is
    // now is what the next save compares with.
    m_identity = ReadFileIdentity(m_target);
    return true;
}

void AtomicFile::Discard() noexcept {
    if (m_stream) {
        std::fclose(m_stream);
        m_stream = nullptr;
    }
    if (!m_tempName.empty()) {
        DiscardFile(m_tempName);
        m_tempName.clear();
    }
}

} // namespace lh::platform
