#pragma once

// Records pasted as text: tab-separated rows (name, address, access, remark, as the grid copies
// them) or a list of addresses, one a line. They are appended after the last record as one undo
// step.

#include "Document.h"
#include "TabText.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace lh {

// Name of the undo step of a paste (UTF-8).
inline constexpr const char* kPasteStepName = "貼り付け";

// True for a text that reads as one URL ("scheme://...", "mailto:...") or one e-mail address
// (name@host.domain), with no blanks in it.
bool LooksLikeAddress(std::string_view text);

// Appends a record for every row of `rows` (cp932 texts) that holds any text, as one step, and
// gives the number added. A row of one field that looks like an address fills the address;
// otherwise the fields fill name, address, access and remark in turn, further fields joining the
// remark after a blank. Cells hold one line: a line break inside a field becomes a blank, and
// blanks around a lone address go.
std::size_t PasteRecords(Document& doc, const std::vector<TabRow>& rows);

} // namespace lh
