#pragma once

// Replacing a file without ever leaving it half written: the new version is written to a file
// of its own beside the target, flushed to the disk, and only then moved over the target in one
// step, so the target's name always holds one whole version. Failures come as an IoCode.

#include "platform/IoCode.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace lh::platform {

// What tells one version of a file from the next. A save moves a new file into place, which
// changes the file number; a writer in place changes the size or the modification time.
struct FileIdentity {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t fileNumber = 0; // the inode; the file index on Windows
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;

    bool operator==(const FileIdentity&) const = default;
};

// Identity of the file `path` names now, links followed; `exists` is false when there is none.
FileIdentity ReadFileIdentity(const std::string& path);

// The file a save of `path` has to replace: `path` itself, or the file its symbolic links lead
// to, so that a link stays a link and the real file gets the new version. False with
// `danglingLink` set when a link leads nowhere; false with `errorCode` when the links cannot be
// followed (a loop, a folder that cannot be searched).
bool ResolveSaveTarget(const std::string& path, std::string& resolved, bool& danglingLink,
                       IoCode& errorCode);

// True when both names lead to one existing file, compared by identity, so that letter case,
// short names and links are seen through as the file system does.
bool IsSameFile(const std::string& a, const std::string& b);

// The new version of one file. Create() makes it beside the target with the target's
// permissions from the first byte on; the caller writes through Stream(); Finish() makes it
// complete on disk; Commit() moves it over the target. An object destroyed before Commit()
// leaves no file behind, and a process killed meanwhile leaves none either where the system has
// anonymous files (elsewhere a later save beside it clears it away once its writer has ended).
class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // `target` is the file to replace, already resolved (ResolveSaveTarget).
    bool Create(const std::string& target, IoCode& errorCode);
    std::FILE* Stream() const noexcept { return m_stream; }
    // Pushes everything written through to the disk and closes the stream.
    bool Finish(IoCode& errorCode);
    // The finished file, which the target becomes on Commit().
    const FileIdentity& Identity() const noexcept { return m_identity; }
    // Moves the finished file over the target in one step and makes the change durable. With a
    // `backup` name the previous target lives on under it (an older file of that name goes),
    // and the target's name never stands empty meanwhile. A target that cannot be kept is still
    // replaced, except a read-only one: that stays as it is, and the call fails with AccessDenied.
    bool Commit(IoCode& errorCode, const std::string& backup = {});
    void Discard() noexcept;

private:
    std::string m_target;
    std::string m_tempName; // empty while the file has no name of its own
    std::FILE* m_stream = nullptr;
    int m_fd = -1; // the stream's descriptor where the system has them
    FileIdentity m_identity;
};

} // namespace lh::platform
