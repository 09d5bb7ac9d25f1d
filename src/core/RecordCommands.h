#pragma once

// Editing the collection: the end of an edit of one text, and the record commands. They work on
// the document alone and ask the user through MessageBoxService, so tests run them unchanged.
// Records are counted from 0; the index RecordCount() stands for the entry row, the empty row a
// view shows after the records.

#include "Document.h"
#include "TableStore.h"
#include "UserInterface.h"

#include <string>
#include <string_view>
#include <vector>

namespace lh {

// Text of the question before a record with an address is deleted (UTF-8).
inline constexpr const char* kDeleteRowQuestion = "この行を削除しますか？";

// Names of the undo steps these commands record (UTF-8).
inline constexpr const char* kCellEditStepName = "セルの編集";
inline constexpr const char* kClearCellsStepName = "セルの消去";
inline constexpr const char* kDeleteRecordStepName = "ﾚｺｰﾄﾞ削除";
inline constexpr const char* kInsertRecordStepName = "ﾚｺｰﾄﾞ挿入";

struct CellRef {
    TableStore::Row record = 0;
    int field = 0;
};

// An edit that changed the text of `field` ended with `text` (cp932): the record takes it and the
// document is marked modified, also when the text came back to what it was. In the entry row a
// non-empty text becomes a new record and an empty one changes nothing. False when nothing was
// stored (no such record or field, or an empty text in the entry row).
bool CommitCellText(Document& doc, TableStore::Row record, int field, std::string_view text);

// Empties the cells of records among `cells` (the entry row and cells outside the records are
// passed over) as one step. The number of cells that held text; nothing is recorded or marked
// when none did.
std::size_t ClearCells(Document& doc, const std::vector<CellRef>& cells);

// Deletes `record`, asking first when it has an address. True when the table changed.
bool DeleteRecord(Document& doc, TableStore::Row record, MessageBoxService& ui);
// Deletes the records named in `records` (any order; repeats, the entry row and indices outside
// the records are passed over) as one step. One record is deleted by the rules of
// DeleteRecord; several are deleted after one question when any of them has an address. Undo
// puts each back at its place. True when the table changed.
bool DeleteRecords(Document& doc, std::vector<TableStore::Row> records, MessageBoxService& ui);
// The question before several records are deleted (UTF-8).
std::string DeleteRowsQuestion(std::size_t count);
// Inserts an empty record in front of `record`. True when the table changed.
bool InsertRecord(Document& doc, TableStore::Row record);

} // namespace lh
