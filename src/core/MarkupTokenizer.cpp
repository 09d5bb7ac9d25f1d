#include "MarkupTokenizer.h"

#include "util/Cp932Fit.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define LH_MARKUP_SCAN_SSE2 1
#endif

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
    kSpaceOrSlash = 32, // passed over between attributes: blank, "/"
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
            k |= kSpace | kAttributeEnd | kBareValueEnd | kSpaceOrSlash;
        if (c == '=' || c == '/')
            k |= kAttributeEnd;
        if (c == '/')
            k |= kSpaceOrSlash;
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

// The bytes the searches below look for: `Wanted` decides on a byte; with SSE2, `Hits` flags in
// sixteen bytes at once those that may be wanted.
struct OneByte {
    char c;
    bool Wanted(char b) const noexcept { return b == c; }
};

struct EitherByte {
    char a;
    char b;
    bool Wanted(char x) const noexcept { return x == a || x == b; }
};

// A class of bytes that holds no byte but blanks, "=", "/" and ">".
struct MarkupEnd {
    ByteClass what;
    bool Wanted(char b) const noexcept { return Is(b, what); }
};

// The searches look at sixteen bytes a step: the runs they cross (a line's indent, a title, an
// address, an attribute's name) are mostly shorter than what a library call costs to set up.
#ifdef LH_MARKUP_SCAN_SSE2
inline unsigned Hits(const OneByte& set, __m128i x) noexcept {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8(set.c))));
}

inline unsigned Hits(const EitherByte& set, __m128i x) noexcept {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
        _mm_cmpeq_epi8(x, _mm_set1_epi8(set.a)), _mm_cmpeq_epi8(x, _mm_set1_epi8(set.b)))));
}

// Bytes below 0x21, "=", "/" and ">".
inline unsigned Hits(const MarkupEnd&, __m128i x) noexcept {
    const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(' ')), x);
    const __m128i marks = _mm_or_si128(
        _mm_cmpeq_epi8(x, _mm_set1_epi8('=')),
        _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('/')), _mm_cmpeq_epi8(x, _mm_set1_epi8('>'))));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(low, marks)));
}

// The first wanted byte among the sixteen at `text + at` whose bits `keep` holds, or npos.
template <typename Set>
inline std::size_t FirstOf16(const char* text, std::size_t at, unsigned keep,
                             const Set& set) noexcept {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
    for (unsigned m = Hits(set, x) & keep; m != 0; m &= m - 1) {
        const std::size_t i = at + static_cast<std::size_t>(std::countr_zero(m));
        if (set.Wanted(text[i]))
            return i;
    }
    return std::string_view::npos;
}
#endif

// First i in [from, to) where text[i] is in `set`; `to` when there is none. `text` is where the
// text searched begins, so the sixteen bytes that end at `to` may be read whenever `to` is 16 or
// more: the last few bytes are looked at in one step that reads some before `from` again, and
// drops their flags.
template <typename Set>
inline std::size_t Find(const char* text, std::size_t from, std::size_t to,
                        const Set& set) noexcept {
#ifdef LH_MARKUP_SCAN_SSE2
    for (; to - from >= 16; from += 16)
        if (const std::size_t i = FirstOf16(text, from, 0xFFFFu, set); i != std::string_view::npos)
            return i;
    if (from < to && to >= 16) {
        const std::size_t i = FirstOf16(text, to - 16, 0xFFFFu << (16 - (to - from)), set);
        return i != std::string_view::npos ? i : to;
    }
#endif
    while (from < to && !set.Wanted(text[from]))
        ++from;
    return from;
}

inline std::size_t FindByte(const char* text, std::size_t from, std::size_t to, char c) noexcept {
    return Find(text, from, to, OneByte{c});
}

// Copies the first and the last word of n >= sizeof(Word) bytes, which may overlap: all n of
// them when n <= 2 * sizeof(Word).
template <typename Word> void CopyEnds(char* to, const char* from, std::size_t n) noexcept {
    Word head;
    Word tail;
    std::memcpy(&head, from, sizeof head);
    std::memcpy(&tail, from + n - sizeof tail, sizeof tail);
    std::memcpy(to, &head, sizeof head);
    std::memcpy(to + n - sizeof tail, &tail, sizeof tail);
}

