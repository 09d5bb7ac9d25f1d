#pragma once

// Code page 932 <-> UTF-8. Document text (cells, titles, collection files) is cp932; text shown
// to or typed by the user is UTF-8 until it reaches the toolkit. Conversion never substitutes:
// text that the other side cannot hold is reported as a failure.

#include <optional>
#include <string>
#include <string_view>

namespace lh {

// Empty optional when `sjis` is not valid code page 932 (a lone trail/lead byte is kept as the
// Unicode replacement only by the lossy variant below).
std::optional<std::string> SjisToUtf8(std::string_view sjis);
// Empty optional when some character has no code page 932 form.
std::optional<std::string> Utf8ToSjis(std::string_view utf8);

// For display only: bytes that do not decode become U+FFFD; never use the result for storage.
std::string SjisToUtf8Lossy(std::string_view sjis);

} // namespace lh
