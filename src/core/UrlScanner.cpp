#include "UrlScanner.h"

#include "SjisWalk.h"

#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define LH_URL_SCAN_SSE2 1
#endif

namespace lh {

namespace {

constexpr std::size_t kStartLength = 7;      // "HTTP://"
constexpr std::size_t kHttpsStartLength = 8; // "HTTPS://"

enum ByteClass : unsigned char { kPlain, kLead, kTerminator, kLetterH };

constexpr std::array<unsigned char, 256> MakeClasses() {
    std::array<unsigned char, 256> t{};
    for (int b = 0; b < 256; ++b)
        t[static_cast<std::size_t>(b)] =
            IsSjisLeadByte(static_cast<unsigned char>(b)) ? kLead : kPlain;
    for (const char c : {',', '!', '"', '(', ')', '+', '*', '<', '>', '\'', ' ', '\n'})
        t[static_cast<unsigned char>(c)] = kTerminator;
    t['h'] = kLetterH;
    t['H'] = kLetterH;
    return t;
}
constexpr std::array<unsigned char, 256> kClass = MakeClasses();

// "HTTP://" in any ASCII letter case at p (7 bytes readable). Folding with 0x20 is exact here:
// only 'H'/'h', 'T'/'t' and 'P'/'p' fold onto the letters compared.
inline bool IsStartAt(const char* p) noexcept {
    return (p[0] | 0x20) == 'h' && (p[1] | 0x20) == 't' && (p[2] | 0x20) == 't' &&
           (p[3] | 0x20) == 'p' && p[4] == ':' && p[5] == '/' && p[6] == '/';
}

// "HTTPS://" in any ASCII letter case at p (8 bytes readable).
inline bool IsHttpsStartAt(const char* p) noexcept {
    return (p[0] | 0x20) == 'h' && (p[1] | 0x20) == 't' && (p[2] | 0x20) == 't' &&
           (p[3] | 0x20) == 'p' && (p[4] | 0x20) == 's' && p[5] == ':' && p[6] == '/' &&
           p[7] == '/';
}

enum class WalkEnd { Stopped, NeedMore, PieceEnd };

#ifdef LH_URL_SCAN_SSE2
inline __m128i Load16(const char* p) noexcept {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Bit i set when p[i] may need a closer look inside a URL: a byte of 0x80 or above (a lead or
// second byte; signed, it is negative), one below 0x2D (space and the terminators from '!' to ','
// with a few harmless neighbours), '<' or '>', or 'H'/'h'. All other bytes are plain characters.
inline unsigned UrlSpecials(const char* p) noexcept {
    const __m128i x = Load16(p);
    const __m128i low = _mm_cmplt_epi8(x, _mm_set1_epi8(0x2D));
    const __m128i angle = _mm_cmpeq_epi8(_mm_or_si128(x, _mm_set1_epi8(0x02)), _mm_set1_epi8('>'));
    const __m128i h = _mm_cmpeq_epi8(_mm_or_si128(x, _mm_set1_epi8(0x20)), _mm_set1_epi8('h'));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(low, _mm_or_si128(angle, h))));
}

// Bit i set when p[i] is ':' and p[i + 1] is '/': where the ':' of "HTTP://" can be.
inline unsigned ColonSlashes(const char* p) noexcept {
    const __m128i colon = _mm_cmpeq_epi8(Load16(p), _mm_set1_epi8(':'));
    const __m128i slash = _mm_cmpeq_epi8(Load16(p + 1), _mm_set1_epi8('/'));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(colon, slash)));
}
#endif

} // namespace

std::size_t UrlScanner::StartAt(const char* p, std::size_t n) const noexcept {
    if (n >= kStartLength && IsStartAt(p))
        return kStartLength;
    if (m_https && n >= kHttpsStartLength && IsHttpsStartAt(p))
        return kHttpsStartLength;
    return 0;
}

// First h >= from where a start begins and fits before n; n when none. `length` gets the
// start's length. Most text holds few ':', and fewer still followed by '/', so the search looks
// for those: the ':' of a start is its fifth or sixth byte.
std::size_t UrlScanner::NextStart(const char* p, std::size_t from, std::size_t n,
                                  std::size_t& length) const noexcept {
    if (n < from + kStartLength)
        return n;
    const auto startBefore = [&](std::size_t colon) -> std::size_t {
        if (IsStartAt(p + colon - 4)) {
            length = kStartLength;
            return colon - 4;
        }
        if (m_https && colon >= from + 5 && IsHttpsStartAt(p + colon - 5)) {
            length = kHttpsStartLength;
            return colon - 5;
        }
        return n;
    };
    std::size_t k = from + 4; // where the ':' would be
    const std::size_t lastColon = n - 3;
#ifdef LH_URL_SCAN_SSE2
    while (k <= lastColon && lastColon - k >= 16) {
        unsigned m = ColonSlashes(p + k);
        while (m != 0) {
            const std::size_t h = startBefore(k + static_cast<std::size_t>(std::countr_zero(m)));
            if (h != n)
                return h;
            m &= m - 1;
        }
        k += 16;
    }
#endif
    while (k <= lastColon) {
        const void* colon = std::memchr(p + k, ':', lastColon + 1 - k);
        if (!colon)
            break;
        const auto c = static_cast<std::size_t>(static_cast<const char*>(colon) - p);
        const std::size_t h = startBefore(c);
        if (h != n)
            return h;
        k = c + 1;
    }
    return n;
}

