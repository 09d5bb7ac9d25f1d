#pragma once

// File-system services in the program's own terms. Paths are UTF-8 strings on every platform;
// on Windows the services turn them into UTF-16 for the system (never the system code page,
// which is not 932 on most machines), with "\\?\" for long paths. Attribute mapping on Linux:
// read-only = the user may not write the file or it has no write permission for anyone (so it
// holds for the superuser too), hidden = the name begins with ".", system and archive are never
// set.

#include "platform/IoCode.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace lh::platform {

struct FileAttributes {
    bool readOnly = false;
    bool hidden = false;
    bool system = false;
    bool archive = false;
    bool directory = false;
};

struct FileStat {
    std::int64_t size = 0;
    std::time_t lastWrite = 0; // seconds since the epoch
    FileAttributes attributes;
};

// False when nothing of that name exists (or it cannot be examined).
bool StatFile(const std::string& path, FileStat& out);
bool FileExists(const std::string& path);    // a file or folder of that name exists
bool IsRegularFile(const std::string& path); // exists and is not a folder
// True when the file carries the read-only attribute and no other one (system, hidden, archive).
bool IsExactlyReadOnly(const std::string& path);

// The name the file system opens for `path`: Windows drops trailing dots and spaces from it
// ("prog.EXE." opens prog.EXE); elsewhere the path itself.
std::string EffectivePath(std::string_view path);

// Deletes a file. Refuses read-only files, as the program must never replace those.
bool RemoveFile(const std::string& path);
// Renames, replacing an existing target, except a read-only one: that is refused, as the program
// must never replace read-only files. A read-only source may be renamed, as on Windows.
bool RenameFile(const std::string& from, const std::string& to);

// Path pieces. The separator is the platform's; no character is ever split.
char PathSeparator();
// Byte length of the path character starting at byte `at`: a whole UTF-8 sequence; 1 for a byte
// that starts no valid character, 0 at or past the end.
std::size_t PathCharLength(std::string_view path, std::size_t at);
std::string FileNamePart(std::string_view path);  // text after the last separator
std::string DirectoryPart(std::string_view path); // without the trailing separator (root kept)
// Extension with its dot (".htm"), from the last "." after the last separator; empty when none.
std::string ExtensionPart(std::string_view path);
bool IsAbsolutePath(std::string_view path);
std::string JoinPath(std::string_view dir, std::string_view name);

// Folder that holds the program file, without a trailing separator except for the root.
std::string ProgramDir();
// Full path of the program file.
std::string ProgramPath();

// Per-user folders.
std::string ConfigHome(); // $XDG_CONFIG_HOME or ~/.config
// $XDG_RUNTIME_DIR when it is a folder of this user's that no one else may enter, else a private
// per-user temporary folder; empty when none can be had.
std::string RuntimeDir();

// What the last failing call of this module met, and what an errno value means to the program.
// An error no kind stands for is Other with the system's number: the Windows error code as it is,
// and on Linux kOtherIoErrorBase + errno, so that a message never shows a small errno value that
// looks like one of the classic file error numbers (EIO is 5, "access denied" elsewhere).
constexpr int kOtherIoErrorBase = 1000;
IoCode LastIoErrorCode();
IoCode MapErrnoToIoCode(int err);

} // namespace lh::platform
