#pragma once

// The first part of a UTF-8 check done with the processor's vector instructions, where it has
// them: pages of tens of megabytes are checked before they are read.

#include <cstddef>
#include <string_view>

namespace lh::platform {

// Checks `text` as UTF-8 in whole blocks. False when it met a byte sequence that is not UTF-8
// (overlong forms, surrogates and code points past U+10FFFF included); otherwise `checked` is
// the length of a leading part that is UTF-8 and ends between two characters, and the caller
// checks the rest. Where there are no such instructions `checked` is 0.
bool CheckUtf8Blocks(std::string_view text, std::size_t& checked) noexcept;

} // namespace lh::platform
