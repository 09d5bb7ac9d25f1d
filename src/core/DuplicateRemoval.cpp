#include "DuplicateRemoval.h"

#include "DuplicateFinder.h"
#include "RecordCells.h"
#include "ScatteredRecordsRemovedStep.h"
#include "util/FileHelpers.h"

#include <memory>
#include <utility>
#include <vector>

namespace lh {

DuplicatesRemoved RemoveDuplicateRecords(Document& document) {
    TableStore& table = document.Table();
    const RecordCells cells(static_cast<std::size_t>(table.RecordCount()),
                            [&table](std::size_t record, GridColumn column) {
                                return table.Text(static_cast<TableStore::Row>(record),
                                                  static_cast<int>(column) - 1);
                            });
    std::vector<std::size_t> places = DuplicateAddressRecords(cells);
    if (places.empty())
        return {};
    TableStore::Detached removed = table.TakeRecordsAt(places);
    const DuplicatesRemoved outcome{places.size(), static_cast<TableStore::Row>(places.front())};
    document.RecordStep(std::make_unique<ScatteredRecordsRemovedStep>(
        kRemoveDuplicatesStepName, std::move(places), std::move(removed)));
    return outcome;
}

std::string DuplicatesRemovedText(std::size_t removed, bool filtered) {
    std::string text = removed == 0 ? std::string("重複したアドレスのレコードはありません。")
                                    : GroupThousands(static_cast<std::int64_t>(removed), ",") +
                                          " 件の重複を削除しました。";
    if (filtered)
        text += "\n(絞り込み表示に関係なく、すべてのレコードを対象にしました。)";
    return text;
}

} // namespace lh
