#include "platform/RegFile.h"

#include <algorithm>
#include <cstddef>

namespace lh::platform {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kBom = "\xEF\xBB\xBF";
// Continued hex lines stay within this width, as registry exports do.
constexpr std::size_t kHexLineWidth = 76;

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

bool IStartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && IEquals(s.substr(0, prefix.size()), prefix);
}

// A carriage return counts as a blank: a line ending in CR CR LF (a file passed through a tool
// that added a CR to every CR LF) still holds its value.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view NormalizePath(std::string_view path) {
    while (!path.empty() && path.front() == '\\')
        path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    return path;
}

bool HasControlChar(std::string_view s) {
    return std::any_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits, nothing else.
std::optional<std::uint32_t> ParseHex32(std::string_view s) {
    if (s.empty() || s.size() > 8)
        return std::nullopt;
    std::uint32_t v = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    return v;
}

bool IsValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            n = 1;
            cp = c & 0x1Fu;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 2;
            cp = c & 0x0Fu;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3;
            cp = c & 0x07u;
        } else {
            return false;
        }
        if (i + n >= s.size())
            return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0u) != 0x80u)
                return false;
            cp = (cp << 6) | (t & 0x3Fu);
        }
        const bool overlong = (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000);
        if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

// Text that can stand between quotes on one line and reads back byte for byte.
bool IsPlainText(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
            return false;
    return IsValidUtf8(s);
}

void AppendQuoted(std::string& out, std::string_view s) {
    out += '"';
    for (char c : s) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

// Reads a quoted string starting at s[pos] == '"'; pos ends after the closing quote.
// Only \\ and \" are escapes; any other backslash stands for itself, as hand-edited paths expect.
bool ParseQuoted(std::string_view s, std::size_t& pos, std::string& out) {
    ++pos;
    while (pos < s.size()) {
        const char c = s[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"')) {
            out += s[pos + 1];
            pos += 2;
            continue;
        }
        out += c;
        ++pos;
    }
    return false;
}

// The name at the start of a value line: "Name" or @ (the unnamed value). pos ends after it.
bool ParseName(std::string_view line, std::size_t& pos, std::string& name) {
    if (pos < line.size() && line[pos] == '@') {
        ++pos;
        return true;
    }
    return pos < line.size() && line[pos] == '"' && ParseQuoted(line, pos, name);
}

// Where a continuation "\" followed by blanks up to a line end stops, or npos when s[at] is no
// continuation.
std::size_t ContinuationEnd(std::string_view s, std::size_t at) {
    if (s[at] != '\\')
        return std::string_view::npos;
    std::size_t j = at + 1;
    while (j < s.size() && IsBlank(s[j]))
        ++j;
    return j < s.size() && s[j] == '\n' ? j + 1 : std::string_view::npos;
}

// Comma-separated bytes; blanks and "\" + line end (continuation) may stand around each.
std::optional<std::string> ParseHexList(std::string_view s) {
    std::string out;
    std::size_t i = 0;
    auto skip = [&] {
        while (i < s.size()) {
            if (IsBlank(s[i]) || s[i] == '\n')
                ++i;
            else if (const std::size_t next = ContinuationEnd(s, i); next != std::string_view::npos)
                i = next;
            else
                break;
        }
    };
    skip();
    if (i == s.size())
        return out;
    while (true) {
        const std::size_t start = i;
        while (i < s.size() && HexDigit(s[i]) >= 0)
            ++i;
        const auto digits = s.substr(start, i - start);
        if (digits.empty() || digits.size() > 2)
            return std::nullopt;
        out += static_cast<char>(*ParseHex32(digits));
        skip();
        if (i == s.size())
            return out;
        if (s[i] != ',')
            return std::nullopt;
        ++i;
        skip();
    }
}

// The part after "=": a quoted text, dword:, hex: or hex(N):.
std::optional<RegValue> ParseData(std::string_view s) {
    RegValue v;
    if (!s.empty() && s.front() == '"') {
        std::size_t pos = 0;
        std::string text;
        if (!ParseQuoted(s, pos, text) || !Trim(s.substr(pos)).empty())
            return std::nullopt;
        return RegValue::Text(text);
    }
    if (IStartsWith(s, "dword:")) {
        const auto n = ParseHex32(Trim(s.substr(6)));
        if (!n)
            return std::nullopt;
        return RegValue::Dword(static_cast<std::int32_t>(*n));
    }
    if (IStartsWith(s, "hex:")) {
        v.type = regtype::kBinary;
        s.remove_prefix(4);
    } else if (IStartsWith(s, "hex(")) {
        const auto close = s.find(')');
        if (close == std::string_view::npos || close + 1 >= s.size() || s[close + 1] != ':')
            return std::nullopt;
        const auto type = ParseHex32(s.substr(4, close - 4));
        if (!type)
            return std::nullopt;
        v.type = *type;
        s.remove_prefix(close + 2);
    } else {
        return std::nullopt;
    }
    auto bytes = ParseHexList(s);
    if (!bytes)
        return std::nullopt;
    v.data = std::move(*bytes);
    return v;
}

void AppendHex(std::string& out, std::string_view prefix, std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += prefix;
    std::size_t lineStart = out.rfind('\n');
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out += kDigits[b >> 4];
        out += kDigits[b & 0xF];
        if (i + 1 == bytes.size())
            break;
        out += ',';
        if (out.size() - lineStart >= kHexLineWidth) {
            out += "\\\n  ";
            lineStart = out.size() - 2;
        }
    }
}

