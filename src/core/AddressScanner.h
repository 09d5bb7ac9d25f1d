#pragma once

// Common ground of the URL and e-mail scanners. A scanner sees the searchable text of each line
// (the bytes before the line's first NUL) in pieces and reports addresses to an AddressSink.
//
// Lines can be far larger than any buffer, so a scanner carries its state from piece to piece:
// a line is scanned exactly as if it were searched whole, in one pass and without rescanning.

#include "AddressSink.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lh {

class AddressScanner {
public:
    // An "address" beyond this size is not an address anyone can use (a file with no delimiters
    // for megabytes); it is reported to AddressSink::TooLong instead of being held in memory.
    static constexpr std::size_t kMaxAddressBytes = std::size_t{1} << 20;
    // Bytes at the end of a piece a scanner may leave unconsumed when the line goes on.
    static constexpr std::size_t kMaxHeldBack = 8;

    explicit AddressScanner(AddressSink& sink) : m_sink(sink) {}
    virtual ~AddressScanner() = default;
    AddressScanner(const AddressScanner&) = delete;
    AddressScanner& operator=(const AddressScanner&) = delete;

    // Takes the next piece of the current line's searchable text. The piece starts at a
    // character boundary and holds no NUL, CR or 0x1A. `lineEnds` marks the last piece of the
    // line (it may be empty). Returns the bytes consumed: all of them when the line ends,
    // otherwise all but at most kMaxHeldBack, which must come again at the front of the next
    // piece. The consumed part always ends at a character boundary.
    virtual std::size_t Feed(const char* data, std::size_t size, bool lineEnds) = 0;

protected:
    // Text carried from one piece to the next, kept only while it is short enough to matter.
    class CarriedText {
    public:
        void Append(std::string_view s) {
            m_bytes += s.size();
            if (m_bytes <= kMaxAddressBytes)
                m_text.append(s);
            else
                m_text.clear();
        }
        void Append(const CarriedText& other) {
            m_bytes += other.m_bytes;
            if (m_bytes <= kMaxAddressBytes)
                m_text.append(other.m_text);
            else
                m_text.clear();
        }
        void Clear() noexcept {
            m_text.clear();
            m_bytes = 0;
        }
        void Take(CarriedText& other) noexcept {
            m_text.swap(other.m_text);
            m_bytes = other.m_bytes;
            other.Clear();
        }
        std::uint64_t Bytes() const noexcept { return m_bytes; }
        // Valid when Bytes() <= kMaxAddressBytes.
        const std::string& Text() const noexcept { return m_text; }

    private:
        std::string m_text;
        std::uint64_t m_bytes = 0;
    };

    void Report(std::string_view address) { m_sink.Found(address); }
    void ReportTooLong(std::uint64_t bytes) { m_sink.TooLong(bytes); }

private:
    AddressSink& m_sink;
};

} // namespace lh
