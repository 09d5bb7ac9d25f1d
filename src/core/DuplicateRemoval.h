#pragma once

// Remove duplicates: the records whose address repeats that of an earlier record, by the scans'
// duplicate test, leave the collection as one undoable step; the first of each address stays.

#include "Document.h"

#include <cstddef>
#include <string>

namespace lh {

// Name of the undo step (UTF-8).
inline constexpr const char* kRemoveDuplicatesStepName = "重複の削除";

struct DuplicatesRemoved {
    std::size_t count = 0;
    // Where the first of them stood (-1: none went).
    TableStore::Row first = -1;
};

// Removes the duplicates of the whole collection as one step. With none, nothing is recorded and
// the document's state stays as it was.
DuplicatesRemoved RemoveDuplicateRecords(Document& document);

// What the user is told afterwards (UTF-8). `filtered`: the window showed only some records, and
// the user learns that all of them were looked at.
std::string DuplicatesRemovedText(std::size_t removed, bool filtered);

} // namespace lh
