#pragma once

// Rewriting a collection page (read it, number its records afresh, save it) as one pass from the
// source to the new file, without holding the records: memory stays the same for any size, and
// a record line already in the writer's own shape goes out as it came in, with its new number.

#include "CollectionFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace lh {

enum class RewriteOutcome {
    Done,
    Failed,
    // The page names its title only after its first record (no page of the program's does): it
    // must be read whole first, as a load does. Nothing was written.
    NeedsFullLoad,
};

// Writes to `target` what reading `source` into a table titled `title` and saving it there
// would write, under the safe save's rules (`guard` as for SaveCollectionFile, no backup).
// `records` is the number of records written. A source that cannot be read fails before the
// target is touched; `error` names the file at fault.
RewriteOutcome RewriteCollectionFile(const std::string& source, const std::string& target,
                                     const std::string& title, ProgressSink& progress,
                                     IoError& error, SaveGuard* guard, std::int64_t& records);

} // namespace lh
