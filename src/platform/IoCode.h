#pragma once

// Why a file operation failed, in the program's terms. The platform files map the system's
// error numbers (errno, GetLastError) to these kinds; a number no kind stands for stays Other,
// with the number kept for the message.

namespace lh {

enum class IoErrorKind {
    None,
    NotFound,
    BadName,
    TooManyOpenFiles,
    AccessDenied,
    ReadPastEnd,
    DiskFull,
    NotANumber,
    // The target exists and cannot be replaced (read-only, a folder, in use).
    CannotReplace,
    // A line that matters to the reader is too long to hold in memory.
    LineTooLong,
    // The name stands for a folder, where a file was wanted.
    IsFolder,
    // The name stands for a device, a pipe or a socket: nothing the program reads as a file.
    NotRegularFile,
    // The file on disk is no longer the version that was read: another program wrote it since.
    ChangedOnDisk,
    // The name is a symbolic link that leads nowhere.
    DanglingLink,
    // Another program held the file's write lock for the whole wait.
    WriterBusy,
    // A file to import is larger than any export of another program would be.
    FileTooLarge,
    // A file to import is not written in the format it was read as.
    NotThisFormat,
    // A system error no other kind stands for; IoCode::systemCode tells which.
    Other,
};

// The outcome of a file operation: None when it succeeded.
struct IoCode {
    IoErrorKind kind = IoErrorKind::None;
    // With Other, the number the message shows for it.
    int systemCode = 0;

    constexpr IoCode() noexcept = default;
    constexpr IoCode(IoErrorKind k, int system = 0) noexcept : kind(k), systemCode(system) {}

    constexpr bool operator==(const IoCode&) const noexcept = default;
    constexpr bool operator==(IoErrorKind k) const noexcept { return kind == k; }
    // True when the operation failed.
    constexpr explicit operator bool() const noexcept { return kind != IoErrorKind::None; }
};

} // namespace lh
