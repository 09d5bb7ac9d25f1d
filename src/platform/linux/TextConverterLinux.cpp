#include "platform/TextConverter.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>

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

} // namespace

std::unique_ptr<ToCp932Converter> ToCp932Converter::Open(Charset from, char substitute) {
    const char* name = IconvName(from);
    if (!name)
        return nullptr;
    const iconv_t cd = ::iconv_open("CP932", name);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return nullptr;
    return std::make_unique<IconvToCp932>(cd, from, substitute);
}

} // namespace lh::platform
