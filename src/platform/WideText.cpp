#include "WideText.h"

#include <cstdint>

namespace lh::platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes the character at `at`; surrogate code points are accepted (see the header).
char32_t DecodeAt(std::string_view s, std::size_t at, std::size_t& len) noexcept {
    len = Utf8CharLength(s, at);
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[at + i]); };
    switch (len) {
    case 1:
        return b(0) < 0x80 ? b(0) : kReplacement;
    case 2:
        return (char32_t(b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3:
        return (char32_t(b(0) & 0x0F) << 12) | (char32_t(b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    default:
        return (char32_t(b(0) & 0x07) << 18) | (char32_t(b(1) & 0x3F) << 12) |
               (char32_t(b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    }
}

void Encode(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsContinuation(std::string_view s, std::size_t i) noexcept {
    return i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80;
}

} // namespace

std::size_t Utf8CharLength(std::string_view s, std::size_t at) noexcept {
    if (at >= s.size())
        return 0;
    const auto b0 = static_cast<unsigned char>(s[at]);
    if (b0 < 0xC2 || b0 > 0xF4)
        return 1;
    const std::size_t len = b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
    for (std::size_t i = 1; i < len; ++i)
        if (!IsContinuation(s, at + i))
            return 1;
    const auto b1 = static_cast<unsigned char>(s[at + 1]);
    if ((b0 == 0xE0 && b1 < 0xA0) || (b0 == 0xF0 && b1 < 0x90) || (b0 == 0xF4 && b1 >= 0x90))
        return 1; // overlong or beyond U+10FFFF
    return len;
}

std::wstring Utf8ToWide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    std::size_t len = 0;
    for (std::size_t at = 0; at < utf8.size(); at += len) {
        const char32_t c = DecodeAt(utf8, at, len);
        if (c >= 0x10000) {
            const char32_t v = c - 0x10000;
            out += static_cast<wchar_t>(0xD800 + (v >> 10));
            out += static_cast<wchar_t>(0xDC00 + (v & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

std::string WideToUtf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size() * 3);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t c = static_cast<char32_t>(wide[i]) & 0xFFFF;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size()) {
            const char32_t low = static_cast<char32_t>(wide[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        Encode(c, out);
    }
    return out;
}

} // namespace lh::platform