std::string EntryText(std::string_view name, const RegValue& v) {
    std::string out;
    if (name.empty())
        out += '@';
    else
        AppendQuoted(out, name);
    out += '=';
    if (v.type == regtype::kSz && IsPlainText(v.data)) {
        AppendQuoted(out, v.data);
    } else if (v.type == regtype::kDword && v.data.size() == 4) {
        static constexpr char kDigits[] = "0123456789abcdef";
        const auto u = *RegValueInteger(v);
        out += "dword:";
        for (int shift = 28; shift >= 0; shift -= 4)
            out += kDigits[(static_cast<std::uint32_t>(u) >> shift) & 0xFu];
    } else if (v.type == regtype::kSz) {
        // Not representable between quotes: stored as the registry holds it, NUL-terminated.
        std::string data = v.data;
        data += '\0';
        AppendHex(out, "hex(1):", data);
    } else if (v.type == regtype::kBinary) {
        AppendHex(out, "hex:", v.data);
    } else {
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string prefix = "hex(";
        bool started = false;
        for (int shift = 28; shift >= 0; shift -= 4) {
            const auto d = (v.type >> shift) & 0xFu;
            if (d || started || shift == 0) {
                prefix += kDigits[d];
                started = true;
            }
        }
        prefix += "):";
        AppendHex(out, prefix, v.data);
    }
    return out;
}

bool IsHexValueLine(std::string_view line) {
    std::size_t pos = 0;
    std::string name;
    line = Trim(line);
    if (!ParseName(line, pos, name))
        return false;
    const auto rest = Trim(line.substr(pos));
    return !rest.empty() && rest.front() == '=' && IStartsWith(Trim(rest.substr(1)), "hex");
}

bool EndsWithContinuation(std::string_view line) {
    line = Trim(line);
    return !line.empty() && line.back() == '\\';
}

// Only a line of hex digits can carry on a hex value. A dangling "\" on a file's last value
// line must not swallow the value that a later write puts on the next line.
bool CanContinueHex(std::string_view line) {
    line = Trim(line);
    return !line.empty() && HexDigit(line.front()) >= 0;
}

} // namespace

RegValue RegValue::Text(std::string_view text) {
    return {regtype::kSz, std::string(text)};
}

RegValue RegValue::Dword(std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[static_cast<std::size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xFFu);
    return {regtype::kDword, std::move(data)};
}

