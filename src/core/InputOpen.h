#pragma once

// Opening any file the user or a stranger named, for reading, in the program's I/O codes.

#include "platform/IoCode.h"

#include <cstdio>
#include <string>

namespace lh {

// Regular files only, and a pipe where `acceptStream` (read once, front to back). Otherwise
// nullptr with `code`: IsFolder, NotRegularFile, NotFound, or what the failed open met.
std::FILE* OpenForReading(const std::string& path, bool acceptStream, IoCode& code);

} // namespace lh
