#include "Codec.h"

#include "Mbcs.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace lh {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

#ifdef _WIN32

constexpr UINT kCp932 = 932;

bool ToWide(UINT cp, std::string_view in, std::wstring& out, bool strict) {
    out.clear();
    if (in.empty())
        return true;
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int n =
        ::MultiByteToWideChar(cp, flags, in.data(), static_cast<int>(in.size()), nullptr, 0);
    if (n <= 0)
        return false;
    out.resize(static_cast<std::size_t>(n));
    return ::MultiByteToWideChar(cp, flags, in.data(), static_cast<int>(in.size()), out.data(),
                                 n) == n;
}

bool FromWide(UINT cp, const std::wstring& in, std::string& out) {
    out.clear();
    if (in.empty())
        return true;
    // UTF-8 has no default character; for code page 932 a substituted character means failure.
    BOOL usedDefault = FALSE;
    const DWORD flags = cp == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* used = cp == CP_UTF8 ? nullptr : &usedDefault;
    const int n = ::WideCharToMultiByte(cp, flags, in.data(), static_cast<int>(in.size()), nullptr,
                                        0, nullptr, used);
    if (n <= 0 || usedDefault)
        return false;
    out.resize(static_cast<std::size_t>(n));
    return ::WideCharToMultiByte(cp, flags, in.data(), static_cast<int>(in.size()), out.data(), n,
                                 nullptr, used) == n &&
           !usedDefault;
}

bool Convert(UINT to, UINT from, std::string_view in, std::string& out) {
    std::wstring wide;
    return ToWide(from, in, wide, true) && FromWide(to, wide, out);
}

#else

// One iconv descriptor per direction and thread, opened on first use: opening one per call would
// cost far more than converting a grid cell.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(::iconv_open(to, from)) {}
    ~Converter() {
        if (Valid())
            ::iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // False when a character does not convert (strict) or the converter is unavailable; a lossy
    // run puts U+FFFD in place of each byte that does not decode and goes on.
    bool Run(std::string_view in, std::string& out, bool lossy) {
        out.clear();
        if (!Valid())
            return false;
        ::iconv(m_cd, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        out.reserve(in.size() + in.size() / 2 + 8);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buf[4096];
        while (srcLeft > 0) {
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            const std::size_t r = ::iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            const int err = errno;
            out.append(buf, static_cast<std::size_t>(dst - buf));
            if (r != static_cast<std::size_t>(-1) || err == E2BIG)
                continue;
            // EILSEQ: an invalid sequence; EINVAL: a character cut off by the end of the input.
            if (!lossy)
                return false;
            out += kReplacement;
            ++src;
            --srcLeft;
        }
        char* dst = buf;
        std::size_t dstLeft = sizeof buf;
        ::iconv(m_cd, nullptr, nullptr, &dst, &dstLeft);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        return true;
    }

private:
    bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t m_cd;
};

Converter& SjisDecoder() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter& SjisEncoder() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

#endif

} // namespace

std::optional<std::string> SjisToUtf8(std::string_view sjis) {
    std::string out;
#ifdef _WIN32
    if (!Convert(CP_UTF8, kCp932, sjis, out))
        return std::nullopt;
#else
    if (!SjisDecoder().Run(sjis, out, false))
        return std::nullopt;
#endif
    return out;
}

std::optional<std::string> Utf8ToSjis(std::string_view utf8) {
    std::string out;
#ifdef _WIN32
    if (!Convert(kCp932, CP_UTF8, utf8, out))
        return std::nullopt;
#else
    if (!SjisEncoder().Run(utf8, out, false))
        return std::nullopt;
#endif
    return out;
}

std::string SjisToUtf8Lossy(std::string_view sjis) {
    std::string out;
#ifdef _WIN32
    // Decode what decodes, one character at a time where the whole text does not.
    if (Convert(CP_UTF8, kCp932, sjis, out))
        return out;
    out.clear();
    std::size_t i = 0;
    while (i < sjis.size()) {
        const auto b = static_cast<unsigned char>(sjis[i]);
        const std::size_t len =
            (i + 1 < sjis.size() && IsSjisPair(b, static_cast<unsigned char>(sjis[i + 1]))) ? 2 : 1;
        std::string piece;
        if (Convert(CP_UTF8, kCp932, sjis.substr(i, len), piece)) {
            out += piece;
            i += len;
        } else {
            // Like the POSIX side: replace one byte and decode the next one afresh.
            out += kReplacement;
            ++i;
        }
    }
#else
    SjisDecoder().Run(sjis, out, true);
#endif
    return out;
}

} // namespace lh
