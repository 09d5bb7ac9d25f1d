#include "RecordCommands.h"

#include "CellTextsStep.h"
#include "RecordsAddedStep.h"
#include "RecordsRemovedStep.h"
#include "ScatteredRecordsRemovedStep.h"
#include "StepSequence.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace lh {

namespace {
// A few runs of deleted records are taken out one by one, so the view follows each removal and
// keeps its sort; more would each cost a pass over the table, and go at once (views reset).
constexpr std::size_t kMostRunsOneByOne = 32;
} // namespace

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
    // Runs of adjacent records, as [begin, end) in `records`.
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    for (std::size_t i = 0; i < records.size();) {
        std::size_t end = i + 1;
        while (end < records.size() && records[end] == records[end - 1] + 1)
            ++end;
        runs.emplace_back(i, end);
        i = end;
    }
    if (runs.size() > kMostRunsOneByOne) {
        std::vector<std::size_t> places(records.begin(), records.end());
        TableStore::Detached removed = table.TakeRecordsAt(places);
        doc.RecordStep(std::make_unique<ScatteredRecordsRemovedStep>(
            kDeleteRecordStepName, std::move(places), std::move(removed)));
        return true;
    }
    // Each run goes as one block, from the top: a later run sits higher by the records already
    // taken. Undo puts the runs back from the bottom, each at its place.
    std::vector<std::unique_ptr<EditStep>> steps;
    TableStore::Row taken = 0;
    for (const auto& [begin, end] : runs) {
        const TableStore::Row first = records[begin] - taken;
        const auto count = static_cast<TableStore::Row>(end - begin);
        steps.push_back(std::make_unique<RecordsRemovedStep>(kDeleteRecordStepName, first,
                                                             table.TakeRecords(first, count)));
        taken += count;
    }
    doc.RecordStep(std::make_unique<StepSequence>(kDeleteRecordStepName, std::move(steps)));
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
