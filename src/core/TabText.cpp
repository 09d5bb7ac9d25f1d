#include "TabText.h"

#include "QuotedField.h"

namespace lh {

namespace {

bool NeedsQuotes(std::string_view field) {
    return (!field.empty() && field.front() == '"') ||
           field.find_first_of("\t\r\n") != std::string_view::npos;
}

void AppendField(std::string& out, std::string_view field) {
    if (!NeedsQuotes(field)) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::vector<TabRow> ParseTabText(std::string_view text) {
    std::vector<TabRow> rows;
    if (text.empty())
        return rows;
    TabRow row;
    std::string field;
    // Once a quote was found unclosed, no quote follows it: later fields need not look ahead.
    bool quotesLeft = true;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        if (field.empty() && text[i] == '"' && quotesLeft) {
            // Closed at a quote not doubled; what follows the closing quote up to the next tab
            // or line break is kept as it stands.
            std::string quoted;
            const std::size_t after = ReadQuotedField(text, i + 1, quoted);
            if (after != std::string_view::npos) {
                field = std::move(quoted);
                i = after;
                const std::size_t end = text.find_first_of("\t\r\n", i);
                const std::size_t stop = end == std::string_view::npos ? n : end;
                field.append(text.substr(i, stop - i));
                i = stop;
                continue;
            }
            quotesLeft = false;
        }
        const char c = text[i];
        if (c == '\t') {
            row.push_back(std::move(field));
            field.clear();
            ++i;
        } else if (c == '\r' || c == '\n') {
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            i += (c == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
        } else {
            const std::size_t end = text.find_first_of("\t\r\n", i);
            const std::size_t stop = end == std::string_view::npos ? n : end;
            field.append(text.substr(i, stop - i));
            i = stop;
        }
    }
    const char last = text.back();
    if (last != '\r' && last != '\n') {
        row.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string FormatTabText(const std::vector<TabRow>& rows) {
    std::string out;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (r > 0)
            out += '\n';
        for (std::size_t f = 0; f < rows[r].size(); ++f) {
            if (f > 0)
                out += '\t';
            AppendField(out, rows[r][f]);
        }
    }
    return out;
}

} // namespace lh
