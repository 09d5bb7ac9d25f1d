#include "platform/Opener.h"

namespace lh::platform {

std::vector<std::string> SplitParameters(const std::string& parameters) {
    std::vector<std::string> out;
    std::string current;
    bool inQuotes = false;
    bool have = false;
    for (const char c : parameters) {
        if (c == '"') {
            inQuotes = !inQuotes;
            have = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (have)
                out.push_back(current);
            current.clear();
            have = false;
        } else {
            current += c;
            have = true;
        }
    }
    if (have)
        out.push_back(current);
    return out;
}

std::string JoinWindowsArguments(const std::vector<std::string>& arguments) {
    std::string out;
    for (const std::string& arg : arguments) {
        if (!out.empty())
            out += ' ';
        if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
            out += arg;
            continue;
        }
        // A program's start-up code reads 2n backslashes before a quote as n backslashes and
        // the quote as a delimiter, 2n+1 as n and a literal quote; elsewhere they stand as
        // they are. So double the ones before a quote and before the closing quote.
        out += '"';
        std::size_t backslashes = 0;
        for (const char c : arg) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            if (c == '"')
                out.append(backslashes * 2 + 1, '\\');
            else
                out.append(backslashes, '\\');
            backslashes = 0;
            out += c;
        }
        out.append(backslashes * 2, '\\');
        out += '"';
    }
    return out;
}

} // namespace lh::platform
