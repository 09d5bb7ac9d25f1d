#include "Codec.h"

#include <cerrno>
#include <iconv.h>

namespace lh {

namespace {

// One conversion through iconv; false when a character does not convert.
bool Convert(const char* to, const char* from, std::string_view in, std::string& out,
             bool lossy) {
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.clear();
    out.reserve(in.size() * 3 / 2 + 8);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buf[4096];
    bool ok = true;
    while (srcLeft > 0) {
        char* dst = buf;
        std::size_t dstLeft = sizeof buf;
        const std::size_t r = ::iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            if (!lossy) {
                ok = false;
                break;
            }
            out += "\xEF\xBF\xBD"; // U+FFFD
            ++src;
            --srcLeft;
        }
    }
    ::iconv_close(cd);
    return ok;
}

} // namespace

std::optional<std::string> SjisToUtf8(std::string_view sjis) {
    std::string out;
    if (!Convert("UTF-8", "CP932", sjis, out, false))
        return std::nullopt;
    return out;
}

std::optional<std::string> Utf8ToSjis(std::string_view utf8) {
    std::string out;
    if (!Convert("CP932", "UTF-8", utf8, out, false))
        return std::nullopt;
    return out;
}

std::string SjisToUtf8Lossy(std::string_view sjis) {
    std::string out;
    Convert("UTF-8", "CP932", sjis, out, true);
    return out;
}

} // namespace lh
