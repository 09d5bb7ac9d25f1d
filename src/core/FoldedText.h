#pragma once

// Code page 932 texts compared the way the duplicate test of the scans compares addresses: the
// one-byte letters a-z equal A-Z, and every other byte, the second byte of a double-byte
// character included, counts as it is. Find, the view's sort and the duplicate finder all use
// this one folding, so what the user sees as "the same address" agrees everywhere.

#include <cstdint>
#include <string_view>

namespace lh {

// The byte as it folds where it stands on its own (not as the second byte of a double-byte
// character).
constexpr unsigned char FoldAsciiLetter(unsigned char b) noexcept {
    return (b >= 'a' && b <= 'z') ? static_cast<unsigned char>(b - 'a' + 'A') : b;
}

// Negative, zero or positive as the folded `a` orders before, like or after the folded `b`,
// byte by byte as unsigned values; a text orders before any longer text it begins.
int FoldedCompare(std::string_view a, std::string_view b) noexcept;

inline bool FoldedEqual(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && FoldedCompare(a, b) == 0;
}

// The same value for texts that fold alike.
std::uint64_t FoldedHash(std::string_view s) noexcept;

} // namespace lh
