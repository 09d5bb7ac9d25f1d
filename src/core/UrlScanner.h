#pragma once

// Finds web addresses: every "HTTP://" (and, when asked, "HTTPS://") in any ASCII letter case
// that starts at a character boundary, running to the first terminator character, the next
// start or the end of the line's searchable text, with at least one character after the start.
// A line feed is a terminator: an address never holds one, and a file with LF line ends must not
// join its lines into one address.

#include "AddressScanner.h"

namespace lh {

class UrlScanner final : public AddressScanner {
public:
    using AddressScanner::AddressScanner;
    UrlScanner(AddressSink& sink, bool alsoHttps) : AddressScanner(sink), m_https(alsoHttps) {}

    std::size_t Feed(const char* data, std::size_t size, bool lineEnds) override;

    // The characters that end a URL: 11 ASCII ones, the line feed and the full-width space.
    static bool IsTerminator(unsigned char first, unsigned char second) noexcept;

private:
    // Emits or drops the URL whose bytes are the carried ones plus [from, to) of this piece.
    void FinishUrl(const char* from, const char* to);

    // Length of the start at p (7 or 8), 0 when none begins there; n bytes are readable.
    std::size_t StartAt(const char* p, std::size_t n) const noexcept;
    std::size_t NextStart(const char* p, std::size_t from, std::size_t n,
                          std::size_t& length) const noexcept;

    bool m_https = false;
    bool m_inUrl = false;
    std::size_t m_startLength = 0; // of the current URL's start
    CarriedText m_url;             // bytes of the URL in earlier pieces
};

} // namespace lh
