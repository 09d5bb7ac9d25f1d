#include "TextConverterLinux.h"

#include "Utf8MixedBlocks.h"
#include "platform/TextConverter.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <limits>

namespace lh::platform {

namespace {

constexpr unsigned char kEscape = 0x1B;

const char* IconvName(Charset c) {
    switch (c) {
    case Charset::Utf8:
        return "UTF-8";
    case Charset::Utf16Le:
        return "UTF-16LE";
    case Charset::Utf16Be:
        return "UTF-16BE";
    case Charset::EucJp:
        // The Microsoft variant also knows the NEC and IBM rows that code page 932 holds.
        return "EUC-JP-MS";
    case Charset::Iso2022Jp:
        // A superset of ISO-2022-JP: mail also carries half-width kana and JIS X 0212.
        return "ISO-2022-JP-2";
    case Charset::Cp932:
        break;
    }
    return nullptr;
}

// Length of the ASCII run at p, at most n bytes.
std::size_t AsciiRun(const char* p, std::size_t n) noexcept {
    std::size_t i = 0;
    while (n - i >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        if ((w & 0x8080808080808080ull) != 0)
            break;
        i += 8;
    }
    while (i < n && static_cast<unsigned char>(p[i]) < 0x80)
        ++i;
    return i;
}

inline bool IsAscii8(const char* p) noexcept {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return (w & 0x8080808080808080ull) == 0;
}

// Length of the run of bytes of 0x80 and above at p, at most n bytes.
std::size_t HighRun(const char* p, std::size_t n) noexcept {
    std::size_t i = 0;
    while (n - i >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        if ((w & 0x8080808080808080ull) != 0x8080808080808080ull)
            break;
        i += 8;
    }
    while (i < n && static_cast<unsigned char>(p[i]) >= 0x80)
        ++i;
    return i;
}

class IconvToCp932 final : public ToCp932Converter {
public:
    IconvToCp932(iconv_t cd, Charset from, char substitute)
        : m_cd(cd), m_from(from), m_substitute(substitute),
          m_asciiShortcut(from == Charset::Utf8 || from == Charset::EucJp) {}
    ~IconvToCp932() override { ::iconv_close(m_cd); }

    Step Convert(const char* in, std::size_t inSize, char* out, std::size_t outSize,
                 bool last) override {
        std::size_t i = 0;
        std::size_t o = 0;
        while (i < inSize && o < outSize) {
            std::size_t segmentEnd = inSize;
            if (m_asciiShortcut) {
                // ASCII is the same in code page 932 and needs no converter: most of a web page
                // or a log is ASCII, and iconv costs far more per byte than a copy.
                const std::size_t run = AsciiRun(in + i, std::min(inSize - i, outSize - o));
                std::memcpy(out + o, in + i, run);
                i += run;
                o += run;
                if (i == inSize || o == outSize)
                    break;
                segmentEnd = i + HighRun(in + i, inSize - i);
            }
            char* src = const_cast<char*>(in + i);
            std::size_t srcLeft = segmentEnd - i;
            char* dst = out + o;
            std::size_t dstLeft = outSize - o;
            const std::size_t r = ::iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            const int error = errno;
            if (m_from == Charset::Iso2022Jp)
                FollowShifts(in + i, src);
            i = static_cast<std::size_t>(src - in);
            o = static_cast<std::size_t>(dst - out);
            if (r != static_cast<std::size_t>(-1))
                continue;
            if (error == E2BIG)
                break;
            if (error == EINVAL && segmentEnd == inSize && !last)
                break; // the rest of the character comes with the next input
            // An undecodable sequence (cut short by an ASCII byte or the end of the file), or a
            // character code page 932 has no place for.
            if (o == outSize)
                break;
            const std::size_t skip =
                error == EINVAL ? segmentEnd - i : SkipLength(in + i, segmentEnd - i);
            out[o++] = m_substitute;
            i += skip;
        }
        return {i, o};
    }

private:
    // Bytes of the character at p that could not be converted; n > 0 bytes are available.
    std::size_t SkipLength(const char* p, std::size_t n) const noexcept {
        const auto b = static_cast<unsigned char>(p[0]);
        std::size_t len = 1;
        switch (m_from) {
        case Charset::Utf8:
            len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            // A malformed sequence gives up one byte only, so what follows is read afresh.
            for (std::size_t k = 1; k < len; ++k)
                if (k >= n || (static_cast<unsigned char>(p[k]) & 0xC0) != 0x80)
                    return 1;
            return len;
        case Charset::Utf16Le:
        case Charset::Utf16Be: {
            const std::size_t high = m_from == Charset::Utf16Le ? 1 : 0;
            const bool surrogatePair = n >= 4 &&
                                       (static_cast<unsigned char>(p[high]) & 0xFC) == 0xD8 &&
                                       (static_cast<unsigned char>(p[2 + high]) & 0xFC) == 0xDC;
            len = surrogatePair ? 4 : 2;
            break;
        }
        case Charset::EucJp:
            len = b == 0x8F ? 3 : (b == 0x8E || b >= 0xA1) ? 2 : 1;
            break;
        case Charset::Iso2022Jp:
            len = (b != kEscape && m_twoByteMode) ? 2 : 1;
            break;
        case Charset::Cp932:
            break;
        }
        return len < n ? len : n;
    }