// Copies the fewer than sixteen bytes an address ends with in two overlapping moves, without a
// library call: it is done for nearly every address.
inline void CopyShort(char* to, const char* from, std::size_t n) noexcept {
    if (n >= 8) {
        CopyEnds<std::uint64_t>(to, from, n);
        if (n > 16)
            std::memcpy(to + 8, from + 8, n - 16);
    } else if (n >= 4) {
        CopyEnds<std::uint32_t>(to, from, n);
    } else {
        for (std::size_t k = 0; k < n; ++k)
            to[k] = from[k];
    }
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
    const char* const data = raw.data();
    const std::size_t size = raw.size();
    std::size_t i = 0;
    for (;;) {
        const std::size_t amp = FindByte(data, i, size, '&');
        if (amp == size) {
            out.append(data + i, size - i);
            return;
        }
        // "&amp;", in nearly every address with a query, is the "&" it starts with: copied with
        // the text before it.
        if (size - amp >= 5 && std::memcmp(data + amp, "&amp;", 5) == 0) {
            out.append(data + i, amp + 1 - i);
            i = amp + 5;
            continue;
        }
        out.append(data + i, amp - i);
        const std::size_t used = DecodeReference(out, raw, amp);
        if (used == 0) {
            out += '&';
            i = amp + 1;
        } else {
            i = amp + used;
        }
    }
}

char* PutDecodedMarkup(char* to, std::string_view raw) {
    const char* const data = raw.data();
    const std::size_t size = raw.size();
    std::size_t i = 0;
    while (i < size) {
        std::size_t amp = size; // the run up to here is copied
#ifdef LH_MARKUP_SCAN_SSE2
        // Sixteen bytes a step are copied as they are searched. What is written never runs ahead
        // of what is read, so each store stays within the room given.
        const __m128i ampersand = _mm_set1_epi8('&');
        for (; size - i >= 16; i += 16, to += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to), x);
            const auto hits =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, ampersand)));
            if (hits != 0) {
                const auto k = static_cast<std::size_t>(std::countr_zero(hits));
                amp = i + k;
                to += k;
                break;
            }
        }
        if (amp == size)
#endif
        {
            amp = FindByte(data, i, size, '&');
            CopyShort(to, data + i, amp - i);
            to += amp - i;
        }
        if (amp == size)
            break;
        if (size - amp >= 5 && std::memcmp(data + amp, "&amp;", 5) == 0) {
            *to++ = '&';
            i = amp + 5;
            continue;
        }
        std::string character; // one character: no allocation
        const std::size_t used = DecodeReference(character, raw, amp);
        if (used == 0) {
            *to++ = '&';
            i = amp + 1;
        } else {
            to = std::copy(character.begin(), character.end(), to);
            i = amp + used;
        }
    }
    return to;
}

