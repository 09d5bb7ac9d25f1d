#include "LineFeed.h"

#include <algorithm>
#include <cstring>

namespace lh {

void LineFeed::Reset(bool lineOpen, bool skipLf) noexcept {
    m_lineOpen = lineOpen;
    m_ignoring = false;
    m_skipLf = skipLf;
    m_heldBack = 0;
    m_credit = 0;
    m_lines = 0;
}

void LineFeed::LineEnded() {
    ++m_lines;
    if (m_watch && !m_watched) {
        m_watched = true;
        m_watch->FirstLineEnded();
    }
}

std::size_t LineFeed::Process(const char* buf, std::size_t end) {
    // The held-back bytes were counted when they first came.
    m_credit += static_cast<std::int64_t>(end - m_heldBack);
    m_heldBack = 0;
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
                // The line goes on in the next piece: the scanner needs its last bytes again.
                m_heldBack = textEnd - pos - consumed;
                return m_heldBack;
            }
        }
        if (!crHit)
            return 0;
        // A line ends: its CR (and an LF right after) are not line bytes, but count as 2.
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
        LineEnded();
    }
    return 0;
}

void LineFeed::Finish(const char* held, std::size_t heldSize) {
    if (m_lineOpen) {
        if (!m_ignoring)
            m_scanner.Feed(held, heldSize, true);
        m_credit += 2;
        m_lineOpen = false;
        LineEnded();
    }
    m_heldBack = 0;
}

void LineFeed::EndAtBreak(const char* held, std::size_t heldSize) {
    // Spaces stand in for what follows: they end any address in both scanners and begin none.
    char text[2 * AddressScanner::kMaxHeldBack];
    const std::size_t n = std::min(heldSize, AddressScanner::kMaxHeldBack);
    std::memcpy(text, held, n);
    std::memset(text + n, ' ', AddressScanner::kMaxHeldBack);
    if (!m_ignoring)
        m_scanner.Feed(text, n + AddressScanner::kMaxHeldBack, false);
    m_heldBack = 0;
}

} // namespace lh
