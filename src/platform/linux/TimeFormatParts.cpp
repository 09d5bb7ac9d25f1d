#include "platform/linux/TimeFormatParts.h"

#include <vector>

namespace lh::platform {

namespace {

// Replaces the composite conversions by their parts, so only single fields remain.
std::string Expand(std::string_view format) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out += format[i];
            continue;
        }
        const char c = format[++i];
        switch (c) {
        case 'D':
            out += "%m/%d/%y";
            break;
        case 'F':
            out += "%Y-%m-%d";
            break;
        case 'T':
            out += "%H:%M:%S";
            break;
        case 'R':
            out += "%H:%M";
            break;
        case 'r':
            out += "%I:%M:%S %p";
            break;
        default:
            out += '%';
            out += c;
        }
    }
    return out;
}

struct Piece {
    char conversion = 0; // the field letter, or 0 for literal text
    std::string literal;
};

// The format as alternating fields and literal runs; flags, widths and the E/O modifiers of a
// conversion ("%-d", "%Ey") are dropped, "%%" and "%n"/"%t" are literal.
std::vector<Piece> Split(std::string_view format) {
    const std::string f = Expand(format);
    std::vector<Piece> pieces;
    auto literal = [&pieces](std::string_view text) {
        if (pieces.empty() || pieces.back().conversion != 0)
            pieces.push_back({});
        pieces.back().literal += text;
    };
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%') {
            literal(std::string_view(&f[i], 1));
            continue;
        }
        std::size_t j = i + 1;
        while (j < f.size() &&
               (f[j] == '-' || f[j] == '_' || f[j] == '0' || f[j] == '^' || f[j] == '#' ||
                f[j] == 'E' || f[j] == 'O' || (f[j] >= '1' && f[j] <= '9')))
            ++j;
        if (j >= f.size())
            break;
        const char c = f[j];
        i = j;
        if (c == '%')
            literal("%");
        else if (c == 'n')
            literal("\n");
        else if (c == 't')
            literal("\t");
        else
            pieces.push_back({c, {}});
    }
    return pieces;
}

} // namespace

std::string FieldSeparator(std::string_view format, std::string_view fallback) {
    static constexpr std::string_view numeric = "YyCmdeHIMSkl";
    // The text between each two neighbouring numeric fields; a word field (weekday, month name,
    // am/pm) between them makes the gap unusable.
    std::vector<std::string> gaps;
    std::string gap;
    bool inGap = false;
    bool usable = true;
    for (const Piece& p : Split(format)) {
        if (p.conversion == 0) {
            gap += p.literal;
        } else if (numeric.find(p.conversion) != std::string_view::npos) {
            if (inGap)
                gaps.push_back(usable ? gap : std::string("%"));
            inGap = true;
            usable = true;
            gap.clear();
        } else {
            usable = false;
        }
    }
    if (gaps.empty() || gaps[0].empty() || gaps[0] == "%")
        return std::string(fallback);
    if (gaps.size() >= 2 && gaps[1] != gaps[0])
        return std::string(fallback);
    return gaps[0];
}

DateOrder DateFieldOrder(std::string_view format) {
    std::string order;
    for (const Piece& p : Split(format)) {
        switch (p.conversion) {
        case 'Y':
        case 'y':
        case 'C':
        case 'G':
        case 'g':
            if (order.find('Y') == std::string::npos)
                order += 'Y';
            break;
        case 'm':
        case 'b':
        case 'B':
        case 'h':
            if (order.find('M') == std::string::npos)
                order += 'M';
            break;
        case 'd':
        case 'e':
            if (order.find('D') == std::string::npos)
                order += 'D';
            break;
        default:
            break;
        }
    }
    if (order == "DMY")
        return DateOrder::DayMonthYear;
    if (order == "MDY")
        return DateOrder::MonthDayYear;
    return DateOrder::YearMonthDay;
}

} // namespace lh::platform
