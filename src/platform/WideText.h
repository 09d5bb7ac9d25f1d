#pragma once

// UTF-8 <-> UTF-16, the conversion between the program's path strings and the wide strings of
// the Windows system calls. Written out in standard C++ so both directions are exact on every
// platform: a lone surrogate (which Windows file names may hold) travels through UTF-8 in the
// three-byte form a surrogate would have, and comes back unchanged, so any name the system
// lists can be opened again. Bytes that form no character become U+FFFD.

#include <cstddef>
#include <string>
#include <string_view>

namespace lh::platform {

// UTF-16 code units (one wchar_t each, also where wchar_t is wider).
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// Byte length of the UTF-8 character starting at byte `at`: 1 for a byte that starts no
// well-formed character, 0 at or past the end.
std::size_t Utf8CharLength(std::string_view s, std::size_t at) noexcept;

} // namespace lh::platform
