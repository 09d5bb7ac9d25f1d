#pragma once

// Text from other programs' files (UTF-8) made to fit code page 932, and document text turned
// back into UTF-8 for them. Unlike Codec these never fail, for a record must never be dropped
// over one character: what code page 932 cannot hold is replaced by "〓" in names and remarks,
// and percent-encoded as UTF-8 in addresses (RFC 3986), which still opens the same page. Every
// replacement is counted, so the user can be told.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lh {

// "〓" in code page 932.
inline constexpr std::string_view kSjisGetaMark = "\x81\xAC";

// Appends `utf8` as code page 932. Each character code page 932 has no form for, and each byte
// that is not part of a UTF-8 character, becomes "〓" and adds one to `replaced`.
// Appends the UTF-8 bytes of one code point.
void AppendUtf8Char(std::string& out, char32_t cp);

void AppendUtf8AsSjis(std::string& out, std::string_view utf8, std::int64_t& replaced);

// Appends the address `utf8` as code page 932. Each character code page 932 has no form for
// becomes its UTF-8 bytes as %XX, and adds one to `encoded`; a byte that is not UTF-8 is
// percent-encoded as it is.
void AppendUtf8UrlAsSjis(std::string& out, std::string_view utf8, std::int64_t& encoded);

// The room the two below need for `utf8Bytes` of text: three bytes per byte (the most one byte
// can become), and eight more, as they store whole words.
constexpr std::size_t Utf8AsSjisRoom(std::size_t utf8Bytes) noexcept {
    return 3 * utf8Bytes + 8;
}

// The same two written at `to`, which has the room Utf8AsSjisRoom gives; each returns the end of
// what it wrote.
char* PutUtf8AsSjis(char* to, std::string_view utf8, std::int64_t& replaced);
char* PutUtf8UrlAsSjis(char* to, std::string_view utf8, std::int64_t& encoded);

// Appends the document text `sjis` as UTF-8. A byte that does not decode becomes U+FFFD and adds
// one to `lossy`.
void AppendSjisAsUtf8(std::string& out, std::string_view sjis, std::int64_t& lossy);

// The same written at `to`, which has room for three bytes per byte of `sjis` (the most one byte
// can become); returns the end of what was written.
char* PutSjisAsUtf8(char* to, std::string_view sjis, std::int64_t& lossy);

bool IsUtf8(std::string_view text) noexcept;

} // namespace lh
