#include "MarkupTokenizer.h"

#include "util/Cp932Fit.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace lh {

namespace {

// What each byte can be in markup, one bit per question: the tag loops ask one table lookup
// per byte instead of a chain of comparisons.
enum ByteClass : unsigned char {
    kLetter = 1,        // ASCII letter
    kNameByte = 2,      // in a tag name: letters, digits, "-", "_", ":", "."
    kSpace = 4,         // blank or line break
    kAttributeEnd = 8,  // ends an attribute name: blank, "=", ">", "/"
    kBareValueEnd = 16, // ends an unquoted value: blank, ">"
};

constexpr std::array<unsigned char, 256> kByteClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
        unsigned char k = 0;
        if (letter)
            k |= kLetter;
        if (letter || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ':' || c == '.')
            k |= kNameByte;
        if (space)
            k |= kSpace | kAttributeEnd | kBareValueEnd;
        if (c == '=' || c == '/')
            k |= kAttributeEnd;
        if (c == '>')
            k |= kAttributeEnd | kBareValueEnd;
        classes[static_cast<std::size_t>(c)] = k;
    }
    return classes;
}();

bool Is(char c, ByteClass what) noexcept {
    return (kByteClasses[static_cast<unsigned char>(c)] & what) != 0;
}

bool IsAsciiLetter(char c) noexcept {
    return Is(c, kLetter);
}

bool IsNameChar(char c) noexcept {
    return Is(c, kNameByte);
}

bool IsSpace(char c) noexcept {
    return Is(c, kSpace);
}

char Lower(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

void AppendCodePoint(std::string& out, std::uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    AppendUtf8Char(out, cp);
}

struct NamedReference {
    std::string_view name;
    std::uint32_t cp;
};

// The references bookmark titles are seen with. No-break space becomes a space: code page 932
// has none, and a space is what the reader saw.
constexpr NamedReference kNamed[] = {
    {"amp", '&'},      {"lt", '<'},       {"gt", '>'},      {"quot", '"'},     {"apos", '\''},
    {"nbsp", ' '},     {"copy", 0xA9},    {"reg", 0xAE},    {"trade", 0x2122}, {"hellip", 0x2026},
    {"mdash", 0x2014}, {"ndash", 0x2013}, {"laquo", 0xAB},  {"raquo", 0xBB},   {"middot", 0xB7},
    {"times", 0xD7},   {"divide", 0xF7},  {"yen", 0xA5},    {"lsquo", 0x2018}, {"rsquo", 0x2019},
    {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"bull", 0x2022}, {"deg", 0xB0},
};

// Decodes the reference at raw[i] == '&'; returns the bytes consumed, 0 when it is none.
std::size_t DecodeReference(std::string& out, std::string_view raw, std::size_t i) {
    // The ampersand's own reference, in nearly every address with a query, without the search.
    if (raw.compare(i, 5, "&amp;") == 0) {
        out += '&';
        return 5;
    }
    std::size_t p = i + 1;
    if (p < raw.size() && raw[p] == '#') {
        ++p;
        const bool hex = p < raw.size() && (raw[p] == 'x' || raw[p] == 'X');
        if (hex)
            ++p;
        const std::size_t digitsFrom = p;
        std::uint32_t value = 0;
        while (p < raw.size()) {
            const char c = raw[p];
            int digit = -1;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (hex && Lower(c) >= 'a' && Lower(c) <= 'f')
                digit = Lower(c) - 'a' + 10;
            if (digit < 0)
                break;
            // Past the last code point the value stays out of range, however many digits follow.
            if (value <= 0x10FFFF)
                value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
            ++p;
        }
        if (p == digitsFrom)
            return 0;
        if (p < raw.size() && raw[p] == ';')
            ++p;
        AppendCodePoint(out, value);
        return p - i;
    }
    std::size_t end = p;
    while (end < raw.size() && end - p < 8 && IsAsciiLetter(raw[end]))
        ++end;
    if (end >= raw.size() || raw[end] != ';')
        return 0;
    const std::string_view name = raw.substr(p, end - p);
    for (const NamedReference& ref : kNamed) {
        if (ref.name == name) {
            AppendCodePoint(out, ref.cp);
            return end + 1 - i;
        }
    }
    return 0;
}

} // namespace

bool MarkupToken::Is(Kind k, std::string_view lower) const noexcept {
    return kind == k && EqualsIgnoringCase(name, lower);
}

const std::string_view* MarkupToken::Attribute(std::string_view lower) const noexcept {
    for (const MarkupAttribute& a : attributes)
        if (EqualsIgnoringCase(a.name, lower))
            return &a.rawValue;
    return nullptr;
}

void AppendDecodedMarkup(std::string& out, std::string_view raw) {
    std::size_t i = 0;
    while (i < raw.size()) {
        const std::size_t amp = raw.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(raw.substr(i));
            return;
        }
        out.append(raw.substr(i, amp - i));
        const std::size_t used = DecodeReference(out, raw, amp);
        if (used == 0) {
            out += '&';
            i = amp + 1;
        } else {
            i = amp + used;
        }
    }
}

