#pragma once

// The bytes of a scanned file as code page 932: the start of the file decides (or the user's
// choice fixes) its encoding, then the file is converted piece by piece as it is read. Code page
// 932 files pass straight through without a copy.

#include "platform/TextConverter.h"
#include "util/TextEncoding.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lh {

class ScanDecoder {
public:
    // Reads up to `size` bytes into `into`; returns the count, 0 at the end, -1 on an error.
    using ReadFunction = std::int64_t (*)(void* context, char* into, std::size_t size);

    // A character that code page 932 cannot hold becomes this byte: it ends an address in both
    // scanners and begins none.
    static constexpr char kSubstitute = ' ';

    ScanDecoder(ReadFunction read, void* context, EncodingChoice choice, std::size_t pieceSize);

    // Like ReadFunction, with code page 932 text.
    std::int64_t Read(char* into, std::size_t size);

    // What the file is read as; known after the first Read.
    Charset Encoding() const noexcept { return m_charset; }
    bool Converting() const noexcept { return m_converter != nullptr; }
    // Bytes taken from the file so far.
    std::uint64_t FileBytesRead() const noexcept { return m_fileBytes; }

private:
    bool Start();
    std::int64_t ReadFile(char* into, std::size_t size);
    // Reads the next piece of the file behind what is left; false on a read error.
    bool ReadMore();
    // Converts into `into` (at least kMinOutput bytes); 0 at the end or on a read error.
    std::size_t ConvertInto(char* into, std::size_t size);

    ReadFunction m_read;
    void* m_context;
    EncodingChoice m_choice;
    std::size_t m_pieceSize;
    bool m_started = false;
    bool m_failed = false;
    bool m_fileEnded = false;
    Charset m_charset = Charset::Cp932;
    std::unique_ptr<platform::ToCp932Converter> m_converter;
    std::uint64_t m_fileBytes = 0;

    std::vector<char> m_in; // file bytes not yet converted (or served) at [m_inBegin, m_inEnd)
    std::size_t m_inBegin = 0;
    std::size_t m_inEnd = 0;
    std::vector<char> m_out; // converted bytes not yet served at [m_outBegin, m_outEnd)
    std::size_t m_outBegin = 0;
    std::size_t m_outEnd = 0;
};

} // namespace lh
