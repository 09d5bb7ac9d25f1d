#pragma once

// Finds e-mail addresses: every "@" at a character boundary, widened to the left and to the
// right up to the nearest delimiter (29 characters, "@" among them, and the line feed: an
// address never holds one, and a file with LF line ends must not join its lines) or the ends of
// the line's
// searchable text, with at least one character on each side. The address is reported without
// any prefix. The search goes on right after each "@", so "a@b@c" gives "a@b" and "b@c".

#include "AddressScanner.h"

namespace lh {

class EmailScanner final : public AddressScanner {
public:
    using AddressScanner::AddressScanner;

    std::size_t Feed(const char* data, std::size_t size, bool lineEnds) override;

    // The delimiters: 28 ASCII characters, the line feed and the full-width space.
    static bool IsDelimiter(unsigned char first, unsigned char second) noexcept;

private:
    enum class WalkEnd { Stopped, NeedMore, PieceEnd };
    // Walks the right part from `from`; `end` is where it stopped.
    static WalkEnd WalkRight(const char* p, std::size_t from, std::size_t n, bool lineEnds,
                             std::size_t& end) noexcept;
    // Emits left + "@" + right where each part is a carried text followed by bytes of the piece.
    void Emit(const CarriedText* leftCarried, std::string_view left,
              const CarriedText* rightCarried, std::string_view right);
    void ResetLine() noexcept;

    CarriedText m_run; // the run of non-delimiters that ends where the piece begins
    bool m_inRight = false;
    CarriedText m_left;  // while in the right part: the left part before its "@"
    CarriedText m_right; // while in the right part: its bytes in earlier pieces
    std::string m_scratch;
};

} // namespace lh
