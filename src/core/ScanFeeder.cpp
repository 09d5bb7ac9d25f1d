#include "ScanFeeder.h"

#include "InputOpen.h"
#include "ScanDecoder.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace lh {

namespace {

constexpr char kEndOfFile = 0x1A;

struct FileCloser {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};

std::int64_t ReadFromFile(void* context, char* into, std::size_t size) {
    auto* file = static_cast<std::FILE*>(context);
    const std::size_t got = std::fread(into, 1, size, file);
    if (got == 0 && std::ferror(file))
        return -1;
    return static_cast<std::int64_t>(got);
}

struct MemorySource {
    std::string_view rest;
};

std::int64_t ReadFromMemory(void* context, char* into, std::size_t size) {
    auto* source = static_cast<MemorySource*>(context);
    const std::size_t n = std::min(size, source->rest.size());
    std::memcpy(into, source->rest.data(), n);
    source->rest.remove_prefix(n);
    return static_cast<std::int64_t>(n);
}

} // namespace

ScanFeeder::ScanFeeder(AddressScanner& scanner, ProgressSink& progress, std::size_t blockSize)
    : m_scanner(scanner), m_progress(progress), m_blockSize(blockSize < 1 ? 1 : blockSize),
      m_buffer(m_blockSize + AddressScanner::kMaxHeldBack) {}

bool ScanFeeder::FeedFile(const std::string& path, IoCode& errorCode, bool acceptStream) {
    errorCode = {};
    std::unique_ptr<std::FILE, FileCloser> file(OpenForReading(path, acceptStream, errorCode));
    if (!file)
        return false;
    // Reads go straight into our buffer; a stream buffer would only copy twice.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    errno = 0;
    if (!Run(&ReadFromFile, file.get())) {
        errorCode =
            errno != 0 ? platform::MapErrnoToIoCode(errno) : IoCode(IoErrorKind::ReadPastEnd);
        return false;
    }
    return true;
}

void ScanFeeder::FeedBytes(std::string_view bytes) {
    MemorySource source{bytes};
    Run(&ReadFromMemory, &source);
}

bool ScanFeeder::Run(ReadFunction read, void* context) {
    ScanDecoder decoder(read, context, m_encoding, m_blockSize);
    m_decoder = &decoder;
    m_fileBytesReported = 0;
    const bool ok = RunDecoded(decoder);
    m_encodingRead = decoder.Encoding();
    m_decoder = nullptr;
    return ok;
}

bool ScanFeeder::RunDecoded(ScanDecoder& decoder) {
    m_held = 0;
    m_lineOpen = m_ignoring = m_skipLf = false;
    m_credit = 0;
    m_lines = 0;
    for (;;) {
        const std::int64_t got = decoder.Read(m_buffer.data() + m_held, m_blockSize);
        if (got < 0) {
            // What was read so far has been scanned; the open line is dropped with the error.
            ReportProgress();
            return false;
        }
        if (got == 0)
            break;
        const std::size_t fresh = static_cast<std::size_t>(got);
        const void* eof = std::memchr(m_buffer.data() + m_held, kEndOfFile, fresh);
        const std::size_t end =
            eof ? static_cast<std::size_t>(static_cast<const char*>(eof) - m_buffer.data())
                : m_held + fresh;
        m_credit += static_cast<std::int64_t>(end - m_held);
        ProcessBlock(end);
        if (eof)
            break;
        ReportProgress();
    }
    FinishFile();
    return true;
}

void ScanFeeder::ReportProgress() {
    if (m_decoder && m_decoder->Converting()) {
        // The display counts the file's own bytes, which the converted text does not match.
        const std::uint64_t read = m_decoder->FileBytesRead();
        if (read > m_fileBytesReported)
            m_progress.ProgressStep(static_cast<std::int64_t>(read - m_fileBytesReported));
        m_fileBytesReported = read;
    } else if (m_credit > 0) {
        m_progress.ProgressStep(m_credit);
    }
    m_credit = 0;
}

void ScanFeeder::ProcessBlock(std::size_t end) {
    char* const buf = m_buffer.data();
    std::size_t pos = 0;
    if (m_skipLf && end > 0) {
        m_skipLf = false;
        if (buf[0] == '\n') {
            pos = 1;
            --m_credit;
        }
    }
    // The next NUL at or after `pos`, found once per stretch rather than once per line.
    std::size_t nul = pos;
    bool nulKnown = false;
    while (pos < end) {
        m_lineOpen = true;
        const void* crHit = std::memchr(buf + pos, '\r', end - pos);
        const std::size_t lineEnd =
            crHit ? static_cast<std::size_t>(static_cast<const char*>(crHit) - buf) : end;
        if (!m_ignoring) {
            if (!nulKnown || nul < pos) {
                const void* nulHit = std::memchr(buf + pos, '\0', end - pos);
                nul =
                    nulHit ? static_cast<std::size_t>(static_cast<const char*>(nulHit) - buf) : end;
                nulKnown = true;
            }
            const bool cut = nul < lineEnd;
            const std::size_t textEnd = cut ? nul : lineEnd;
            const std::size_t consumed =
                m_scanner.Feed(buf + pos, textEnd - pos, cut || crHit != nullptr);
            if (cut) {
                m_ignoring = true;
            } else if (!crHit) {
                // The line goes on in the next block: keep what the scanner held back.
                m_held = textEnd - pos - consumed;
                std::memmove(buf, buf + pos + consumed, m_held);
                return;
            }
        }
        if (!crHit) {
            m_held = 0;
            return;
        }
        // A line ends: its CR (and an LF right after) are not line bytes, but count as 2.
        ++m_lines;
        m_lineOpen = m_ignoring = false;
        m_credit += 1; // the CR was counted as a byte; the line end is worth 2
        pos = lineEnd + 1;
        if (pos < end) {
            if (buf[pos] == '\n') {
                ++pos;
                --m_credit;
            }
        } else {
            m_skipLf = true;
        }
    }
    m_held = 0;
}

void ScanFeeder::FinishFile() {
    if (m_lineOpen) {
        if (!m_ignoring)
            m_scanner.Feed(m_buffer.data(), m_held, true);
        ++m_lines;
        m_credit += 2;
    }
    m_held = 0;
    m_lineOpen = false;
    ReportProgress();
}

} // namespace lh
