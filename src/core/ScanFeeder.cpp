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
    : m_line(scanner), m_progress(progress), m_blockSize(blockSize < 1 ? 1 : blockSize),
      m_buffer(m_blockSize + AddressScanner::kMaxHeldBack) {}

bool ScanFeeder::FeedFile(const std::string& path, IoCode& errorCode, bool acceptStream) {
    errorCode = {};
    InputFile file(OpenForReading(path, acceptStream, errorCode));
    if (!file)
        return false;
    // Reads go straight into our buffer; a stream buffer would only copy twice.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    errno = 0;
    if (!Run(&ReadInputFile, file.get())) {
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
    m_line.Reset();
    std::size_t held = 0;
    for (;;) {
        const std::int64_t got = decoder.Read(m_buffer.data() + held, m_blockSize);
        if (got < 0) {
            // What was read so far has been scanned; the open line is dropped with the error.
            ReportProgress();
            return false;
        }
        if (got == 0)
            break;
        const std::size_t fresh = static_cast<std::size_t>(got);
        const void* eof = std::memchr(m_buffer.data() + held, kEndOfFileMark, fresh);
        const std::size_t end =
            eof ? static_cast<std::size_t>(static_cast<const char*>(eof) - m_buffer.data())
                : held + fresh;
        held = m_line.Process(m_buffer.data(), end);
        std::memmove(m_buffer.data(), m_buffer.data() + end - held, held);
        if (eof)
            break;
        ReportProgress();
    }
    m_line.Finish(m_buffer.data(), held);
    ReportProgress();
    return true;
}

void ScanFeeder::ReportProgress() {
    const std::int64_t credit = m_line.TakeCredit();
    if (m_decoder && m_decoder->Converting()) {
        // The display counts the file's own bytes, which the converted text does not match.
        const std::uint64_t read = m_decoder->FileBytesRead();
        if (read > m_fileBytesReported)
            m_progress.ProgressStep(static_cast<std::int64_t>(read - m_fileBytesReported));
        m_fileBytesReported = read;
    } else if (credit > 0) {
        m_progress.ProgressStep(credit);
    }
}

} // namespace lh
