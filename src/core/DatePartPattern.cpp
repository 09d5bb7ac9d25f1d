#include "DatePartPattern.h"

#include <algorithm>
#include <array>

namespace lh {

namespace {

bool HasDigit(std::string_view s) noexcept {
    return std::any_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::optional<DatePartPattern> DatePartPattern::Learn(const DatePart& datePart) {
    // Every number of the learning day differs from the others, so each is found by itself.
    const std::optional<std::string> sample = datePart(2033, 11, 22);
    if (!sample)
        return std::nullopt;
    const std::string_view text = *sample;
    struct Found {
        std::size_t at;
        std::size_t length;
        Field field;
    };
    std::array<Found, 3> found = {Found{text.find("2033"), 4, Field::Year},
                                  Found{text.find("11"), 2, Field::Month},
                                  Found{text.find("22"), 2, Field::Day}};
    for (const Found& f : found)
        if (f.at == std::string_view::npos)
            return std::nullopt;
    std::sort(found.begin(), found.end(),
              [](const Found& a, const Found& b) { return a.at < b.at; });
    DatePartPattern pattern;
    std::size_t from = 0;
    for (const Found& f : found) {
        if (f.at < from)
            return std::nullopt; // the numbers overlap
        const std::string_view marks = text.substr(from, f.at - from);
        if (HasDigit(marks))
            return std::nullopt;
        pattern.m_pieces.push_back({std::string(marks), f.field});
        from = f.at + f.length;
    }
    pattern.m_tail = text.substr(from);
    if (HasDigit(pattern.m_tail))
        return std::nullopt;
    // Days with one-digit months and days, other centuries and a leap day: padding, and a year
    // shown otherwise (an era's, say), tell here.
    static constexpr int kChecks[][3] = {{1970, 1, 2},  {1999, 1, 2},   {2008, 9, 30},
                                         {2024, 2, 29}, {2033, 11, 22}, {2100, 12, 31},
                                         {4321, 10, 5}};
    for (const auto& c : kChecks) {
        const std::optional<std::string> expected = datePart(c[0], c[1], c[2]);
        std::string made;
        if (!expected || !pattern.Append(made, c[0], c[1], c[2]) || made != *expected)
            return std::nullopt;
    }
    return pattern;
}

bool DatePartPattern::Append(std::string& out, int year, int month, int day) const {
    if (year < 1000 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    for (const Piece& p : m_pieces) {
        out += p.marks;
        switch (p.field) {
        case Field::Year:
            out += static_cast<char>('0' + year / 1000);
            out += static_cast<char>('0' + year / 100 % 10);
            out += static_cast<char>('0' + year / 10 % 10);
            out += static_cast<char>('0' + year % 10);
            break;
        case Field::Month:
            out += static_cast<char>('0' + month / 10);
            out += static_cast<char>('0' + month % 10);
            break;
        case Field::Day:
            out += static_cast<char>('0' + day / 10);
            out += static_cast<char>('0' + day % 10);
            break;
        }
    }
    out += m_tail;
    return true;
}

} // namespace lh
