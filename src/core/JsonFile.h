#pragma once

// JSON for scripts: an array of objects with the keys "no", "name", "address", "access" and
// "remark", the shape of the companion's listing. Reading takes any array of objects; keys it
// does not know are passed over, and so are values that are no text.

#include "CollectionFormat.h"

#include <string_view>

namespace lh {

const CollectionFormat& JsonCollectionFormat();

// Appends the records of a JSON text to `into`. False, with nothing appended, when the text is
// not a JSON array of objects.
bool ParseJsonRecords(std::string_view text, TableStore& into, ExchangeTally& tally);

} // namespace lh
