// The table store with a million records: appending, inserting and deleting near the top, and
// the memory each record takes beside its text.

#include "core/TableStore.h"

#include <benchmark/benchmark.h>
#include <string>

using namespace lh;

namespace {

constexpr int kMillion = 1000000;

// Texts of a typical record: a name, an address, an access time, a short remark.
struct Texts {
    std::string name, address, access, remark;
};

Texts RecordTexts(int i) {
    return {"Link " + std::to_string(i),
            "http://www.example.com/pages/" + std::to_string(i) + ".html", "2024/05/06 07:08:09",
            i % 4 == 0 ? "checked" : ""};
}

void Fill(TableStore& t, int records) {
    for (int i = 0; i < records; ++i) {
        const Texts r = RecordTexts(i);
        t.AppendRecord(r.name, r.address, r.access, r.remark);
    }
}

TableStore& MillionTable() {
    static TableStore table = [] {
        TableStore t;
        Fill(t, kMillion);
        return t;
    }();
    return table;
}

void BM_AppendMillion(benchmark::State& state) {
    for (auto _ : state) {
        TableStore t;
        Fill(t, kMillion);
        benchmark::DoNotOptimize(t.RecordCount());
    }
    state.SetItemsProcessed(state.iterations() * kMillion);
}
BENCHMARK(BM_AppendMillion)->Unit(benchmark::kMillisecond);

void BM_InsertNearTopOfMillion(benchmark::State& state) {
    TableStore& t = MillionTable();
    for (auto _ : state) {
        t.InsertEmptyRecord(1);
        state.PauseTiming();
        t.RemoveRecord(1);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InsertNearTopOfMillion)->Unit(benchmark::kMicrosecond);

void BM_DeleteNearTopOfMillion(benchmark::State& state) {
    TableStore& t = MillionTable();
    for (auto _ : state) {
        state.PauseTiming();
        t.InsertEmptyRecord(1);
        state.ResumeTiming();
        t.RemoveRecord(1);
    }
}
BENCHMARK(BM_DeleteNearTopOfMillion)->Unit(benchmark::kMicrosecond);

void BM_EditCellOfMillion(benchmark::State& state) {
    TableStore& t = MillionTable();
    int i = 0;
    for (auto _ : state)
        t.SetText(499999, TableStore::kRemark, (++i & 1) ? "edited" : "");
}
BENCHMARK(BM_EditCellOfMillion)->Unit(benchmark::kMicrosecond);

void BM_DuplicateTestInMillion(benchmark::State& state) {
    TableStore& t = MillionTable();
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(t.AddressInTable(
            "WWW.EXAMPLE.COM/PAGES/" + std::to_string(i++ % kMillion) + ".HTML", "HTTP://"));
}
BENCHMARK(BM_DuplicateTestInMillion);

// Reports bytes per record against the bytes of the record's text.
void BM_MemoryPerRecord(benchmark::State& state) {
    const TableStore& t = MillionTable();
    std::size_t text = 0;
    for (TableStore::Row r = 0; r < t.RecordCount(); ++r)
        for (int f = 0; f < TableStore::kFieldCount; ++f)
            text += t.Text(r, f).size();
    for (auto _ : state)
        benchmark::DoNotOptimize(t.MemoryUsage());
    const double records = static_cast<double>(t.RecordCount());
    state.counters["text_per_record"] = static_cast<double>(text) / records;
    state.counters["bytes_per_record"] = static_cast<double>(t.MemoryUsage()) / records;
}
BENCHMARK(BM_MemoryPerRecord)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
