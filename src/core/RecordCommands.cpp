#include "RecordCommands.h"

#include <string>

namespace lh {

void BeginCellEdit(Document& doc, int /*aCol*/, TableStore::Row /*aRow*/, std::string_view value) {
    doc.SetEditStartText(std::string(value));
}

void CommitCellText(Document& doc, int aCol, TableStore::Row aRow, std::string_view value) {
    TableStore& table = doc.Table();
    if (aRow < 1 || aRow >= table.RowCount() || aCol < 1 || aCol >= TableStore::kColumnCount)
        return;
    table.SetCell(aRow, aCol, value);
    if (value != doc.EditStartText())
        doc.MarkModified();
    if (!value.empty() && aRow == table.EntryRow())
        table.AppendRow();
}

bool DeleteRecord(Document& doc, TableStore::Row row, MessageBoxService& ui) {
    TableStore& table = doc.Table();
    if (row < 1 || row > table.RowCount() - 2)
        return false;
    if (!table.CellView(row, 2).empty() &&
        ui.ShowMessageBox(kDeleteRowQuestion, "", kConfirmStyle) != Answer::Yes)
        return false;
    table.DeleteRowShift(row);
    doc.MarkModified();
    return true;
}

bool InsertRecord(Document& doc, TableStore::Row row) {
    TableStore& table = doc.Table();
    if (row < 1 || row >= table.RowCount() - 1)
        return false;
    table.InsertRowShift(row);
    doc.MarkModified();
    return true;
}

} // namespace lh