bool UrlScanner::IsTerminator(unsigned char first, unsigned char second) noexcept {
    if (first == 0x81)
        return second == 0x40;
    return second == 0 && kClass[first] == kTerminator;
}

void UrlScanner::FinishUrl(const char* from, const char* to) {
    const auto here = static_cast<std::size_t>(to - from);
    const std::uint64_t total = m_url.Bytes() + here;
    if (total > m_startLength) {
        if (total > kMaxAddressBytes) {
            ReportTooLong(total);
        } else if (m_url.Bytes() == 0) {
            Report(std::string_view(from, here));
        } else {
            m_url.Append(std::string_view(from, here));
            Report(m_url.Text());
        }
    }
    m_url.Clear();
    m_inUrl = false;
}

std::size_t UrlScanner::Feed(const char* p, std::size_t n, bool lineEnds) {
    const std::size_t longest = m_https ? kHttpsStartLength : kStartLength;
    std::size_t pos = 0;     // next byte to look at; always a character boundary
    std::size_t floor = 0;   // a boundary at or before pos, the limit of backward looks
    std::size_t urlFrom = 0; // first byte of the current URL in this piece
    for (;;) {
        if (m_inUrl) {
            std::size_t i = pos;
            WalkEnd how = WalkEnd::PieceEnd;
            while (i < n) {
#ifdef LH_URL_SCAN_SSE2
                // Plain characters sixteen at a time; stop at the first byte that needs a look.
                if (n - i >= 16) {
                    const unsigned m = UrlSpecials(p + i);
                    if (m == 0) {
                        i += 16;
                        continue;
                    }
                    i += static_cast<std::size_t>(std::countr_zero(m));
                }
#endif
                const auto b = static_cast<unsigned char>(p[i]);
                const unsigned char cls = kClass[b];
                if (cls == kPlain) {
                    ++i;
                } else if (cls == kLead) {
                    if (i + 1 < n) {
                        const auto second = static_cast<unsigned char>(p[i + 1]);
                        if (b == 0x81 && second == 0x40) {
                            how = WalkEnd::Stopped;
                            break;
                        }
                        // Without a trail byte the lead byte stands alone and the next byte, a
                        // quote or '<' perhaps, is looked at as itself.
                        i += IsSjisTrailByte(second) ? 2 : 1;
                    } else if (!lineEnds) {
                        how = WalkEnd::NeedMore; // the character's second byte is still to come
                        break;
                    } else {
                        ++i; // a lead byte at the end of the text is a character of its own
                    }
                } else if (cls == kTerminator) {
                    how = WalkEnd::Stopped;
                    break;
                } else if (StartAt(p + i, n - i) != 0) {
                    how = WalkEnd::Stopped; // the next address begins here
                    break;
                } else if (lineEnds || n - i >= longest) {
                    ++i;
                } else {
                    how = WalkEnd::NeedMore; // a start may be cut off by the piece end
                    break;
                }
            }
            if (how != WalkEnd::Stopped && !lineEnds) {
                m_url.Append(std::string_view(p + urlFrom, i - urlFrom));
                return i;
            }
            FinishUrl(p + urlFrom, p + i);
            if (how != WalkEnd::Stopped)
                return n;
            pos = floor = i;
        }

        // Look for the next start, then make sure it begins a character.
        bool found = false;
        std::size_t length = 0;
        for (std::size_t from = pos;;) {
            const std::size_t h = NextStart(p, from, n, length);
            if (h == n)
                break;
            if (sjis::IsBoundary(p, floor, h)) {
                found = true;
                urlFrom = h;
                break;
            }
            from = h + 1;
        }
        if (found) {
            m_inUrl = true;
            m_startLength = length;
            pos = urlFrom + length;
            continue;
        }
        if (lineEnds)
            return n;
        // Every start that fits entirely in the piece has been checked; keep back the last bytes,
        // which may begin a start that the next piece completes.
        if (n < pos + longest)
            return pos;
        return sjis::BoundaryAtOrBefore(p, floor, n - (longest - 1), n);
    }
}

} // namespace lh
