#pragma once

// The order a column heading's click shows the records in. Every order is stable: records that
// compare alike keep their collection order, in either direction.
//
// - number: collection order (descending: reversed);
// - name, address, remark: the byte order of the text folded as the duplicate test folds it, so
//   addresses the scans treat as one sort next to each other, whatever their letter case;
// - access: by the time the stamp stands for, not by its text (a day-first stamp would sort by
//   day). Records whose stamp is empty or cannot be read follow all others in both directions,
//   so the most recent or the oldest access is always at the top.

#include "AccessStampLayout.h"
#include "RecordCells.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace lh {

enum class SortDirection { Ascending, Descending };

// Reads an access stamp as local date and time fields (year, month, day, hour 0-23, minute,
// second); empty when the text is no stamp. The program's reader is AccessFieldsFromText.
using AccessStampReader =
    std::function<std::optional<AccessStampLayout::Fields>(std::string_view stamp)>;

// Record indexes in the order the view shows them. Throws std::length_error for more records
// than an index of 32 bits holds.
std::vector<std::size_t> SortedRecordOrder(const RecordCells& cells, GridColumn column,
                                           SortDirection direction,
                                           const AccessStampReader& readStamp);

} // namespace lh
