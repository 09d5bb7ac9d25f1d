#pragma once

// The user's locale formats, one implementation for the program and the companion.
// Results are UTF-8 display text.

#include <cstdint>
#include <ctime>
#include <string>

namespace lh::platform {

struct LocaleFormats {
    std::string thousandsSeparator = ",";
    std::string decimalSeparator = ".";
    std::string dateSeparator = "/";
    std::string timeSeparator = ":";
};

LocaleFormats CurrentLocaleFormats();

// True when the user's own setting for the language of programs is Japanese: the display
// language on Windows. Linux has no such setting beside the locale variables (false).
bool UserInterfaceIsJapanese();

// Abbreviated weekday name (0 = Sunday) in the user's locale, such as "水" or "Wed".
std::string WeekdayAbbreviation(int weekday);

// Local broken-down time of a time stamp.
std::tm LocalTime(std::time_t t);

// The user's short date + long time, used for the access stamp (e.g. "2026/12/07 9:05:08"). On
// Linux: four-digit year, two-digit month and day in the order of the locale's date format (year
// first in the C locale), the locale's separators, and the hour without a leading zero.
std::string ShortDateLongTime(std::time_t t);

} // namespace lh::platform