    // Notes whether the text after the last escape sequence in [from, to) is two-byte text, so
    // that an undecodable character can be passed over whole.
    void FollowShifts(const char* from, const char* to) noexcept {
        const auto n = static_cast<std::size_t>(to - from);
        const void* hit = n > 0 ? ::memrchr(from, kEscape, n) : nullptr;
        if (!hit)
            return;
        const char* e = static_cast<const char*>(hit);
        // "ESC $ ..." designates a two-byte set, "ESC ( ..." a one-byte one; others shift nothing.
        if (e + 1 < to && (e[1] == '$' || e[1] == '('))
            m_twoByteMode = e[1] == '$';
    }

    iconv_t m_cd;
    Charset m_from;
    char m_substitute;
    bool m_asciiShortcut;
    bool m_twoByteMode = false;
};

// UTF-8 and UTF-16 are decoded here, which takes a few lines, and each character is mapped by
// iconv: once per character seen, kept for the rest of the thread's life. iconv's own UTF-8 path
// costs some 30 ns a character, twenty times the scan itself; a lookup costs next to nothing.
class UnicodeToCp932 final : public ToCp932Converter {
public:
    UnicodeToCp932(iconv_t single, Charset from, char substitute, VectorLevel vectors)
        : m_single(single), m_from(from), m_substitute(substitute), m_vectors(vectors),
          m_forms(ThreadCache().forms) {}
    ~UnicodeToCp932() override { ::iconv_close(m_single); }

    Step Convert(const char* in, std::size_t inSize, char* out, std::size_t outSize,
                 bool last) override {
        return m_from == Charset::Utf8 ? ConvertUtf8(in, inSize, out, outSize, last)
                                       : ConvertUtf16(in, inSize, out, outSize, last);
    }

private:
    // A two-byte form has its top bit set (every lead byte is 0x81 or more), so one test tells it
    // from a one-byte form (below 0x100) and from these two marks.
    static constexpr std::uint16_t kUnknown = 0x7FFF;
    static constexpr std::uint16_t kNone = 0x7FFE; // code page 932 has no such character
    // Bytes kept clear of both buffer ends by the unchecked loop: an 8-byte copy and more.
    static constexpr std::size_t kFastMargin = 16;

    // Two-byte form as stored by one 16-bit write: lead byte first in memory.
    static std::uint16_t LeadFirst(std::uint16_t form) noexcept {
        if constexpr (std::endian::native == std::endian::little)
            return static_cast<std::uint16_t>(form << 8 | form >> 8);
        return form;
    }

