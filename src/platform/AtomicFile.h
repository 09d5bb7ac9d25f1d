#pragma once

// The steps of replacing a file without ever leaving it half written: a new file beside the
// target, flushed to the disk, then moved over the target in one step. Error codes are the
// program's I/O codes (see MapErrnoToIoCode).

#include <cstdio>
#include <string>

namespace lh::platform {

// Creates a new, empty file in the folder of `target` under a name of its own and opens it for
// writing. It gets the permissions of `target` when that exists, else those of a new file.
std::FILE* CreateFileBeside(const std::string& target, std::string& created, int& errorCode);

// Pushes everything written to `file` through to the disk.
bool FlushToDisk(std::FILE* file, int& errorCode);

// Moves `from` over `to` in one step, replacing `to`, and makes the change durable.
bool MoveIntoPlace(const std::string& from, const std::string& to, int& errorCode);

// Moves `from` over the existing `to` and keeps the previous `to` under `backup` (an older file
// of that name goes). When `to` cannot be kept under that name, the move goes on without it; a
// read-only `to` that could not move aside is never replaced (code 5).
bool ReplaceKeepingBackup(const std::string& from, const std::string& to, const std::string& backup,
                          int& errorCode);

// Removes a file this program created and gives up on, whatever its attributes.
void DiscardFile(const std::string& path);

} // namespace lh::platform
