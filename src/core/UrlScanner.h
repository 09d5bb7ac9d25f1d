#pragma once

// Finds web addresses: every "HTTP://" in any ASCII letter case that starts at a character
// boundary, running to the first terminator character, the next "HTTP://" or the end of the
// line's searchable text, with at least one character after "HTTP://".

#include "AddressScanner.h"

namespace lh {

class UrlScanner final : public AddressScanner {
public:
    using AddressScanner::AddressScanner;

    std::size_t Feed(const char* data, std::size_t size, bool lineEnds) override;

    // The twelve characters that end a URL: 11 ASCII ones and the full-width space.
    static bool IsTerminator(unsigned char first, unsigned char second) noexcept;

private:
    // Emits or drops the URL whose bytes are the carried ones plus [from, to) of this piece.
    void FinishUrl(const char* from, const char* to);

    bool m_inUrl = false;
    CarriedText m_url; // bytes of the URL in earlier pieces
};

} // namespace lh