    // Number of ASCII bytes at the start of the 8 bytes loaded into w.
    static std::size_t AsciiPrefix(std::uint64_t w) noexcept {
        // A count of 64 zero bits, for no high byte at all, gives 8 without a branch.
        const std::uint64_t high = w & 0x8080808080808080ull;
        if constexpr (std::endian::native == std::endian::little)
            return static_cast<std::size_t>(std::countr_zero(high)) / 8;
        return static_cast<std::size_t>(std::countl_zero(high)) / 8;
    }

    struct Cache {
        Cache() { std::fill(std::begin(forms), std::end(forms), kUnknown); }
        // The code page 932 form of each BMP character, and two entries the vector lookups (four
        // bytes at a time) may read past the end.
        std::uint16_t forms[0x10000 + 2];
    };

    static Cache& ThreadCache() {
        thread_local Cache cache;
        return cache;
    }

    // The code page 932 form of `cp`: one byte (below 0x100), two bytes, or kNone.
    std::uint16_t Form(std::uint32_t cp) {
        if (cp < 0x10000) {
            std::uint16_t& form = m_forms[cp];
            if (form == kUnknown)
                form = Ask(cp);
            return form;
        }
        return Ask(cp);
    }

    [[gnu::noinline]] std::uint16_t Ask(std::uint32_t cp) {
        char in[4] = {static_cast<char>(cp & 0xFF), static_cast<char>(cp >> 8 & 0xFF),
                      static_cast<char>(cp >> 16 & 0xFF), static_cast<char>(cp >> 24)};
        char outBytes[4];
        char* src = in;
        std::size_t srcLeft = 4;
        char* dst = outBytes;
        std::size_t dstLeft = sizeof outBytes;
        ::iconv(m_single, nullptr, nullptr, nullptr, nullptr);
        if (::iconv(m_single, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1))
            return kNone;
        const auto n = static_cast<std::size_t>(dst - outBytes);
        if (n == 1)
            return static_cast<unsigned char>(outBytes[0]);
        if (n == 2)
            return static_cast<std::uint16_t>(static_cast<unsigned char>(outBytes[0]) << 8 |
                                              static_cast<unsigned char>(outBytes[1]));
        return kNone;
    }

    // Writes the form of `cp`; room for two bytes is there.
    void Put(std::uint32_t cp, char* out, std::size_t& o) {
        const std::uint16_t form = Form(cp);
        if (form == kNone) {
            out[o++] = m_substitute;
        } else if (form < 0x100) {
            out[o++] = static_cast<char>(form);
        } else {
            out[o++] = static_cast<char>(form >> 8);
            out[o++] = static_cast<char>(form & 0xFF);
        }
    }

