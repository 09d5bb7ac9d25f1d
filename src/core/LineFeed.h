#pragma once

// The program's text-file line rules over code page 932 text that arrives in pieces, handing
// each line's searchable text to an address scanner:
// - a line ends at CR, which is not part of it; an LF right after that CR is skipped, an LF
//   anywhere else is an ordinary byte of the line;
// - only the bytes before a line's first NUL are searched.
// The end of the file (0x1A, or the last byte) is the caller's to find.
//
// Progress is kept as a credit: the byte length of every line + 2, the whole line counted even
// past a NUL.

#include "AddressScanner.h"

#include <cstddef>
#include <cstdint>

namespace lh {

class LineFeed {
public:
    explicit LineFeed(AddressScanner& scanner) : m_scanner(scanner) {}

    // Starts afresh: at the start of a file, or where text continues after a line break the
    // scanner needs no memory of. `lineOpen`: the bytes before belong to a line not yet ended
    // (the text starts after an LF inside one); `skipLf`: the text before ended with a CR.
    void Reset(bool lineOpen = false, bool skipLf = false) noexcept;

    // Scans buf[0, end), whose first bytes are those held back by the last call; NUL, CR and LF
    // may occur anywhere. Returns how many bytes at the end of buf are held back: they must
    // come again at the front of the next piece.
    std::size_t Process(const char* buf, std::size_t end);
    // The text has ended: scans the `held` bytes held back and ends the open line.
    void Finish(const char* held, std::size_t heldSize);
    // The piece just processed ended with a line break (CR or LF) and the text goes on
    // elsewhere: the scanner settles the `held` bytes it held back, which nothing after a line
    // break can change, and is left with nothing carried.
    void EndAtBreak(const char* held, std::size_t heldSize);

    // Progress owed since the last TakeCredit.
    std::int64_t TakeCredit() noexcept {
        const std::int64_t c = m_credit;
        m_credit = 0;
        return c;
    }
    std::int64_t LinesEnded() const noexcept { return m_lines; }
    // The open line has had a NUL: the rest of it is not searched.
    bool Ignoring() const noexcept { return m_ignoring; }

    // Called once, right after the first line end since Watch has been handled.
    class LineEndWatch {
    public:
        virtual ~LineEndWatch() = default;
        virtual void FirstLineEnded() = 0;
    };
    void Watch(LineEndWatch* watch) noexcept {
        m_watch = watch;
        m_watched = false;
    }

private:
    void LineEnded();

    AddressScanner& m_scanner;
    LineEndWatch* m_watch = nullptr;
    bool m_lineOpen = false; // bytes of a line not yet ended by CR have been seen
    bool m_ignoring = false; // a NUL was seen in the open line: the rest is not searched
    bool m_skipLf = false;   // the last piece ended with the CR of a line
    bool m_watched = false;  // the watch has been called since it was set
    std::size_t m_heldBack = 0;
    std::int64_t m_credit = 0; // progress owed for bytes and line ends seen
    std::int64_t m_lines = 0;
};

} // namespace lh
