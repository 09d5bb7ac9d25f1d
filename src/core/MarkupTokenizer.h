#pragma once

// A forgiving tokenizer for HTML pages written by other programs (browser bookmark files): start
// tags with their attributes, end tags and the text between them, one linear pass without
// recursion. Comments, declarations and the contents of script and style elements are passed
// over. Nothing is ever rejected: a stray "<" is text, a tag or comment cut off by the end of
// the page ends there, a quoted attribute value without its closing quote ends at the tag's ">".

#include <string>
#include <string_view>
#include <vector>

namespace lh {

struct MarkupAttribute {
    std::string_view name;
    std::string_view rawValue; // character references not yet decoded
};

struct MarkupToken {
    enum class Kind { Text, StartTag, EndTag };
    Kind kind = Kind::Text;
    std::string_view name; // tag name as written
    std::string_view text; // Text: the raw text, character references not yet decoded
    std::vector<MarkupAttribute> attributes;

    // Tag name compared blind to ASCII letter case; `lower` is in lower case.
    bool Is(Kind k, std::string_view lower) const noexcept;
    // Raw value of the first attribute of this name (any case; `lower` in lower case), or null.
    const std::string_view* Attribute(std::string_view lower) const noexcept;
};

class MarkupTokenizer {
public:
    explicit MarkupTokenizer(std::string_view page, std::size_t from = 0) noexcept
        : m_page(page), m_pos(from) {}

    // False at the end of the page.
    bool Next(MarkupToken& token);
    std::size_t Position() const noexcept { return m_pos; }
    // Whether the tokens so far were settled before the end of the page, so that bytes after it
    // would not have changed them: a page read in pieces keeps such tokens and takes the others
    // again, from where they began, once more bytes are there.
    bool EndedBeforePageEnd() const noexcept { return m_pos < m_page.size() && !m_searchedToEnd; }

private:
    void ReadTag(MarkupToken& token);
    void SkipRawText(std::string_view tagName);
    // Where the quoted attribute value opened at `open` ends when a line end (at `lineEnd`) or
    // the end of the page comes before its closing quote: that quote, or the ">" or end of page
    // that stands in for a lost one. A value that would run past the end of its line, where a
    // ">" still stands on it, has lost its closing quote: it ends at that ">" rather than
    // swallowing the entries that follow (bookmark files hold one entry a line). Each search
    // stops at the closing quote or that line's end, so a page without line breaks is still read
    // in one linear pass.
    std::size_t LostQuoteEnd(std::size_t open, std::size_t lineEnd) noexcept;

    std::string_view m_page;
    std::size_t m_pos = 0;
    // A lost quote's search went to the end of the page: its value ends at a ">" before, which
    // a closing quote further on would have changed. Every other token whose reading reaches the
    // end of the page ends there.
    bool m_searchedToEnd = false;
};

// Appends `raw` with its character references (&amp; &lt; &#39; &#x27; ...) decoded, as UTF-8.
// Unknown references stay as written; numeric ones that name no character give U+FFFD.
void AppendDecodedMarkup(std::string& out, std::string_view raw);

// The same written at `to`, which has room for raw.size() bytes: no reference is shorter than
// what it stands for. Returns the end of what was written.
char* PutDecodedMarkup(char* to, std::string_view raw);

// Inline: it is asked for every attribute and tag of pages with a hundred thousand entries.
inline bool EqualsIgnoringCase(std::string_view a, std::string_view lower) noexcept {
    if (a.size() != lower.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char c = a[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != lower[i])
            return false;
    }
    return true;
}

} // namespace lh
