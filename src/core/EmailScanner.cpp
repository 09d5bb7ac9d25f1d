#include "EmailScanner.h"

#include "SjisWalk.h"

#include <array>
#include <cstring>

namespace lh {

namespace {

enum ByteClass : unsigned char { kPlain, kLead, kDelimiter };

constexpr std::array<unsigned char, 256> MakeClasses() {
    std::array<unsigned char, 256> t{};
    for (int b = 0; b < 256; ++b)
        t[static_cast<std::size_t>(b)] =
            IsSjisLeadByte(static_cast<unsigned char>(b)) ? kLead : kPlain;
    for (const char c :
         {',', '!', '"', '(', ')', '+', '*',  '<', '>', '\'', ' ', '#', '$', '&', '=',
          '`', '|', '{', '}', '?', '^', '\\', '@', '[', ';',  ':', ']', '/', '\n'})
        t[static_cast<unsigned char>(c)] = kDelimiter;
    return t;
}
constexpr std::array<unsigned char, 256> kClass = MakeClasses();

inline bool IsFullWidthSpace(unsigned char first, unsigned char second) noexcept {
    return first == 0x81 && second == 0x40;
}

} // namespace

bool EmailScanner::IsDelimiter(unsigned char first, unsigned char second) noexcept {
    if (first == 0x81)
        return second == 0x40;
    return second == 0 && kClass[first] == kDelimiter;
}

EmailScanner::WalkEnd EmailScanner::WalkRight(const char* p, std::size_t from, std::size_t n,
                                              bool lineEnds, std::size_t& end) noexcept {
    std::size_t i = from;
    while (i < n) {
        const auto b = static_cast<unsigned char>(p[i]);
        const unsigned char cls = kClass[b];
        if (cls == kPlain) {
            ++i;
        } else if (cls == kDelimiter) {
            end = i;
            return WalkEnd::Stopped;
        } else if (i + 1 < n) {
            const auto second = static_cast<unsigned char>(p[i + 1]);
            if (IsFullWidthSpace(b, second)) {
                end = i;
                return WalkEnd::Stopped;
            }
            // A lead byte without a trail byte stands alone: the next byte is looked at as itself.
            i += IsSjisTrailByte(second) ? 2 : 1;
        } else if (!lineEnds) {
            end = i; // the character's second byte is still to come
            return WalkEnd::NeedMore;
        } else {
            ++i; // a lead byte at the end of the text is a character of its own
        }
    }
    end = i;
    return WalkEnd::PieceEnd;
}

void EmailScanner::Emit(const CarriedText* leftCarried, std::string_view left,
                        const CarriedText* rightCarried, std::string_view right) {
    const std::uint64_t leftBytes = (leftCarried ? leftCarried->Bytes() : 0) + left.size();
    const std::uint64_t rightBytes = (rightCarried ? rightCarried->Bytes() : 0) + right.size();
    if (leftBytes == 0 || rightBytes == 0)
        return;
    const std::uint64_t total = leftBytes + 1 + rightBytes;
    if (total > kMaxAddressBytes) {
        ReportTooLong(total);
        return;
    }
    if (!leftCarried && !rightCarried && left.data() + left.size() + 1 == right.data()) {
        // Both parts lie in this piece around their "@": no copy needed.
        Report(std::string_view(left.data(), static_cast<std::size_t>(total)));
        return;
    }
    m_scratch.clear();
    if (leftCarried)
        m_scratch.append(leftCarried->Text());
    m_scratch.append(left);
    m_scratch.push_back('@');
    if (rightCarried)
        m_scratch.append(rightCarried->Text());
    m_scratch.append(right);
    Report(m_scratch);
}

void EmailScanner::ResetLine() noexcept {
    m_run.Clear();
    m_left.Clear();
    m_right.Clear();
    m_inRight = false;
}

std::size_t EmailScanner::Feed(const char* p, std::size_t n, bool lineEnds) {
    const auto isDelimiter = [](unsigned char a, unsigned char b) { return IsDelimiter(a, b); };
    std::size_t pos = 0;    // next byte to look at; always a character boundary
    std::size_t floor = 0;  // a boundary right after a delimiter, or the piece start
    bool runCarried = true; // m_run is the run that ends at `floor`

    if (m_inRight) {
        std::size_t k = 0;
        const WalkEnd how = WalkRight(p, 0, n, lineEnds, k);
        if (how != WalkEnd::Stopped && !lineEnds) {
            m_right.Append(std::string_view(p, k));
            return k;
        }
        Emit(&m_left, {}, &m_right, std::string_view(p, k));
        if (how != WalkEnd::Stopped) {
            ResetLine();
            return n;
        }
        // The right part is the left part of an "@" that may follow right away.
        m_inRight = false;
        m_left.Clear();
        m_run.Take(m_right);
        pos = k;
    }

    for (;;) {
        const void* hit = pos < n ? std::memchr(p + pos, '@', n - pos) : nullptr;
        if (!hit)
            break;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - p);
        if (!sjis::IsBoundary(p, floor, at)) {
            pos = at + 1; // 0x40 as the second byte of a character ends that character
            continue;
        }
        const std::size_t leftEnd = sjis::LastDelimiterEnd(p, floor, at, isDelimiter);
        const bool leftInPiece = leftEnd != sjis::kNotFound;
        const std::size_t leftFrom = leftInPiece ? leftEnd : floor;
        const CarriedText* leftCarried = (!leftInPiece && runCarried) ? &m_run : nullptr;
        const std::string_view left(p + leftFrom, at - leftFrom);
        const std::uint64_t leftBytes = (leftCarried ? leftCarried->Bytes() : 0) + left.size();

        std::size_t k = at + 1;
        WalkEnd how = WalkEnd::Stopped;
        if (leftBytes != 0)
            how = WalkRight(p, at + 1, n, lineEnds, k);
        if (leftBytes != 0 && how != WalkEnd::Stopped && !lineEnds) {
            // The right part goes on in the next piece.
            m_left.Clear();
            if (leftCarried)
                m_left.Append(*leftCarried);
            m_left.Append(left);
            m_right.Clear();
            m_right.Append(std::string_view(p + at + 1, k - at - 1));
            m_inRight = true;
            m_run.Clear();
            return k;
        }
        if (leftBytes != 0)
            Emit(leftCarried, left, nullptr, std::string_view(p + at + 1, k - at - 1));
        if (how != WalkEnd::Stopped) {
            ResetLine();
            return n;
        }
        floor = at + 1;
        runCarried = false;
        pos = k;
    }

    if (lineEnds) {
        ResetLine();
        return n;
    }
    // Carry the run that reaches the end of the piece: it is the left part of an "@" that may
    // come in the next piece.
    const std::size_t q = sjis::BoundaryAtOrBefore(p, floor, n, n);
    const std::size_t runEnd = sjis::LastDelimiterEnd(p, floor, q, isDelimiter);
    if (runEnd != sjis::kNotFound) {
        m_run.Clear();
        m_run.Append(std::string_view(p + runEnd, q - runEnd));
    } else {
        if (!runCarried)
            m_run.Clear();
        m_run.Append(std::string_view(p + floor, q - floor));
    }
    return q;
}

} // namespace lh
