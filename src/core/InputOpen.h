#pragma once

// Opening any file the user or a stranger named, for reading, in the program's I/O codes.

#include "platform/IoCode.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace lh {

// The byte that ends a text file where it stands, as old editors wrote it: what follows is
// not part of the text.
constexpr char kEndOfFileMark = 0x1A;

// Regular files only, and a pipe where `acceptStream` (read once, front to back). Otherwise
// nullptr with `code`: IsFolder, NotRegularFile, NotFound, or what the failed open met.
std::FILE* OpenForReading(const std::string& path, bool acceptStream, IoCode& code);

struct InputFileCloser {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};
using InputFile = std::unique_ptr<std::FILE, InputFileCloser>;

// The read callback the scan's decoders take, over an opened std::FILE: the bytes read, 0 at
// the end, -1 on a read error (errno says which).
std::int64_t ReadInputFile(void* file, char* into, std::size_t size);

} // namespace lh
