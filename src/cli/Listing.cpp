#include "Listing.h"

#include "CellTexts.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace lh::cli {

namespace {

// The bytes a format escapes, as a table: the test runs once per byte of the listing.
using EscapeSet = std::array<bool, 256>;

constexpr EscapeSet kTsvEscapes = [] {
    EscapeSet set{};
    for (const unsigned char c : {'\t', '\n', '\r', '\\'})
        set[c] = true;
    return set;
}();

constexpr EscapeSet kJsonEscapes = [] {
    EscapeSet set{};
    for (int c = 0; c < 0x20; ++c)
        set[static_cast<std::size_t>(c)] = true;
    for (const unsigned char c : {'"', '\\', '\x7F'})
        set[c] = true;
    return set;
}();

// Appends `text` with `escape(c, buf)` in place of each byte of `set`; runs of bytes that need
// no escape are copied whole.
void PutEscaped(std::string& out, std::string_view text, const EscapeSet& set,
                std::size_t (*escape)(unsigned char, char*)) {
    std::size_t from = 0;
    char buf[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!set[c])
            continue;
        out.append(text.data() + from, i - from);
        out.append(buf, escape(c, buf));
        from = i + 1;
    }
    out.append(text.data() + from, text.size() - from);
}

std::size_t TsvEscape(unsigned char c, char* buf) {
    char letter;
    switch (c) {
    case '\t':
        letter = 't';
        break;
    case '\n':
        letter = 'n';
        break;
    case '\r':
        letter = 'r';
        break;
    case '\\':
        letter = '\\';
        break;
    default:
        return 0;
    }
    buf[0] = '\\';
    buf[1] = letter;
    return 2;
}

std::size_t JsonEscape(unsigned char c, char* buf) {
    char letter;
    switch (c) {
    case '"':
    case '\\':
        letter = static_cast<char>(c);
        break;
    case '\n':
        letter = 'n';
        break;
    case '\r':
        letter = 'r';
        break;
    case '\t':
        letter = 't';
        break;
    default:
        if (c < 0x20 || c == 0x7F)
            return static_cast<std::size_t>(std::snprintf(buf, 8, "\\u%04x", c));
        return 0;
    }
    buf[0] = '\\';
    buf[1] = letter;
    return 2;
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
        std::fputs(table.RecordCount() == 0 ? "[" : "[\n", out);
    static constexpr std::string_view kKeys[5] = {"no", "name", "address", "access", "remark"};
    for (TableStore::Row r = 1; r < table.EntryRow(); ++r) {
        if ((r - 1) % kRunRecords == 0)
            texts.Prepare(table, r, std::min(r + kRunRecords, table.EntryRow()), lossyCells);
        if (json) {
            block += "  {\"no\": ";
            PutNumber(block, r);
            for (int c = 1; c <= 4; ++c) {
                block += ", \"";
                block += kKeys[c];
                block += "\": ";
                PutJsonString(block, texts.Get(r, c));
            }
            block += r + 1 < table.EntryRow() ? "},\n" : "}\n";
        } else {
            PutNumber(block, r);
            for (int c = 1; c <= 4; ++c) {
                block += '\t';
                PutTsvField(block, texts.Get(r, c));
            }
            block += '\n';
        }
        if (block.size() >= kBlockBytes) {
            std::fwrite(block.data(), 1, block.size(), out);
            block.clear();
        }
    }
    std::fwrite(block.data(), 1, block.size(), out);
    if (json)
        std::fputs("]\n", out);
}

} // namespace lh::cli
