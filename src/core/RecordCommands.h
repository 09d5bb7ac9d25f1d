#pragma once

// Editing the collection: the end of an edit of one text, and the record commands. They work on
// the document alone and ask the user through MessageBoxService, so tests run them unchanged.
// Records are counted from 0; the index RecordCount() stands for the entry row, the empty row a
// view shows after the records.

#include "Document.h"
#include "TableStore.h"
#include "UserInterface.h"

#include <string_view>

namespace lh {

// Text of the question before a record with an address is deleted (UTF-8).
inline constexpr const char* kDeleteRowQuestion = "この行を削除しますか？";

// An edit that changed the text of `field` ended with `text` (cp932): the record takes it and the
// document is marked modified, also when the text came back to what it was. In the entry row a
// non-empty text becomes a new record and an empty one changes nothing. False when nothing was
// stored (no such record or field, or an empty text in the entry row).
bool CommitCellText(Document& doc, TableStore::Row record, int field, std::string_view text);

// Deletes `record`, asking first when it has an address. True when the table changed.
bool DeleteRecord(Document& doc, TableStore::Row record, MessageBoxService& ui);
// Inserts an empty record in front of `record`. True when the table changed.
bool InsertRecord(Document& doc, TableStore::Row record);

} // namespace lh
