#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lh {

// Reads a quoted field whose opening quote stands just before `at`, as spreadsheets write it
// (a doubled quote is one quote). Appends its text to `out` and answers the position after the
// closing quote, or npos when no closing quote follows; then `out` holds everything after the
// opening quote with doubled quotes undone, and the caller decides what an unclosed field means.
inline std::size_t ReadQuotedField(std::string_view text, std::size_t at, std::string& out) {
    for (;;) {
        const std::size_t quote = text.find('"', at);
        if (quote == std::string_view::npos) {
            out.append(text.substr(at));
            return std::string_view::npos;
        }
        out.append(text.substr(at, quote - at));
        if (quote + 1 < text.size() && text[quote + 1] == '"') {
            out += '"';
            at = quote + 2;
            continue;
        }
        return quote + 1;
    }
}

} // namespace lh