bool MarkupTokenizer::Next(MarkupToken& token) {
    const std::size_t size = m_page.size();
    while (m_pos < size) {
        const std::size_t start = m_pos;
        const char next = start + 1 < size ? m_page[start + 1] : '\0';
        if (m_page[start] == '<' && (next == '!' || next == '?')) {
            // Comment, declaration or processing instruction: nothing a bookmark is made of.
            const bool comment = m_page.substr(start, 4) == "<!--";
            const std::size_t end =
                comment ? m_page.find("-->", start + 4) : m_page.find('>', start);
            m_pos = end == std::string_view::npos ? size : end + (comment ? 3 : 1);
            continue;
        }
        if (m_page[start] == '<' && (IsAsciiLetter(next) || (next == '/' && start + 2 < size &&
                                                             IsAsciiLetter(m_page[start + 2])))) {
            ReadTag(token);
            return true;
        }
        // Text runs to the next "<" that opens markup; a lone "<" belongs to the text.
        std::size_t p = start + 1;
        for (;;) {
            p = m_page.find('<', p);
            if (p == std::string_view::npos) {
                p = size;
                break;
            }
            const char c = p + 1 < size ? m_page[p + 1] : '\0';
            if (IsAsciiLetter(c) || c == '/' || c == '!' || c == '?')
                break;
            ++p;
        }
        token.kind = MarkupToken::Kind::Text;
        token.name = {};
        token.attributes.clear();
        token.text = m_page.substr(start, p - start);
        m_pos = p;
        return true;
    }
    return false;
}

void MarkupTokenizer::ReadTag(MarkupToken& token) {
    const std::size_t size = m_page.size();
    std::size_t p = m_pos + 1;
    const bool end = m_page[p] == '/';
    if (end)
        ++p;
    const std::size_t nameFrom = p;
    while (p < size && IsNameChar(m_page[p]))
        ++p;
    token.kind = end ? MarkupToken::Kind::EndTag : MarkupToken::Kind::StartTag;
    token.name = m_page.substr(nameFrom, p - nameFrom);
    token.text = {};
    token.attributes.clear();
    if (end) {
        const std::size_t gt = m_page.find('>', p);
        m_pos = gt == std::string_view::npos ? size : gt + 1;
        return;
    }
    while (p < size) {
        while (p < size && (IsSpace(m_page[p]) || m_page[p] == '/'))
            ++p;
        if (p >= size)
            break;
        if (m_page[p] == '>') {
            ++p;
            break;
        }
        const std::size_t attrFrom = p;
        while (p < size && !Is(m_page[p], kAttributeEnd))
            ++p;
        if (p == attrFrom)
            ++p; // a "=" where a name should be: step over it
        MarkupAttribute attribute{m_page.substr(attrFrom, p - attrFrom), {}};
        std::size_t q = p;
        while (q < size && IsSpace(m_page[q]))
            ++q;
        if (q < size && m_page[q] == '=' && attribute.name != "=") {
            ++q;
            while (q < size && IsSpace(m_page[q]))
                ++q;
            if (q < size && (m_page[q] == '"' || m_page[q] == '\'')) {
                const std::size_t close = QuotedValueEnd(q);
                attribute.rawValue = m_page.substr(q + 1, close - q - 1);
                p = close < size && m_page[close] == m_page[q] ? close + 1 : close;
            } else {
                const std::size_t valueFrom = q;
                while (q < size && !Is(m_page[q], kBareValueEnd))
                    ++q;
                attribute.rawValue = m_page.substr(valueFrom, q - valueFrom);
                p = q;
            }
        }
        token.attributes.push_back(attribute);
    }
    m_pos = p;
    if (token.Is(MarkupToken::Kind::StartTag, "script") ||
        token.Is(MarkupToken::Kind::StartTag, "style"))
        SkipRawText(token.name);
}

std::size_t MarkupTokenizer::QuotedValueEnd(std::size_t open) const noexcept {
    const char* const page = m_page.data();
    const std::size_t size = m_page.size();
    const auto find = [page](char c, std::size_t from, std::size_t to) {
        const void* hit = std::memchr(page + from, c, to - from);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - page) : to;
    };
    // A value that would run past the end of its line, where a ">" still stands on it, has lost
    // its closing quote: it ends at that ">" rather than swallowing the entries that follow
    // (bookmark files hold one entry a line). Each search stops at the closing quote or that
    // line's end, so a page without line breaks is still read in one linear pass.
    const std::size_t close = find(m_page[open], open + 1, size);
    if (close == size)
        return find('>', open + 1, size);
    const std::size_t lineEnd = find('\n', open + 1, close);
    if (lineEnd == close)
        return close;
    const std::size_t gt = find('>', open + 1, lineEnd);
    return gt < lineEnd ? gt : close;
}

void MarkupTokenizer::SkipRawText(std::string_view tagName) {
    std::size_t p = m_pos;
    for (;;) {
        p = m_page.find("</", p);
        if (p == std::string_view::npos) {
            m_pos = m_page.size();
            return;
        }
        const std::string_view candidate = m_page.substr(p + 2, tagName.size());
        if (candidate.size() == tagName.size()) {
            bool same = true;
            for (std::size_t i = 0; i < candidate.size() && same; ++i)
                same = Lower(candidate[i]) == Lower(tagName[i]);
            if (same) {
                m_pos = p;
                return;
            }
        }
        p += 2;
    }
}

} // namespace lh