    Step ConvertUtf8(const char* in, std::size_t inSize, char* out, std::size_t outSize,
                     bool last) {
        const auto* u = reinterpret_cast<const unsigned char*>(in);
        std::uint16_t* const forms = m_forms;
        std::size_t i = 0;
        std::size_t o = 0;
        // Where the vector blocks may take over again after one they could not take whole.
        std::size_t scalarUntil =
            m_vectors != VectorLevel::None ? 0 : std::numeric_limits<std::size_t>::max();
        for (;;) {
            if (i >= scalarUntil) {
                const MixedBlocksStep step = DecodeMixedUtf8Blocks(m_vectors, u + i, inSize - i,
                                                                   out + o, outSize - o, forms);
                i += step.consumed;
                o += step.produced;
                scalarUntil = i + kMixedBlockBytes;
            }
            // Away from both ends, ASCII and three-byte characters share one loop without bounds
            // checks: text that mixes the two switches kind every few bytes. A character never
            // takes more output than input, so one limit covers both buffers.
            if (std::min(inSize - i, outSize - o) > kFastMargin) {
                const std::size_t end =
                    std::min(i + std::min(inSize - i, outSize - o) - kFastMargin, scalarUntil);
                while (i < end) {
                    const unsigned char b = u[i];
                    if (b < 0x80) {
                        // Sixteen bytes are copied; those past the ASCII run are written over
                        // later. Addresses are long runs, taken here sixteen bytes a step.
                        std::uint64_t w[2];
                        std::memcpy(w, u + i, 16);
                        std::memcpy(out + o, w, 16);
                        const std::size_t n = AsciiPrefix(w[0]);
                        const std::size_t more = n == 8 ? AsciiPrefix(w[1]) : 0;
                        i += n + more;
                        o += n + more;
                        continue;
                    }
                    // The character's three bytes from one load, the first one lowest.
                    std::uint32_t head;
                    std::memcpy(&head, u + i, 4);
                    if constexpr (std::endian::native == std::endian::big)
                        head = __builtin_bswap32(head);
                    const std::uint32_t cp =
                        (head & 0x0Fu) << 12 | (head >> 2 & 0x0FC0u) | (head >> 16 & 0x3Fu);
                    // A lead byte E0..EF and two continuation bytes, not an overlong form.
                    // Surrogates need no test of their own here: they never get a form, so the
                    // test of the form below sends them on to the loops that reject them.
                    if (((head & 0xC0C0F0u) != 0x8080E0u) | (cp < 0x800))
                        break;
                    const std::uint16_t form = forms[cp];
                    if (!IsTwoByteForm(form))
                        break; // one byte, none or not yet known: the loops below take it
                    const auto pair = LeadFirst(form);
                    std::memcpy(out + o, &pair, 2);
                    i += 3;
                    o += 2;
                }
            }
            // Runs of one kind are taken in loops of their own: the position then advances by a
            // fixed step, so the processor can work on several characters at once instead of
            // waiting for each length to be known.
            while (i < inSize && o < outSize && u[i] < 0x80) {
                if (inSize - i >= 8 && outSize - o >= 8 && IsAscii8(in + i)) {
                    const std::size_t run = AsciiRun(in + i, std::min(inSize - i, outSize - o));
                    std::memcpy(out + o, in + i, run);
                    i += run;
                    o += run;
                } else {
                    out[o++] = in[i++];
                }
            }
            // Kana and kanji: three bytes from U+0800 up, surrogates aside. The room for the
            // whole run is counted once, so each character costs no bounds checks of its own.
            std::size_t count = std::min((inSize - i) / 3, (outSize - o) / 2);
            while (count != 0 && (u[i] & 0xF0) == 0xE0) {
                std::uint16_t tail;
                std::memcpy(&tail, u + i + 1, 2);
                const std::uint32_t cp =
                    (u[i] & 0x0Fu) << 12 | (u[i + 1] & 0x3Fu) << 6 | (u[i + 2] & 0x3Fu);
                if (((tail & 0xC0C0u) != 0x8080u) | (cp < 0x800) |
                    (static_cast<std::uint32_t>(cp - 0xD800) < 0x800))
                    break;
                const std::uint16_t form = forms[cp];
                if (IsTwoByteForm(form)) {
                    // Both bytes in one store, lead byte first.
                    const auto pair = LeadFirst(form);
                    std::memcpy(out + o, &pair, 2);
                    o += 2;
                } else {
                    Put(cp, out, o);
                }
                i += 3;
                --count;
            }
            if (i >= inSize || outSize - o < 2)
                break;
            const unsigned char b = u[i];
            if (b < 0x80 || ((b & 0xF0) == 0xE0 && inSize - i >= 3 && (u[i + 1] & 0xC0) == 0x80 &&
                             (u[i + 2] & 0xC0) == 0x80 && b != 0xE0 && b != 0xED))
                continue; // the loops above take it
            std::size_t len = 0;
            std::uint32_t cp = 0;
            unsigned lowest = 0x80, highest = 0xBF;
            if (b >= 0xC2 && b <= 0xDF) {
                len = 2;
                cp = b & 0x1F;
            } else if (b >= 0xE0 && b <= 0xEF) {
                len = 3;
                cp = b & 0x0F;
                lowest = b == 0xE0 ? 0xA0 : 0x80;
                highest = b == 0xED ? 0x9F : 0xBF; // no surrogates
            } else if (b >= 0xF0 && b <= 0xF4) {
                len = 4;
                cp = b & 0x07;
                lowest = b == 0xF0 ? 0x90 : 0x80;
                highest = b == 0xF4 ? 0x8F : 0xBF;
            }
            std::size_t good = len == 0 ? 0 : 1; // bytes of a well-formed start
            while (good < len && i + good < inSize) {
                const unsigned char c = u[i + good];
                if (c < (good == 1 ? lowest : 0x80) || c > (good == 1 ? highest : 0xBF))
                    break;
                cp = cp << 6 | (c & 0x3F);
                ++good;
            }
            if (len != 0 && good == len) {
                Put(cp, out, o);
                i += len;
            } else if (len != 0 && i + good == inSize && !last) {
                break; // the rest of the character comes with the next input
            } else {
                // A malformed sequence: one substitute, and what follows it is read afresh.
                out[o++] = m_substitute;
                i += good == 0 ? 1 : good;
            }
        }
        return {i, o};
    }

