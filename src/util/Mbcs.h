#pragma once

// Character-wise operations on code page 932 (Shift-JIS) byte strings.
//
// Every function looks at its text only up to the first NUL byte. A lead byte followed by a
// non-NUL byte forms one two-byte character; a lone lead byte at the end is one character.
// Positions are 1-based character indexes, 0 meaning "none"; they are 64-bit so long lines are
// searched whole.

#include <cstdint>
#include <string>
#include <string_view>

namespace lh {

using MbcsIndex = std::int64_t;

constexpr bool IsSjisLeadByte(unsigned char b) noexcept {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The text as the character functions see it: cut at the first NUL.
std::string_view MbcsText(std::string_view s) noexcept;

MbcsIndex MbcsLength(std::string_view s) noexcept;
std::string MbcsCopy(std::string_view s, MbcsIndex pos, MbcsIndex count);
// Same as MbcsCopy, without allocating: a view into s.
std::string_view MbcsCopyView(std::string_view s, MbcsIndex pos, MbcsIndex count) noexcept;
MbcsIndex MbcsPos(std::string_view pattern, std::string_view s) noexcept;
MbcsIndex MbcsPosFrom(std::string_view pattern, std::string_view s, MbcsIndex start) noexcept;
MbcsIndex MbcsLastPos(std::string_view pattern, std::string_view s) noexcept;
std::string MbcsTail(std::string_view s, MbcsIndex pos);
std::string MbcsRight(std::string_view s, MbcsIndex n);
std::string MbcsTrim(std::string_view s);

// ASCII-only case folding (a-z to A-Z, every other byte kept), the only folding the program uses.
std::string AsciiUpper(std::string_view s);
void AsciiUpperInPlace(std::string& s) noexcept;

} // namespace lh
