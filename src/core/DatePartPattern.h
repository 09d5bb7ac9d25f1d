#pragma once

// The date part of the user's access stamps (such as "2024/05/01 " before the clock) as a pattern
// of zero-padded numbers and fixed marks, so that the date of any day is written by hand instead
// of asking the locale, which costs thousands of instructions a day and an import of bookmarks
// spread over years meets thousands of days. Learnt from the locale's own texts of a few days and
// only taken when it gives every one of them exactly.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

class DatePartPattern {
public:
    // The locale's date part of year (full), month (1-12) and day (1-31).
    using DatePart = std::function<std::optional<std::string>(int year, int month, int day)>;

    // Empty when the texts do not show the year in four digits and the month and day in two,
    // each once, between marks without digits, or when the pattern misses any of the days it is
    // checked with.
    static std::optional<DatePartPattern> Learn(const DatePart& datePart);

    // Appends the date part of this day; false, with nothing appended, for a year outside
    // 1000-9999, which four digits do not hold.
    bool Append(std::string& out, int year, int month, int day) const;

private:
    enum class Field { Year, Month, Day };
    struct Piece {
        std::string marks; // written before the field
        Field field = Field::Year;
    };

    std::vector<Piece> m_pieces; // three, in the order the text shows them
    std::string m_tail;          // after the last field
};

} // namespace lh