    Step ConvertUtf16(const char* in, std::size_t inSize, char* out, std::size_t outSize,
                      bool last) {
        const auto* u = reinterpret_cast<const unsigned char*>(in);
        const bool little = m_from == Charset::Utf16Le;
        const auto unit = [u, little](std::size_t k) -> std::uint32_t {
            return little ? (u[k] | u[k + 1] << 8) : (u[k] << 8 | u[k + 1]);
        };
        std::size_t i = 0;
        std::size_t o = 0;
        while (i + 2 <= inSize && o + 2 <= outSize) {
            const std::uint32_t a = unit(i);
            if (a < 0xD800 || a > 0xDFFF) {
                Put(a, out, o);
                i += 2;
            } else if (a <= 0xDBFF && i + 4 <= inSize) {
                const std::uint32_t b = unit(i + 2);
                if (b >= 0xDC00 && b <= 0xDFFF) {
                    Put(0x10000 + ((a - 0xD800) << 10) + (b - 0xDC00), out, o);
                    i += 4;
                } else {
                    out[o++] = m_substitute; // a lone high surrogate
                    i += 2;
                }
            } else if (a <= 0xDBFF && !last) {
                break; // the low surrogate comes with the next input
            } else {
                out[o++] = m_substitute;
                i += 2;
            }
        }
        if (last && i + 1 == inSize && o < outSize) {
            out[o++] = m_substitute; // half a code unit at the end of the file
            ++i;
        }
        return {i, o};
    }

    iconv_t m_single; // UTF-32LE to code page 932, one character at a time
    Charset m_from;
    char m_substitute;
    VectorLevel m_vectors;  // the fast path for mixed text, if any
    std::uint16_t* m_forms; // this thread's cache
};

} // namespace

std::unique_ptr<ToCp932Converter> OpenUnicodeToCp932(Charset from, char substitute,
                                                     VectorLevel vectors) {
    if (from != Charset::Utf8 && from != Charset::Utf16Le && from != Charset::Utf16Be)
        return nullptr;
    const iconv_t single = ::iconv_open("CP932", "UTF-32LE");
    if (single == reinterpret_cast<iconv_t>(-1))
        return nullptr;
    return std::make_unique<UnicodeToCp932>(single, from, substitute,
                                            std::min(vectors, BestVectorLevel()));
}

std::unique_ptr<ToCp932Converter> ToCp932Converter::Open(Charset from, char substitute) {
    const char* name = IconvName(from);
    if (!name)
        return nullptr;
    if (auto unicode = OpenUnicodeToCp932(from, substitute, VectorLevel::Avx512))
        return unicode;
    const iconv_t cd = ::iconv_open("CP932", name);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return nullptr;
    return std::make_unique<IconvToCp932>(cd, from, substitute);
}

} // namespace lh::platform
