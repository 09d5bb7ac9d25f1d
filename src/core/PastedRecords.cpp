#include "PastedRecords.h"

#include "RecordsAddedStep.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>

namespace lh {

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool StartsWithFolded(std::string_view text, std::string_view lowerPrefix) {
    if (text.size() < lowerPrefix.size())
        return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerPrefix[i])
            return false;
    }
    return true;
}

bool LooksLikeUrl(std::string_view text) {
    const std::size_t mark = text.find("://");
    if (mark == std::string_view::npos || mark == 0 || mark + 3 >= text.size() ||
        !IsAsciiLetter(text[0]))
        return false;
    return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(mark), [](char c) {
        return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    });
}

bool LooksLikeEmail(std::string_view text) {
    const std::size_t at = text.find('@');
    if (at == std::string_view::npos || at == 0 || text.find('@', at + 1) != std::string_view::npos)
        return false;
    const std::string_view host = text.substr(at + 1);
    const std::size_t dot = host.find('.');
    return dot != std::string_view::npos && dot > 0 && host.back() != '.';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A cell holds one line: each line break (CR LF counted once) becomes a blank.
std::string OneLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            line += ' ';
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    return line;
}

bool HoldsText(const TabRow& row) {
    return std::any_of(row.begin(), row.end(),
                       [](const std::string& f) { return !TrimBlanks(f).empty(); });
}

} // namespace

bool LooksLikeAddress(std::string_view text) {
    if (text.empty() || std::any_of(text.begin(), text.end(), IsBlank))
        return false;
    if (StartsWithFolded(text, "mailto:"))
        return text.size() > 7;
    return LooksLikeUrl(text) || LooksLikeEmail(text);
}

std::size_t PasteRecords(Document& doc, const std::vector<TabRow>& rows) {
    TableStore& table = doc.Table();
    const TableStore::Row first = table.RecordCount();
    std::size_t added = 0;
    for (const TabRow& row : rows) {
        if (!HoldsText(row))
            continue;
        std::array<std::string, TableStore::kFieldCount> cells;
        const std::string_view lone = row.size() == 1 ? TrimBlanks(row[0]) : std::string_view();
        if (row.size() == 1 && LooksLikeAddress(lone)) {
            cells[TableStore::kAddress] = std::string(lone);
        } else {
            for (std::size_t f = 0; f < row.size(); ++f) {
                const std::size_t into = std::min<std::size_t>(f, TableStore::kRemark);
                if (f > into && !row[f].empty())
                    cells[into] += cells[into].empty() ? "" : " ";
                cells[into] += OneLine(row[f]);
            }
        }
        table.AppendRecord(cells[0], cells[1], cells[2], cells[3]);
        ++added;
    }
    if (added > 0)
        doc.RecordStep(std::make_unique<RecordsAddedStep>(kPasteStepName, first,
                                                          static_cast<TableStore::Row>(added)));
    return added;
}

} // namespace lh
