#include "FileHelpers.h"

#include "platform/FileSystem.h"
#include "platform/Locale.h"

#include <cstdio>
#include <ctime>

namespace lh {

namespace {

constexpr std::size_t npos = std::string_view::npos;

std::string_view UpToNul(std::string_view s) {
    const std::size_t nul = s.find('\0');
    return nul == npos ? s : s.substr(0, nul);
}

// Blanks of a command text: control characters, the space, DEL and the full-width space in either
// path encoding. The two full-width forms cannot be mistaken for each other: 0x81 never starts a
// UTF-8 character, and 0xE3 0x80 is one code page 932 character followed by another.
bool IsBlank(std::string_view s, std::size_t at, std::size_t len) {
    if (len == 1) {
        const auto b = static_cast<unsigned char>(s[at]);
        return b <= 0x20 || b == 0x7F;
    }
    const std::string_view c = s.substr(at, len);
    return c == "\x81\x40" || c == "\xE3\x80\x80";
}

std::string_view TrimBlanks(std::string_view s) {
    s = UpToNul(s);
    std::size_t first = npos;
    std::size_t last = 0; // end of the last non-blank character
    for (std::size_t at = 0; at < s.size();) {
        const std::size_t len = platform::PathCharLength(s, at);
        if (!IsBlank(s, at, len)) {
            if (first == npos)
                first = at;
            last = at + len;
        }
        at += len;
    }
    return first == npos ? std::string_view() : s.substr(first, last - first);
}

bool AsciiEqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z')
            x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

// First character start at or after `from` (itself a character start) where `pattern`, which is
// ASCII, matches with ASCII letters in any case when `anyCase` is set.
std::size_t FindAt(std::string_view s, std::string_view pattern, std::size_t from, bool anyCase) {
    for (std::size_t at = from; at < s.size(); at += platform::PathCharLength(s, at)) {
        const std::string_view here = s.substr(at, pattern.size());
        if (anyCase ? AsciiEqualNoCase(here, pattern) : here == pattern)
            return at;
    }
    return npos;
}

std::size_t FindLast(std::string_view s, std::string_view pattern) {
    std::size_t last = npos;
    for (std::size_t at = FindAt(s, pattern, 0, false); at != npos;
         at = FindAt(s, pattern, at + platform::PathCharLength(s, at), false))
        last = at;
    return last;
}

std::string TwoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

} // namespace

std::int64_t FileSizeByName(const std::string& path) {
    platform::FileStat st;
    if (!platform::StatFile(path, st) || st.attributes.directory)
        return 0;
    return st.size;
}

std::string FileInfoLine(const std::string& path) {
    std::string line = PathForDisplay(platform::FileNamePart(path));
    line += ' ';
    platform::FileStat st;
    if (!platform::StatFile(path, st))
        return line + "ｻｲｽﾞ不明 日付不明 属性不明";

    const platform::LocaleFormats f = platform::CurrentLocaleFormats();
    const std::tm tm = platform::LocalTime(st.lastWrite);
    line += GroupThousands(st.attributes.directory ? 0 : st.size, f.thousandsSeparator);
    line += " byte ";
    line += std::to_string(tm.tm_year + 1900) + f.dateSeparator + TwoDigits(tm.tm_mon + 1) +
            f.dateSeparator + TwoDigits(tm.tm_mday) + ' ' + TwoDigits(tm.tm_hour) +
            f.timeSeparator + TwoDigits(tm.tm_min) + f.timeSeparator + TwoDigits(tm.tm_sec);
    const platform::FileAttributes& a = st.attributes;
    line += a.system ? " S" : " _";
    line += a.hidden ? " H" : " _";
    line += a.readOnly ? " R" : " _";
    line += a.archive ? " A" : " _";
    return line;
}

CommandLineParts SplitCommandLine(std::string_view text) {
    return SplitCommandLine(text, [](const std::string& p) { return platform::IsRegularFile(p); });
}

CommandLineParts SplitCommandLine(std::string_view text,
                                  const std::function<bool(const std::string&)>& isExistingFile) {
    std::string_view cmd = TrimBlanks(text);
    if (cmd.empty())
        return {};
    if (cmd.front() == '"') {
        const std::size_t close = FindAt(cmd, "\"", 1, false);
        if (close != npos)
            return {std::string(cmd.substr(1, close - 1)),
                    std::string(TrimBlanks(cmd.substr(close + 1)))};
        cmd.remove_prefix(1);
    }

    std::size_t split = npos;
    if (const std::size_t exe = FindAt(cmd, ".EXE ", 0, true); exe != npos) {
        split = exe + 4;
    } else {
        for (std::size_t sp = FindAt(cmd, " ", 0, false); sp != npos;
             sp = FindAt(cmd, " ", sp + 1, false)) {
            if (sp > 0 && isExistingFile(std::string(cmd.substr(0, sp)))) {
                split = sp;
                break;
            }
        }
        if (split == npos) {
            if (const std::size_t dot = FindLast(cmd, "."); dot != npos)
                split = FindAt(cmd, " ", dot + 1, false);
        }
    }
    if (split == npos || split == 0)
        return {std::string(cmd), {}};
    return {std::string(cmd.substr(0, split)), std::string(cmd.substr(split + 1))};
}

std::string PathForDisplay(std::string_view path) {
    // Paths are UTF-8 names; keep every well-formed character and mark the rest.
    std::string out;
    out.reserve(path.size());
    for (std::size_t at = 0; at < path.size();) {
        const std::size_t len = platform::PathCharLength(path, at);
        const auto b0 = static_cast<unsigned char>(path[at]);
        const auto b1 = len > 1 ? static_cast<unsigned char>(path[at + 1]) : 0;
        const bool bad = (len == 1 && b0 >= 0x80) || (len == 2 && b0 < 0xC2) ||
                         (len == 3 && b0 == 0xE0 && b1 < 0xA0) ||  // overlong
                         (len == 3 && b0 == 0xED && b1 >= 0xA0) || // surrogate
                         (len == 4 && b0 == 0xF0 && b1 < 0x90) ||  // overlong
                         (len == 4 && (b0 > 0xF4 || (b0 == 0xF4 && b1 >= 0x90)));
        if (bad)
            out += "\xEF\xBF\xBD";
        else
            out.append(path.substr(at, len));
        at += bad ? 1 : len;
    }
    return out;
}

std::string GroupThousands(std::int64_t value, std::string_view separator) {
    const bool negative = value < 0;
    // Through unsigned arithmetic so that the smallest value has a magnitude too.
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    const std::string digits = std::to_string(magnitude);
    std::string out = negative ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

} // namespace lh
