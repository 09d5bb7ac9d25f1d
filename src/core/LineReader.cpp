#include "LineReader.h"

#include "InputOpen.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace lh {

LineReader::LineReader(std::size_t chunkSize) : m_chunk(std::max<std::size_t>(chunkSize, 1)) {}

LineReader::~LineReader() {
    Close();
}

void LineReader::Close() noexcept {
    if (m_file && m_ownsFile)
        std::fclose(m_file);
    m_file = nullptr;
    m_ownsFile = false;
}

bool LineReader::Open(const std::string& path) {
    Close();
    m_pos = m_end = m_eofMark = 0;
    m_done = m_skipLf = false;
    m_error = {};
    m_file = OpenForReading(path, false, m_error);
    if (!m_file) {
        m_done = true;
        return false;
    }
    m_ownsFile = true;
    // Our own chunks do the buffering.
    std::setvbuf(m_file, nullptr, _IONBF, 0);
    return true;
}

void LineReader::Attach(std::FILE* stream) {
    Close();
    m_file = stream;
    m_pos = m_end = m_eofMark = 0;
    m_done = m_skipLf = false;
    m_error = {};
}

bool LineReader::Fill() {
    if (!m_file)
        return false;
    errno = 0;
    const std::size_t n = std::fread(m_chunk.data(), 1, m_chunk.size(), m_file);
    if (n == 0) {
        if (std::ferror(m_file))
            m_error = platform::MapErrnoToIoCode(errno ? errno : EIO);
        return false;
    }
    m_pos = 0;
    m_end = n;
    const void* mark = std::memchr(m_chunk.data(), kEndOfFileMark, n);
    m_eofMark =
        mark ? static_cast<std::size_t>(static_cast<const char*>(mark) - m_chunk.data()) : n;
    return true;
}

void LineReader::Append(const char* bytes, std::size_t n) {
    const std::size_t room = m_limit > m_line.size() ? m_limit - m_line.size() : 0;
    const std::size_t keep = std::min(n, room);
    m_line.append(bytes, keep);
    if (keep < n)
        m_cut = true;
    m_lineLength += static_cast<std::int64_t>(n);
}

// The line ends with these bytes: a view into the chunk when the whole line lies there.
std::string_view LineReader::Finish(const char* bytes, std::size_t n) {
    if (m_lineLength == 0) {
        m_lineLength = static_cast<std::int64_t>(n);
        m_cut = n > m_limit;
        return std::string_view(bytes, std::min(n, m_limit));
    }
    Append(bytes, n);
    return m_line;
}

bool LineReader::Next(std::string_view& line) {
    if (m_done)
        return false;
    m_line.clear();
    m_lineLength = 0;
    m_cut = false;
    for (;;) {
        if (m_pos == m_end && !Fill()) {
            m_done = true;
            Close();
            // A last line without a line end still counts, an empty remainder does not.
            if (m_error || m_lineLength == 0)
                return false;
            line = m_line;
            return true;
        }
        if (m_skipLf) {
            m_skipLf = false;
            if (m_chunk[m_pos] == '\n') {
                ++m_pos;
                continue;
            }
        }
        const char* begin = m_chunk.data() + m_pos;
        const std::size_t limit = std::max(m_pos, m_eofMark);
        const void* cr = std::memchr(begin, '\r', limit - m_pos);
        if (cr) {
            const auto n = static_cast<std::size_t>(static_cast<const char*>(cr) - begin);
            line = Finish(begin, n);
            m_pos += n + 1;
            m_skipLf = true;
            return true;
        }
        if (m_eofMark < m_end) {
            // 0x1A: what stands before it is the last line.
            const std::size_t n = m_eofMark - m_pos;
            m_done = true;
            if (m_lineLength == 0 && n == 0) {
                Close();
                return false;
            }
            line = Finish(begin, n);
            // The view may point into the chunk, which stays; the file is no longer needed.
            m_pos = m_end;
            Close();
            return true;
        }
        Append(begin, m_end - m_pos);
        m_pos = m_end;
    }
}

} // namespace lh