std::optional<std::string> RegValueText(const RegValue& value) {
    if (value.type != regtype::kSz && value.type != regtype::kExpandSz)
        return std::nullopt;
    std::string text = value.data.substr(0, value.data.find('\0'));
    if (text.empty())
        return std::nullopt;
    return text;
}

std::optional<std::int32_t> RegValueInteger(const RegValue& value) {
    if (value.type != regtype::kDword || value.data.size() != 4)
        return std::nullopt;
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i)
        u = (u << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(u);
}

RegFile RegFile::Parse(std::string_view text) {
    RegFile f;
    if (text.substr(0, kBom.size()) == kBom) {
        f.m_hasBom = true;
        text.remove_prefix(kBom.size());
    }
    // Lines keep every CR they carry: a line read back is written back byte for byte, so
    // rewriting the file never strips anything from lines that did not change. New lines take
    // the line end of the file's first line.
    if (const auto nl = text.find('\n');
        nl != std::string_view::npos && nl > 0 && text[nl - 1] == '\r')
        f.m_crlf = true;
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto nl = text.find('\n');
        lines.push_back(text.substr(0, nl));
        if (nl == std::string_view::npos)
            break;
        text.remove_prefix(nl + 1);
    }

    std::size_t i = 0;
    if (!lines.empty() && Trim(lines[0]) == kHeader) {
        f.m_hasHeader = true;
        f.m_headerLine = std::string(lines[0]);
        i = 1;
    }
    f.m_sections.emplace_back();
    for (; i < lines.size(); ++i) {
        const auto t = Trim(lines[i]);
        Section& cur = f.m_sections.back();
        if (t.empty() || t.front() == ';') {
            cur.entries.push_back({std::string(lines[i]), std::nullopt, std::nullopt});
            continue;
        }
        if (t.front() == '[') {
            Section s;
            s.header = std::string(lines[i]);
            if (t.back() != ']') {
                f.m_damaged = true;
            } else {
                const auto inner = t.substr(1, t.size() - 2);
                const auto slash = inner.find('\\');
                const auto hive = inner.substr(0, slash);
                const auto rest =
                    slash == std::string_view::npos ? std::string_view{} : inner.substr(slash + 1);
                if (IEquals(hive, "HKEY_CURRENT_USER") || IEquals(hive, "HKCU")) {
                    s.known = true;
                    s.root = RootHive::CurrentUser;
                } else if (IEquals(hive, "HKEY_LOCAL_MACHINE") || IEquals(hive, "HKLM")) {
                    s.known = true;
                    s.root = RootHive::LocalMachine;
                }
                s.path = std::string(NormalizePath(rest));
            }
            f.m_sections.push_back(std::move(s));
            continue;
        }

        Entry e;
        e.text = std::string(lines[i]);
        if (IsHexValueLine(lines[i])) {
            while (EndsWithContinuation(lines[i]) && i + 1 < lines.size() &&
                   CanContinueHex(lines[i + 1])) {
                ++i;
                e.text += '\n';
                e.text += lines[i];
            }
        }
        const auto body = Trim(std::string_view(e.text));
        std::size_t pos = 0;
        std::string name;
        if (ParseName(body, pos, name)) {
            e.name = std::move(name);
            const auto rest = Trim(body.substr(pos));
            if (!rest.empty() && rest.front() == '=')
                e.value = ParseData(Trim(rest.substr(1)));
        }
        // A value before any section belongs to no key: kept, never used.
        if (!e.value || f.m_sections.size() == 1)
            f.m_damaged = true;
        cur.entries.push_back(std::move(e));
    }
    if (!f.m_hasHeader) {
        const bool anyText = std::any_of(lines.begin(), lines.end(),
                                         [](std::string_view l) { return !Trim(l).empty(); });
        f.m_damaged = f.m_damaged || anyText;
    }
    return f;
}

