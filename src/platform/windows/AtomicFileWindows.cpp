#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
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

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
} // namespace

FileIdentity ReadFileIdentity(const std::string& path) {
    const HANDLE h = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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
                       int& errorCode) {
    danglingLink = false;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        resolved = path;
        return true;
    }
    const HANDLE h = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        danglingLink = err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
        errorCode = MapWinError(err);
        return false;
    }
    char buffer[MAX_PATH * 4];
    const DWORD n = ::GetFinalPathNameByHandleA(h, buffer, sizeof buffer, FILE_NAME_NORMALIZED);
    ::CloseHandle(h);
    if (n == 0 || n >= sizeof buffer) {
        resolved = path;
        return true;
    }
    std::string real(buffer, n);
    if (real.rfind("\\\\?\\UNC\\", 0) == 0)
        real = "\\\\" + real.substr(8);
    else if (real.rfind("\\\\?\\", 0) == 0)
        real = real.substr(4);
    resolved = real;
    return true;
}

bool KeepAsBackup(const std::string& target, const std::string& backup, int& errorCode) {
    RemoveFile(backup);
    if (::CreateHardLinkA(backup.c_str(), target.c_str(), nullptr))
        return true;
    if (::CopyFileA(target.c_str(), backup.c_str(), TRUE))
        return true;
    errorCode = MapWinError(::GetLastError());
    return false;
}

AtomicFile::~AtomicFile() {
    Discard();
}

bool AtomicFile::Create(const std::string& target, int& errorCode) {
    Discard();
    m_target = target;
    // The folder of the target, "." for a bare name.
    const std::string folder = DirectoryPart(target);
    const std::string dir = folder.empty() ? std::string(1, '.') : folder;
    char name[MAX_PATH + 1];
    if (::GetTempFileNameA(dir.c_str(), "lh", 0, name) == 0) {
        errorCode = MapWinError(::GetLastError());
        return false;
    }
    m_tempName = name;
    m_stream = std::fopen(name, "wb");
    if (!m_stream) {
        errorCode = MapErrnoToIoCode(errno);
        Discard();
        return false;
    }
    errorCode = 0;
    return true;
}

bool AtomicFile::Finish(int& errorCode) {
    if (!m_stream) {
        errorCode = MapErrnoToIoCode(EBADF);
        return false;
    }
    bool ok = std::fflush(m_stream) == 0 && ::_commit(::_fileno(m_stream)) == 0;
    if (!ok)
        errorCode = MapErrnoToIoCode(errno);
    if (std::fclose(m_stream) != 0 && ok) {
        ok = false;
        errorCode = MapErrnoToIoCode(errno);
    }
    m_stream = nullptr;
    if (ok)
        m_identity = ReadFileIdentity(m_tempName);
    return ok;
}

bool AtomicFile::Commit(int& errorCode) {
    if (m_stream || m_tempName.empty()) {
        errorCode = MapErrnoToIoCode(EBADF);
        return false;
    }
    if (!::MoveFileExA(m_tempName.c_str(), m_target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        errorCode = MapWinError(::GetLastError());
        return false;
    }
    m_tempName.clear();
    return true;
}

void AtomicFile::Discard() noexcept {
    if (m_stream) {
        std::fclose(m_stream);
        m_stream = nullptr;
    }
    if (!m_tempName.empty()) {
        ::DeleteFileA(m_tempName.c_str());
        m_tempName.clear();
    }
}

} // namespace lh::platform
