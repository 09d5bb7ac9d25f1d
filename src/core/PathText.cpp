#include "PathText.h"

#ifdef _WIN32
#include "util/Codec.h"
#include "util/Mbcs.h"
#endif

namespace lh {

namespace {
// Byte length of the character starting at s[i].
std::size_t CharBytes(std::string_view s, std::size_t i) noexcept {
#ifdef _WIN32
    return (IsSjisLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
#else
    // UTF-8: a start byte and the continuation bytes (10xxxxxx) that follow it.
    std::size_t n = 1;
    while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80)
        ++n;
    return n;
#endif
}
} // namespace

std::int64_t PathCharLength(std::string_view path) noexcept {
    std::int64_t n = 0;
    for (std::size_t i = 0; i < path.size(); i += CharBytes(path, i))
        ++n;
    return n;
}

std::string_view PathCharPrefix(std::string_view path, std::int64_t count) noexcept {
    std::size_t i = 0;
    for (std::int64_t k = 0; k < count && i < path.size(); ++k)
        i += CharBytes(path, i);
    return path.substr(0, i);
}

std::string_view PathCharTail(std::string_view path, std::int64_t pos) noexcept {
    if (pos < 1)
        pos = 1;
    return path.substr(PathCharPrefix(path, pos - 1).size());
}

std::string_view PathCutToBytes(std::string_view text, std::size_t maxBytes) noexcept {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t next = i + CharBytes(text, i);
        if (next > maxBytes)
            break;
        i = next;
    }
    return text.substr(0, i);
}

std::string PathForDisplay(std::string_view path) {
#ifdef _WIN32
    return SjisToUtf8Lossy(path);
#else
    return std::string(path);
#endif
}

} // namespace lh