// Inline in Next, its one caller: a call per tag costs more than the shorter tags take.
[[gnu::always_inline]] inline void MarkupTokenizer::ReadTag(MarkupToken& token) {
    const char* const page = m_page.data();
    const std::size_t size = m_page.size();
    std::size_t p = m_pos + 1;
    const bool end = page[p] == '/';
    if (end)
        ++p;
    const std::size_t nameFrom = p;
    while (p < size && IsNameChar(page[p]))
        ++p;
    token.kind = end ? MarkupToken::Kind::EndTag : MarkupToken::Kind::StartTag;
    token.name = std::string_view(page + nameFrom, p - nameFrom);
    token.text = {};
    token.attributes.clear();
    if (end) {
        const std::size_t gt = p < size && page[p] == '>' ? p : FindByte(page, p, size, '>');
        m_pos = gt == size ? size : gt + 1;
        return;
    }
    for (;;) {
        while (p < size && Is(page[p], kSpaceOrSlash))
            ++p;
        if (p >= size)
            break;
        if (page[p] == '>') {
            ++p;
            break;
        }
        const std::size_t attrFrom = p;
        p = Find(page, p, size, MarkupEnd{kAttributeEnd});
        // NAME="value", the shape of nearly every attribute of a bookmark page, goes straight to
        // its closing quote; what the steps below would make of it is the same.
        if (p != attrFrom && p + 1 < size && page[p] == '=' && page[p + 1] == '"') {
            const std::size_t q = p + 1;
            std::size_t close = Find(page, q + 1, size, EitherByte{'"', '\n'});
            if (close == size || page[close] != '"')
                close = LostQuoteEnd(q, close);
            token.attributes.push_back({std::string_view(page + attrFrom, p - attrFrom),
                                        std::string_view(page + q + 1, close - q - 1)});
            p = close < size && page[close] == '"' ? close + 1 : close;
            continue;
        }
        // A "=" where a name should be is stepped over, and stands as a name without a value.
        const bool stray = p == attrFrom;
        if (stray)
            ++p;
        token.attributes.push_back({std::string_view(page + attrFrom, p - attrFrom), {}});
        MarkupAttribute& attribute = token.attributes.back();
        if (stray)
            continue;
        std::size_t q = p;
        while (q < size && IsSpace(page[q]))
            ++q;
        if (q >= size || page[q] != '=')
            continue;
        ++q;
        while (q < size && IsSpace(page[q]))
            ++q;
        if (q < size && (page[q] == '"' || page[q] == '\'')) {
            const char quote = page[q];
            // Nearly always the quote comes before any line end, which one search settles.
            std::size_t close = Find(page, q + 1, size, EitherByte{quote, '\n'});
            if (close == size || page[close] != quote)
                close = LostQuoteEnd(q, close);
            attribute.rawValue = std::string_view(page + q + 1, close - q - 1);
            p = close < size && page[close] == quote ? close + 1 : close;
        } else {
            p = Find(page, q, size, MarkupEnd{kBareValueEnd});
            attribute.rawValue = std::string_view(page + q, p - q);
        }
    }
    m_pos = p;
    if (token.Is(MarkupToken::Kind::StartTag, "script") ||
        token.Is(MarkupToken::Kind::StartTag, "style"))
        SkipRawText(token.name);
}

bool MarkupTokenizer::Next(MarkupToken& token) {
    const char* const page = m_page.data();
    const std::size_t size = m_page.size();
    while (m_pos < size) {
        const std::size_t start = m_pos;
        if (page[start] == '<') {
            const char next = start + 1 < size ? page[start + 1] : '\0';
            if (next == '!' || next == '?') {
                // Comment, declaration or processing instruction: nothing a bookmark is made of.
                const bool comment = m_page.substr(start, 4) == "<!--";
                const std::size_t end =
                    comment ? m_page.find("-->", start + 4) : m_page.find('>', start);
                m_pos = end == std::string_view::npos ? size : end + (comment ? 3 : 1);
                continue;
            }
            if (IsAsciiLetter(next) ||
                (next == '/' && start + 2 < size && IsAsciiLetter(page[start + 2]))) {
                ReadTag(token);
                return true;
            }
        }
        // Text runs to the next "<" that opens markup; a lone "<" belongs to the text.
        std::size_t p = start + 1;
        for (;;) {
            p = FindByte(page, p, size, '<');
            if (p == size)
                break;
            const char c = p + 1 < size ? page[p + 1] : '\0';
            if (IsAsciiLetter(c) || c == '/' || c == '!' || c == '?')
                break;
            ++p;
        }
        token.kind = MarkupToken::Kind::Text;
        token.name = {};
        token.attributes.clear();
        token.text = std::string_view(page + start, p - start);
        m_pos = p;
        return true;
    }
    return false;
}

std::size_t MarkupTokenizer::LostQuoteEnd(std::size_t open, std::size_t lineEnd) noexcept {
    const char* const page = m_page.data();
    const std::size_t size = m_page.size();
    const std::size_t close = FindByte(page, lineEnd, size, page[open]);
    if (close == size) {
        m_searchedToEnd = true;
        return FindByte(page, open + 1, size, '>');
    }
    const std::size_t gt = FindByte(page, open + 1, lineEnd, '>');
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
