#include "PathText.h"

#include "platform/FileSystem.h"

namespace lh {

std::int64_t PathCharLength(std::string_view path) noexcept {
    std::int64_t n = 0;
    for (std::size_t i = 0; i < path.size(); i += platform::PathCharLength(path, i))
        ++n;
    return n;
}

std::string_view PathCharPrefix(std::string_view path, std::int64_t count) noexcept {
    std::size_t i = 0;
    for (std::int64_t k = 0; k < count && i < path.size(); ++k)
        i += platform::PathCharLength(path, i);
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
        const std::size_t next = i + platform::PathCharLength(text, i);
        if (next > maxBytes)
            break;
        i = next;
    }
    return text.substr(0, i);
}

} // namespace lh
