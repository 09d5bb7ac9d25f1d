#pragma once

// Character-wise handling of the platform's path strings (UTF-8), so path texts are never cut
// inside a character.

#include <cstdint>
#include <string>
#include <string_view>

namespace lh {

// Number of characters of a path text.
std::int64_t PathCharLength(std::string_view path) noexcept;
// The first `count` characters (all of them when there are fewer).
std::string_view PathCharPrefix(std::string_view path, std::int64_t count) noexcept;
// The text from character `pos` on (1-based); empty beyond the end.
std::string_view PathCharTail(std::string_view path, std::int64_t pos) noexcept;
// The longest start of `text` of at most `maxBytes` bytes that ends on a character boundary.
std::string_view PathCutToBytes(std::string_view text, std::size_t maxBytes) noexcept;

} // namespace lh
