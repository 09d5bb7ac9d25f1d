#include "Listing.h"

#include "CellTexts.h"
#include "platform/Console.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace lh::cli {

namespace {

// The bytes a format escapes, as a table: the test runs once per byte of the listing. A listing
// goes to terminals and line-based tools, so no byte of a cell may act as a control there or
// break the line: every control character and DEL is escaped, the backslash itself too, so the
// original text can be recovered. 0xC2 is looked at for the C1 controls (U+0080-U+009F), which
// terminals may act on as they do on ESC sequences.
using EscapeSet = std::array<bool, 256>;

constexpr EscapeSet kTsvEscapes = [] {
    EscapeSet set{};
    for (int c = 0; c < 0x20; ++c)
        set[static_cast<std::size_t>(c)] = true;
    for (const std::size_t c : {0x5C, 0x7F, 0xC2}) // backslash, DEL, first byte of a C1 control
        set[c] = true;
    return set;
}();

constexpr EscapeSet kJsonEscapes = [] {
    EscapeSet set = kTsvEscapes;
    set[static_cast<unsigned char>('"')] = true;
    return set;
}();

bool IsC1At(std::string_view text, std::size_t i) noexcept {
    return static_cast<unsigned char>(text[i]) == 0xC2 && i + 1 < text.size() &&
           static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
           static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

// Appends `text` with `escape(c, buf)` in place of each byte of `set` (a C1 control in place of
// its two bytes); runs of bytes that need no escape are copied whole.
void PutEscaped(std::string& out, std::string_view text, const EscapeSet& set,
                std::size_t (*escape)(unsigned char, char*)) {
    std::size_t from = 0;
    char buf[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!set[c])
            continue;
        if (c == 0xC2) {
            if (!IsC1At(text, i))
                continue;
            out.append(text.data() + from, i - from);
            out.append(buf,
                       static_cast<std::size_t>(std::snprintf(
                           buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(text[i + 1]))));
            from = ++i + 1;
            continue;
        }
        out.append(text.data() + from, i - from);
        out.append(buf, escape(c, buf));
        from = i + 1;
    }
    out.append(text.data() + from, text.size() - from);
}

// The two-character escape both formats share (a quote reaches it only from JSON, whose set
// holds it); 0 for a byte written as a numeric escape.
char EscapeLetter(unsigned char c) {
    switch (c) {
    case '\t':
        return 't';
    case '\n':
        return 'n';
    case '\r':
        return 'r';
    case '\\':
    case '"':
        return static_cast<char>(c);
    default:
        return 0;
    }
}

// Any control character without a letter of its own as \xHH in TSV, \u00HH in JSON.
std::size_t EscapeWith(unsigned char c, char* buf, const char* numeric) {
    if (const char letter = EscapeLetter(c)) {
        buf[0] = '\\';
        buf[1] = letter;
        return 2;
    }
    return static_cast<std::size_t>(std::snprintf(buf, 8, numeric, c));
}

std::size_t TsvEscape(unsigned char c, char* buf) {
    return EscapeWith(c, buf, "\\x%02x");
}

std::size_t JsonEscape(unsigned char c, char* buf) {
    return EscapeWith(c, buf, "\\u%04x");
}

void PutTsvField(std::string& line, std::string_view text) {
    PutEscaped(line, text, kTsvEscapes, TsvEscape);
}

void PutJsonString(std::string& out, std::string_view text) {
    out += '"';
    PutEscaped(out, text, kJsonEscapes, JsonEscape);
    out += '"';
}

void PutNumber(std::string& out, std::int64_t value) {
    char digits[24];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, static_cast<std::size_t>(r.ptr - digits));
}

} // namespace

void WriteListing(std::FILE* out, const TableStore& table, ListingFormat format, int& lossyCells) {
    const bool json = format == ListingFormat::Json;
    // Records go out in blocks of this size rather than a write per line.
    constexpr std::size_t kBlockBytes = std::size_t{1} << 16;
    constexpr TableStore::Row kRunRecords = 1024;
    std::string block;
    block.reserve(kBlockBytes + 4096);
    CellTexts texts;
    if (json)
        platform::WriteText(out, table.RecordCount() == 0 ? "[" : "[\n");
    static constexpr std::string_view kKeys[TableStore::kFieldCount] = {"name", "address", "access",
                                                                        "remark"};
    const TableStore::Row records = table.RecordCount();
    for (TableStore::Row r = 0; r < records; ++r) {
        if (r % kRunRecords == 0)
            texts.Prepare(table, r, std::min(r + kRunRecords, records), lossyCells);
        // Records are numbered by position from 1, as the page numbers them.
        if (json) {
            block += "  {\"no\": ";
            PutNumber(block, r + 1);
            for (int f = 0; f < TableStore::kFieldCount; ++f) {
                block += ", \"";
                block += kKeys[f];
                block += "\": ";
                PutJsonString(block, texts.Get(r, f));
            }
            block += r + 1 < records ? "},\n" : "}\n";
        } else {
            PutNumber(block, r + 1);
            for (int f = 0; f < TableStore::kFieldCount; ++f) {
                block += '\t';
                PutTsvField(block, texts.Get(r, f));
            }
            block += '\n';
        }
        if (block.size() >= kBlockBytes) {
            platform::WriteText(out, block);
            block.clear();
        }
    }
    platform::WriteText(out, block);
    if (json)
        platform::WriteText(out, "]\n");
}

} // namespace lh::cli
