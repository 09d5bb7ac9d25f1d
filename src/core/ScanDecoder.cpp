#include "ScanDecoder.h"

#include <algorithm>
#include <cstring>

namespace lh {

ScanDecoder::ScanDecoder(ReadFunction read, void* context, EncodingChoice choice,
                         std::size_t pieceSize)
    : m_read(read), m_context(context), m_choice(choice),
      m_pieceSize(std::max(pieceSize, platform::ToCp932Converter::kMinOutput)) {}

std::int64_t ScanDecoder::ReadFile(char* into, std::size_t size) {
    const std::int64_t got = m_read(m_context, into, size);
    if (got > 0)
        m_fileBytes += static_cast<std::uint64_t>(got);
    return got;
}

bool ScanDecoder::Start() {
    m_started = true;
    // The head is read whole whatever the piece size, so the guess never depends on it.
    m_in.resize(std::max(kEncodingHeadBytes, m_pieceSize));
    while (m_inEnd < kEncodingHeadBytes) {
        const std::int64_t got = ReadFile(m_in.data() + m_inEnd, kEncodingHeadBytes - m_inEnd);
        if (got < 0)
            return false;
        if (got == 0) {
            m_fileEnded = true;
            break;
        }
        m_inEnd += static_cast<std::size_t>(got);
    }
    const EncodingGuess guess =
        GuessEncoding(m_choice, std::string_view(m_in.data(), m_inEnd), m_fileEnded);
    m_inBegin = guess.bomBytes;
    m_charset = guess.charset;
    if (m_charset != Charset::Cp932) {
        m_converter = platform::ToCp932Converter::Open(m_charset, kSubstitute);
        if (!m_converter) {
            // Without a converter the file is read as it always was.
            m_charset = Charset::Cp932;
            m_inBegin = 0;
        }
    }
    if (m_converter)
        m_out.resize(m_pieceSize);
    return true;
}

bool ScanDecoder::ReadMore() {
    // Keep the unconverted rest (a character's first bytes) at the front, then read on.
    std::memmove(m_in.data(), m_in.data() + m_inBegin, m_inEnd - m_inBegin);
    m_inEnd -= m_inBegin;
    m_inBegin = 0;
    if (m_in.size() < m_inEnd + m_pieceSize)
        m_in.resize(m_inEnd + m_pieceSize);
    const std::int64_t got = ReadFile(m_in.data() + m_inEnd, m_pieceSize);
    if (got < 0) {
        m_failed = true;
        return false;
    }
    if (got == 0)
        m_fileEnded = true;
    m_inEnd += static_cast<std::size_t>(got);
    return true;
}

std::size_t ScanDecoder::ConvertInto(char* into, std::size_t size) {
    for (;;) {
        if (!m_fileEnded && m_inEnd - m_inBegin < m_pieceSize && !ReadMore())
            return 0;
        if (m_inBegin == m_inEnd && m_fileEnded)
            return 0;
        const platform::ToCp932Converter::Step step = m_converter->Convert(
            m_in.data() + m_inBegin, m_inEnd - m_inBegin, into, size, m_fileEnded);
        m_inBegin += step.consumed;
        if (step.produced > 0)
            return step.produced;
        if (step.consumed == 0 && m_fileEnded) {
            // A converter that takes nothing at the very end would loop forever: give up the rest.
            m_inBegin = m_inEnd;
            return 0;
        }
    }
}

std::int64_t ScanDecoder::Read(char* into, std::size_t size) {
    if (m_failed)
        return -1;
    if (!m_started && !Start())
        return -1;
    if (!m_converter) {
        if (m_inBegin < m_inEnd) {
            const std::size_t n = std::min(size, m_inEnd - m_inBegin);
            std::memcpy(into, m_in.data() + m_inBegin, n);
            m_inBegin += n;
            return static_cast<std::int64_t>(n);
        }
        if (m_fileEnded)
            return 0;
        return ReadFile(into, size);
    }
    if (m_outBegin == m_outEnd) {
        // With room enough the text goes straight into the caller's buffer, saving a copy.
        if (size >= platform::ToCp932Converter::kMinOutput) {
            const std::size_t n = ConvertInto(into, size);
            return m_failed ? -1 : static_cast<std::int64_t>(n);
        }
        m_outBegin = 0;
        m_outEnd = ConvertInto(m_out.data(), m_out.size());
        if (m_outEnd == 0)
            return m_failed ? -1 : 0;
    }
    const std::size_t n = std::min(size, m_outEnd - m_outBegin);
    std::memcpy(into, m_out.data() + m_outBegin, n);
    m_outBegin += n;
    return static_cast<std::int64_t>(n);
}

} // namespace lh
