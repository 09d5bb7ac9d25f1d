#pragma once

// Streaming reader of text lines with the program's line rule: a CR ends a line, an LF right
// after that CR belongs to the line end, any other LF is an ordinary byte of the line, the byte
// 0x1A ends the file, and the last line needs no line end. Reads in large chunks and hands out
// views, copying only lines that straddle two chunks (into one reused buffer).

#include "platform/IoCode.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

class LineReader {
public:
    static constexpr std::size_t kDefaultChunkSize = std::size_t{1} << 20;

    explicit LineReader(std::size_t chunkSize = kDefaultChunkSize);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Opens a regular file for reading. False with ErrorCode() set when it cannot be opened or
    // is no regular file (a folder, a device, a pipe).
    bool Open(const std::string& path);
    // Reads from a stream the caller owns and closes.
    void Attach(std::FILE* stream);

    // The next line without its line end; the view stays valid until the next call. False at
    // the end of the file or on a read error (then ErrorCode() is set).
    bool Next(std::string_view& line);

    // Byte length of the last line in the file, also when the view was cut short.
    std::int64_t LineLength() const noexcept { return m_lineLength; }
    // True when the last line was longer than the line limit and only its start is in the view.
    bool LineCut() const noexcept { return m_cut; }
    // Lines longer than this are handed out cut to their first `maxBytes` bytes; the rest is
    // skipped without being held in memory.
    void SetLineLimit(std::size_t maxBytes) noexcept { m_limit = maxBytes; }

    // Why the file failed (not found, access denied, ...); None when it did not.
    IoCode ErrorCode() const noexcept { return m_error; }

private:
    bool Fill();
    void Append(const char* bytes, std::size_t n);
    std::string_view Finish(const char* bytes, std::size_t n);
    void Close() noexcept;

    std::FILE* m_file = nullptr;
    bool m_ownsFile = false;
    std::vector<char> m_chunk;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    std::size_t m_eofMark = 0; // first 0x1A in the chunk, or m_end
    std::string m_line;        // a line that straddles chunks
    std::int64_t m_lineLength = 0;
    std::size_t m_limit = std::numeric_limits<std::size_t>::max();
    bool m_cut = false;
    bool m_skipLf = false;
    bool m_done = false;
    IoCode m_error;
};

} // namespace lh
