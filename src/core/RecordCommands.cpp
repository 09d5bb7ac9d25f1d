#include "RecordCommands.h"

#include "CellTextsStep.h"
#include "RecordsAddedStep.h"
#include "RecordsRemovedAtStep.h"
#include "RecordsRemovedStep.h"

#include <algorithm>
#include <memory>

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
        doc.RecordStep(std::make_unique<RecordsAddedStep>(kCellEditStepName, record, 1));
        return true;
    }
    // A session that ends with the text it began with still counts as an edit, and so marks
    // the document; undoing it takes the mark back.
    std::vector<CellTextsStep::Change> change{
        {record, field, std::string(table.Text(record, field)), std::string(text)}};
    table.SetText(record, field, text);
    doc.RecordStep(std::make_unique<CellTextsStep>(kCellEditStepName, std::move(change)));
    return true;
}

std::size_t ClearCells(Document& doc, const std::vector<CellRef>& cells) {
    TableStore& table = doc.Table();
    std::vector<CellTextsStep::Change> changes;
    for (const CellRef& cell : cells) {
        if (cell.field < 0 || cell.field >= TableStore::kFieldCount)
            continue;
        const std::string_view text = table.Text(cell.record, cell.field);
        if (text.empty())
            continue;
        changes.push_back({cell.record, cell.field, std::string(text), std::string()});
        table.SetText(cell.record, cell.field, {});
    }
    const std::size_t cleared = changes.size();
    if (cleared > 0)
        doc.RecordStep(std::make_unique<CellTextsStep>(kClearCellsStepName, std::move(changes)));
    return cleared;
}

bool DeleteRecord(Document& doc, TableStore::Row record, MessageBoxService& ui) {
    TableStore& table = doc.Table();
    if (record < 0 || record >= table.RecordCount())
        return false;
    if (!table.Text(record, TableStore::kAddress).empty() &&
        ui.ShowMessageBox(kDeleteRowQuestion, "", kConfirmStyle) != Answer::Yes)
        return false;
    TableStore::Detached removed = table.TakeRecords(record, 1);
    doc.RecordStep(
        std::make_unique<RecordsRemovedStep>(kDeleteRecordStepName, record, std::move(removed)));
    return true;
}

std::string DeleteRowsQuestion(std::size_t count) {
    return "選択した" + std::to_string(count) + "行を削除しますか？";
}

bool DeleteRecords(Document& doc, std::vector<TableStore::Row> records, MessageBoxService& ui) {
    TableStore& table = doc.Table();
    std::erase_if(records, [&](TableStore::Row r) { return r < 0 || r >= table.RecordCount(); });
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    if (records.empty())
        return false;
    if (records.size() == 1)
        return DeleteRecord(doc, records.front(), ui);
    const bool anyAddress = std::any_of(records.begin(), records.end(), [&](TableStore::Row r) {
        return !table.Text(r, TableStore::kAddress).empty();
    });
    if (anyAddress &&
        ui.ShowMessageBox(DeleteRowsQuestion(records.size()), "", kConfirmStyle) != Answer::Yes)
        return false;
    TableStore::Detached removed = table.TakeRecordsAt(records);
    doc.RecordStep(std::make_unique<RecordsRemovedAtStep>(kDeleteRecordStepName, std::move(records),
                                                          std::move(removed)));
    return true;
}

bool InsertRecord(Document& doc, TableStore::Row record) {
    TableStore& table = doc.Table();
    if (record < 0 || record >= table.RecordCount())
        return false;
    table.InsertEmptyRecord(record);
    doc.RecordStep(std::make_unique<RecordsAddedStep>(kInsertRecordStepName, record, 1));
    return true;
}

} // namespace lh
