#pragma once

// Opening any file the user or a stranger named, for reading, in the program's I/O codes.

#include <cstdio>
#include <string>

namespace lh {

// Regular files only, and a pipe where `acceptStream` (read once, front to back). Otherwise
// nullptr with `code`: kIoIsFolder, kIoNotRegularFile, or the failed open's code (2, 5, ...).
std::FILE* OpenForReading(const std::string& path, bool acceptStream, int& code);

} // namespace lh
