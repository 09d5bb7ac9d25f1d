#pragma once

// Editing the collection table: the in-place editor's rules and the record commands. They work
// on the document alone and ask the user through MessageBoxService, so tests run them unchanged.

#include "Document.h"
#include "TableStore.h"
#include "UserInterface.h"

#include <string_view>

namespace lh {

// Text of the question before a record with an address is deleted (UTF-8).
inline constexpr const char* kDeleteRowQuestion = "この行を削除しますか？";

// The in-place editor was loaded with `value` (cp932) from the cell at grid row/column.
void BeginCellEdit(Document& doc, int aCol, TableStore::Row aRow, std::string_view value);

// The editor's text changed or the editor closed: the cell takes `value` (cp932); a text that
// differs from the one the editor was loaded with marks the document, and a non-empty text in
// the entry row turns it into a record with a new entry row after it.
void CommitCellText(Document& doc, int aCol, TableStore::Row aRow, std::string_view value);

// Deletes record `row`, asking first when it has an address. True when the table changed.
bool DeleteRecord(Document& doc, TableStore::Row row, MessageBoxService& ui);
// Inserts an empty record above record `row`. True when the table changed.
bool InsertRecord(Document& doc, TableStore::Row row);

} // namespace lh
