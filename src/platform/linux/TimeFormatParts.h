#pragma once

// What the program takes from a locale's strftime formats (D_FMT, T_FMT): the separator between
// the numeric fields and the order of day, month and year.

#include <string>
#include <string_view>

namespace lh::platform {

enum class DateOrder { YearMonthDay, DayMonthYear, MonthDayYear };

// The text between the first and second conversions, when the text between the second and third
// (if any) is the same; otherwise `fallback`. Formats such as "%Y年%m月%d日", whose fields carry
// different marks, have no separator in this sense.
std::string FieldSeparator(std::string_view format, std::string_view fallback);

// Order of the date fields in a date format; year-month-day when it cannot be told.
DateOrder DateFieldOrder(std::string_view format);

} // namespace lh::platform
