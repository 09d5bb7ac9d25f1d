#pragma once

// CSV for spreadsheets (RFC 4180). Written in UTF-8 with a byte order mark, so that Excel shows
// Japanese, with CR LF line ends and a header row of the five column names. Read in UTF-8 with
// or without the mark, or in code page 932; a header row is recognised and its columns followed,
// in any order; without one the columns are taken as the writer puts them, or, with fewer than
// five, as name, address, access and remark.

#include "CollectionFormat.h"

#include <string>
#include <string_view>
#include <vector>

namespace lh {

const CollectionFormat& CsvCollectionFormat();

// Appends the records of a CSV text to `into`.
void ParseCsvText(std::string_view text, TableStore& into, ExchangeTally& tally);

// The fields of each row of a CSV text. Quotes open a field only at its start; a row ends at
// CR LF, LF or CR outside quotes; a quoted field left open runs to the end of the text.
std::vector<std::vector<std::string>> SplitCsvRows(std::string_view text);

} // namespace lh
