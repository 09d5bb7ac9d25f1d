#pragma once

// Reads a file the way the program's text-file reading sees it and hands each line's
// searchable text to an address scanner:
// - a line ends at CR, which is not part of it; an LF right after that CR is skipped, an LF
//   anywhere else is an ordinary byte (a file with LF line ends is one long line);
// - the byte 0x1A ends the file; the last line needs no line end;
// - only the bytes before a line's first NUL are searched.
//
// The file is read in blocks into one buffer, so memory stays the same whatever the size of the
// file or of its lines. Progress is reported once per block: the amounts add up to the byte
// length of every line read + 2, the whole line counted even past a NUL.

#include "AddressScanner.h"
#include "UserInterface.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

class ScanFeeder {
public:
    static constexpr std::size_t kDefaultBlockSize = std::size_t{256} << 10;

    ScanFeeder(AddressScanner& scanner, ProgressSink& progress,
               std::size_t blockSize = kDefaultBlockSize);

    // Scans a file. False when it cannot be opened or read; `errorCode` then holds the
    // program's I/O code (2 not found, 5 access denied, ...). Only regular files are read, and a
    // pipe when `acceptStream`; a folder or device is refused before any read. Addresses found
    // before a read error have been reported.
    bool FeedFile(const std::string& path, int& errorCode, bool acceptStream = false);
    // Scans bytes in memory as if they were a file.
    void FeedBytes(std::string_view bytes);

    std::int64_t LinesRead() const noexcept { return m_lines; }

private:
    // Reads up to `size` bytes into `into`; returns the count, 0 at the end, -1 on an error.
    using ReadFunction = std::int64_t (*)(void* context, char* into, std::size_t size);
    bool Run(ReadFunction read, void* context);
    void ProcessBlock(std::size_t end);
    void FinishFile();

    AddressScanner& m_scanner;
    ProgressSink& m_progress;
    std::size_t m_blockSize;
    std::vector<char> m_buffer;

    std::size_t m_held = 0;    // unconsumed searchable bytes of the open line, at the buffer front
    bool m_lineOpen = false;   // bytes of a line not yet ended by CR have been read
    bool m_ignoring = false;   // a NUL was seen in the open line: the rest is not searched
    bool m_skipLf = false;     // the last block ended with the CR of a line
    std::int64_t m_credit = 0; // progress owed for bytes and line ends seen since the last step
    std::int64_t m_lines = 0;
};

} // namespace lh
