#pragma once

// Headings of the collection's columns, as the page, the CSV file and the grid show them (cp932).

#include "TableStore.h"

#include <string_view>

namespace lh {

// "No.": the record numbers, which belong to the position and are not stored.
inline constexpr std::string_view kNumberHeading = "No.";

// "名前", "URL/E-Mail", "ｱｸｾｽ日時", "備考", by TableStore::Field.
inline constexpr std::string_view kFieldHeadings[TableStore::kFieldCount] = {
    "\x96\xBC\x91\x4F", "URL/E-Mail", "\xB1\xB8\xBE\xBD\x93\xFA\x8E\x9E", "\x94\xF5\x8D\x6C"};

inline std::string_view FieldHeading(int field) noexcept {
    return (field >= 0 && field < TableStore::kFieldCount) ? kFieldHeadings[field]
                                                           : std::string_view();
}

} // namespace lh