std::string RegFile::Serialize() const {
    std::string out;
    if (m_hasBom)
        out += kBom;
    out += m_hasHeader ? m_headerLine : NewLine(kHeader);
    out += '\n';
    for (const Section& s : m_sections) {
        if (!s.header.empty()) {
            out += s.header;
            out += '\n';
        }
        for (const Entry& e : s.entries) {
            out += e.text;
            out += '\n';
        }
    }
    return out;
}

bool RegFile::Matches(const Section& s, RootHive root, std::string_view path) const {
    return s.known && s.root == root && IEquals(s.path, path);
}

const RegValue* RegFile::Find(RootHive root, std::string_view keyPath,
                              std::string_view name) const {
    const auto path = NormalizePath(keyPath);
    const RegValue* found = nullptr;
    for (const Section& s : m_sections) {
        if (!Matches(s, root, path))
            continue;
        for (const Entry& e : s.entries)
            if (e.value && IEquals(*e.name, name))
                found = &*e.value;
    }
    return found;
}

RegFile::SetResult RegFile::Set(RootHive root, std::string_view keyPath, std::string_view name,
                                const RegValue& value) {
    if (HasControlChar(keyPath) || HasControlChar(name))
        return SetResult::Refused;
    const auto path = NormalizePath(keyPath);
    Entry fresh{NewLine(EntryText(name, value)), std::string(name), value};

    struct Hit {
        std::size_t section;
        std::size_t entry;
    };
    std::vector<Hit> hits;
    std::size_t lastSection = 0;
    for (std::size_t si = 1; si < m_sections.size(); ++si) {
        const Section& s = m_sections[si];
        if (!Matches(s, root, path))
            continue;
        lastSection = si;
        for (std::size_t ei = 0; ei < s.entries.size(); ++ei)
            if (s.entries[ei].name && IEquals(*s.entries[ei].name, name))
                hits.push_back({si, ei});
    }

    if (hits.size() == 1 && m_sections[hits[0].section].entries[hits[0].entry].text == fresh.text)
        return SetResult::Unchanged;

    if (!hits.empty()) {
        const Hit keep = hits.back();
        m_sections[keep.section].entries[keep.entry] = std::move(fresh);
        hits.pop_back();
        for (auto it = hits.rbegin(); it != hits.rend(); ++it) {
            auto& entries = m_sections[it->section].entries;
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(it->entry));
        }
        return SetResult::Changed;
    }

    if (lastSection != 0) {
        auto& entries = m_sections[lastSection].entries;
        auto pos = entries.end();
        while (pos != entries.begin() && Trim((pos - 1)->text).empty())
            --pos;
        entries.insert(pos, std::move(fresh));
        return SetResult::Changed;
    }

    // A blank line before each new section, as in registry exports.
    auto& before = m_sections.back().entries;
    if (before.empty() || !Trim(before.back().text).empty())
        before.push_back({NewLine(""), std::nullopt, std::nullopt});
    Section s;
    std::string header = "[";
    header += root == RootHive::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
    if (!path.empty()) {
        header += '\\';
        header += path;
    }
    header += ']';
    s.header = NewLine(header);
    s.known = true;
    s.root = root;
    s.path = std::string(path);
    s.entries.push_back(std::move(fresh));
    m_sections.push_back(std::move(s));
    return SetResult::Changed;
}

std::string RegFile::NewLine(std::string_view text) const {
    if (!m_crlf)
        return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    out += '\r';
    return out;
}

bool RegFile::HasSubKeys(RootHive root, std::string_view keyPath) const {
    const auto path = NormalizePath(keyPath);
    for (std::size_t si = 1; si < m_sections.size(); ++si) {
        const Section& s = m_sections[si];
        if (!s.known || s.root != root || s.path.size() <= path.size())
            continue;
        if (path.empty() || (s.path[path.size()] == '\\' &&
                             IEquals(std::string_view(s.path).substr(0, path.size()), path)))
            return true;
    }
    return false;
}

} // namespace lh::platform
