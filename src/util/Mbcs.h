#pragma once

// Character-wise operations on code page 932 (Shift-JIS) byte strings.
//
// Every function looks at its text only up to the first NUL byte. A lead byte followed by a trail
// byte forms one two-byte character; a lead byte followed by anything else (a space, '<', '"',
// NUL) or standing at the end is a one-byte character, so such bytes are always seen.
// Positions are 1-based character indexes, 0 meaning "none"; they are 64-bit so long lines are
// searched whole.
//
// A pattern matches only where it begins on a character boundary of the text: "@" is never found
// in the second byte of the full-width space (0x81 0x40), "\" never in the second byte of ソ.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lh {

using MbcsIndex = std::int64_t;

constexpr bool IsSjisLeadByte(unsigned char b) noexcept {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Every lead byte is also in this range, so inside a run of lead bytes they pair up in order.
constexpr bool IsSjisTrailByte(unsigned char b) noexcept {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

constexpr bool IsSjisPair(unsigned char first, unsigned char second) noexcept {
    return IsSjisLeadByte(first) && IsSjisTrailByte(second);
}

// The text as the character functions see it: cut at the first NUL.
std::string_view MbcsText(std::string_view s) noexcept;

MbcsIndex MbcsLength(std::string_view s) noexcept;
// Characters from `pos` (0 counts as 1), at most `count`; empty when pos < 0, count <= 0 or the
// text has fewer than `pos` characters.
std::string MbcsCopy(std::string_view s, MbcsIndex pos, MbcsIndex count);
MbcsIndex MbcsPos(std::string_view pattern, std::string_view s) noexcept;
// First match at or after character `start` (values below 1 count as 1); 0 when none.
MbcsIndex MbcsPosFrom(std::string_view pattern, std::string_view s, MbcsIndex start) noexcept;
// Last match, overlapping matches included; 0 when none.
MbcsIndex MbcsLastPos(std::string_view pattern, std::string_view s) noexcept;
// Characters from `pos` to the end; `pos` 0 gives the whole text, pos < 0 or past the end none.
std::string MbcsTail(std::string_view s, MbcsIndex pos);
// The last `n` characters; empty for n < 1, the whole text when n >= MbcsLength(s).
std::string MbcsRight(std::string_view s, MbcsIndex n);
// Without leading and trailing blanks: bytes 0x00-0x20 and 0x7F, and the full-width space.
std::string MbcsTrim(std::string_view s);

// The same results as views into `s`, for hot loops that need not own the text.
std::string_view MbcsCopyView(std::string_view s, MbcsIndex pos, MbcsIndex count) noexcept;
std::string_view MbcsTailView(std::string_view s, MbcsIndex pos) noexcept;
std::string_view MbcsRightView(std::string_view s, MbcsIndex n) noexcept;
std::string_view MbcsTrimView(std::string_view s) noexcept;

// Byte-offset search for loops that walk a long text: the byte offset of the first match that
// begins on a character boundary at or after `fromByte`, or npos. `fromByte` must itself be a
// character boundary (0, or an offset returned here plus MbcsCharSize at it).
std::size_t MbcsFind(std::string_view pattern, std::string_view s, std::size_t fromByte) noexcept;
// Byte length (1 or 2) of the character starting at byte offset `at`; 0 at the end of the text.
std::size_t MbcsCharSize(std::string_view s, std::size_t at) noexcept;

// ASCII-only case folding, the only folding the program uses: the one-byte characters a-z become
// A-Z; every other byte, including the second byte of a two-byte character, is kept.
std::string AsciiUpper(std::string_view s);
void AsciiUpperInPlace(std::string& s) noexcept;
void AsciiUpperInPlace(char* data, std::size_t size) noexcept;

} // namespace lh
