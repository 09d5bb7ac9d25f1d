#pragma once

// Reads a file the way the program's text-file reading sees it and hands each line's
// searchable text to an address scanner:
// - a line ends at CR, which is not part of it; an LF right after that CR is skipped, an LF
//   anywhere else is an ordinary byte (a file with LF line ends is one long line);
// - the byte 0x1A ends the file; the last line needs no line end;
// - only the bytes before a line's first NUL are searched.
//
// A file in another encoding is converted to code page 932 first (see ScanDecoder), so these
// rules and the scanners see the same bytes for the same text.
//
// The file is read in blocks into one buffer, so memory stays the same whatever the size of the
// file or of its lines. Progress is reported once per block: the amounts add up to the byte
// length of every line read + 2, the whole line counted even past a NUL; for a converted file
// they follow the bytes read from the file instead.

#include "AddressScanner.h"
#include "LineFeed.h"
#include "UserInterface.h"
#include "platform/IoCode.h"
#include "util/TextEncoding.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

class ScanDecoder;

class ScanFeeder {
public:
    static constexpr std::size_t kDefaultBlockSize = std::size_t{256} << 10;

    ScanFeeder(AddressScanner& scanner, ProgressSink& progress,
               std::size_t blockSize = kDefaultBlockSize);

    // Scans a file. False when it cannot be opened or read; `errorCode` then holds the
    // reason (not found, access denied, ...). Only regular files are read, and a
    // pipe when `acceptStream`; a folder or device is refused before any read. Addresses found
    // before a read error have been reported.
    bool FeedFile(const std::string& path, IoCode& errorCode, bool acceptStream = false);
    // Scans bytes in memory as if they were a file.
    void FeedBytes(std::string_view bytes);

    std::int64_t LinesRead() const noexcept { return m_line.LinesEnded(); }

    // Automatic by default; takes effect at the next file.
    void SetEncoding(EncodingChoice choice) noexcept { m_encoding = choice; }
    // What the last file was read as.
    Charset EncodingRead() const noexcept { return m_encodingRead; }

private:
    // Reads up to `size` bytes into `into`; returns the count, 0 at the end, -1 on an error.
    using ReadFunction = std::int64_t (*)(void* context, char* into, std::size_t size);
    bool Run(ReadFunction read, void* context);
    bool RunDecoded(ScanDecoder& decoder);
    // Sends the progress owed so far.
    void ReportProgress();

    LineFeed m_line;
    ProgressSink& m_progress;
    std::size_t m_blockSize;
    std::vector<char> m_buffer;

    EncodingChoice m_encoding = EncodingChoice::Auto;
    Charset m_encodingRead = Charset::Cp932;
    const ScanDecoder* m_decoder = nullptr; // while a file is read
    std::uint64_t m_fileBytesReported = 0;
};

} // namespace lh
