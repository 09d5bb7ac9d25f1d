// The find bar's filter, the view's sort and the duplicate finder over a million records held in
// the table store.

#include "BenchSupport.h"
#include "core/BookmarkFile.h"
#include "core/DuplicateFinder.h"
#include "core/RecordFinder.h"
#include "core/TableStore.h"
#include "core/ViewOrder.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <string>
#include <vector>

using namespace lh;
using bench::Scramble;

namespace {

constexpr int kMillion = 1000000;

// Records in no particular order: about two addresses in five repeat an earlier one (in another
// letter case now and then), names mix ASCII and Japanese, most records carry an access stamp.
TableStore& MillionRecords() {
    static TableStore table = [] {
        TableStore t;
        t.Reserve(kMillion);
        const std::string page = "\x83\x79\x81\x5B\x83\x57"; // ページ in cp932
        for (int i = 0; i < kMillion; ++i) {
            const std::uint32_t h = Scramble(static_cast<std::uint32_t>(i));
            const std::uint32_t site = h % 900000;
            std::string address = "http://www.site" + std::to_string(site) + ".example.com/" +
                                  std::to_string(site % 977) + "/index.html";
            if (h % 7 == 0)
                address[7] = 'W';
            std::string access;
            if (h % 5 != 0)
                access = "20" + std::to_string(10 + h % 15) + "/0" + std::to_string(1 + h % 9) +
                         "/1" + std::to_string(h % 10) + " 1" + std::to_string(h % 10) + ":3" +
                         std::to_string(h % 10) + ":0" + std::to_string(h % 10);
            t.AppendRecord("Site " + std::to_string(site) + " " + page, address, access,
                           h % 4 == 0 ? "checked" : "");
        }
        return t;
    }();
    return table;
}

RecordCells Cells(const TableStore& t) {
    return RecordCells(static_cast<std::size_t>(t.RecordCount()),
                       [&t](std::size_t r, GridColumn c) {
                           return t.Text(static_cast<TableStore::Row>(r), static_cast<int>(c) - 1);
                       });
}

// One keystroke: the filter over name, address and remark for the query typed so far.
void BM_FindKeystroke(benchmark::State& state, const char* query) {
    const RecordCells cells = Cells(MillionRecords());
    std::size_t found = 0;
    for (auto _ : state) {
        const RecordMatcher matcher(query, FindColumns{});
        found = MatchingRecords(cells, matcher).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["matches"] = static_cast<double>(found);
}
BENCHMARK_CAPTURE(BM_FindKeystroke, common_letter, "e")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindKeystroke, many_matches, "EXAMPLE.com/1")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindKeystroke, few_matches, "site1234")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindKeystroke, no_match, "missing")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindKeystroke, japanese, "\x83\x79\x81\x5B\x83\x57")
    ->Unit(benchmark::kMillisecond);

// A keystroke that adds a character to the query: only the shorter query's matches are looked at.
void BM_FindNarrowingKeystroke(benchmark::State& state, const char* before, const char* query) {
    const RecordCells cells = Cells(MillionRecords());
    const std::vector<std::size_t> shown = MatchingRecords(cells, RecordMatcher(before, {}));
    std::size_t found = 0;
    for (auto _ : state) {
        const RecordMatcher matcher(query, FindColumns{});
        found = MatchingRecords(cells, matcher, shown).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["shown"] = static_cast<double>(shown.size());
    state.counters["matches"] = static_cast<double>(found);
}
BENCHMARK_CAPTURE(BM_FindNarrowingKeystroke, second_letter, "e", "ex")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindNarrowingKeystroke, many_matches, "EXAMPLE.com/", "EXAMPLE.com/1")
    ->Unit(benchmark::kMillisecond);

void BM_SortView(benchmark::State& state, GridColumn column, SortDirection direction) {
    const RecordCells cells = Cells(MillionRecords());
    for (auto _ : state)
        benchmark::DoNotOptimize(
            SortedRecordOrder(cells, column, direction, AccessFieldsFromText).data());
}
BENCHMARK_CAPTURE(BM_SortView, address_ascending, GridColumn::Address, SortDirection::Ascending)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortView, address_descending, GridColumn::Address, SortDirection::Descending)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortView, name_ascending, GridColumn::Name, SortDirection::Ascending)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortView, remark_ascending, GridColumn::Remark, SortDirection::Ascending)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortView, access_ascending, GridColumn::Access, SortDirection::Ascending)
    ->Unit(benchmark::kMillisecond);

void BM_FindDuplicates(benchmark::State& state) {
    const RecordCells cells = Cells(MillionRecords());
    std::size_t duplicates = 0;
    for (auto _ : state) {
        duplicates = DuplicateAddressRecords(cells).size();
        benchmark::DoNotOptimize(duplicates);
    }
    state.counters["duplicates"] = static_cast<double>(duplicates);
}
BENCHMARK(BM_FindDuplicates)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
