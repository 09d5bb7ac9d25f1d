#include "RecordCommands.h"

namespace lh {

bool CommitCellText(Document& doc, TableStore::Row record, int field, std::string_view text) {
    TableStore& table = doc.Table();
    if (record < 0 || record > table.RecordCount() || field < 0 || field >= TableStore::kFieldCount)
        return false;
    if (record == table.RecordCount()) {
        if (text.empty())
            return false;
        std::string_view texts[TableStore::kFieldCount];
        texts[field] = text;
        table.AppendRecord(texts[0], texts[1], texts[2], texts[3]);
    } else {
        table.SetText(record, field, text);
    }
    doc.MarkModified();
    return true;
}

bool DeleteRecord(Document& doc, TableStore::Row record, MessageBoxService& ui) {
    TableStore& table = doc.Table();
    if (record < 0 || record >= table.RecordCount())
        return false;
    if (!table.Text(record, TableStore::kAddress).empty() &&
        ui.ShowMessageBox(kDeleteRowQuestion, "", kConfirmStyle) != Answer::Yes)
        return false;
    table.RemoveRecord(record);
    doc.MarkModified();
    return true;
}

bool InsertRecord(Document& doc, TableStore::Row record) {
    TableStore& table = doc.Table();
    if (record < 0 || record >= table.RecordCount())
        return false;
    table.InsertEmptyRecord(record);
    doc.MarkModified();
    return true;
}

} // namespace lh
