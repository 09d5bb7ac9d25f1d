#pragma once

// Opening a file that someone named for reading, without trusting what it is. A name may stand
// for a folder, a device that never ends (/dev/zero), or a pipe whose open waits for a writer:
// reading any of those as a document would hang the program or fill its memory. Only regular
// files are read, and a pipe only where the caller can read a stream.

#include "platform/IoCode.h"

#include <cstdio>
#include <string>

namespace lh::platform {

enum class InputKind {
    Missing, // nothing of that name, or it cannot be examined
    Regular,
    Folder,
    Stream, // a pipe or FIFO: readable once, front to back, with no size
    Device, // anything else: devices, sockets
};

// What `path` names, without opening it.
InputKind InputKindOf(const std::string& path);

// Opens `path` for binary reading. Never waits in the open itself. A regular file always opens;
// a stream only when `acceptStream`, and then the first read waits for its writer. Otherwise
// nullptr, with `kind` telling what the name stands for and `errorCode` the program's I/O code
// when the open itself failed (None when the kind alone was refused).
std::FILE* OpenInputFile(const std::string& path, bool acceptStream, InputKind& kind,
                         IoCode& errorCode);

} // namespace lh::platform
