// Undo and redo of a URL scan that appended 400,000 records to a collection of 1,000,000, and the
// memory the history holds for it; then remove duplicates on a collection of as many records
// where about two addresses in five repeat an earlier one, its undo and redo.
// Usage: undo_bench <folder> [records] [scanned] [rounds]
// Prints "<what> <value>" lines (times: best of the rounds) and whether each figure is within its
// target: undo under 1 s, the step's memory under twice the text of the records it added, remove
// duplicates and its undo each under 1 s. Then the delete of every 20th record at once (the rows a
// filter shows, scattered), its undo and redo.

#include "BenchSupport.h"
#include "core/Document.h"
#include "core/DuplicateRemoval.h"
#include "core/RecordCommands.h"
#include "core/ScanCommands.h"
#include "core/UserInterface.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace lh;
using bench::Scramble;
using bench::Seconds;

namespace {

std::size_t TextBytes(const TableStore& table, TableStore::Row first) {
    std::size_t bytes = 0;
    for (TableStore::Row r = first; r < table.RecordCount(); ++r)
        for (int f = 0; f < TableStore::kFieldCount; ++f)
            bytes += table.Text(r, f).size();
    return bytes;
}

// Records in no particular order whose addresses come from 0.9 x as many sites, so about two in
// five repeat an earlier one (in another letter case now and then).
void FillWithRepeats(TableStore& table, long records) {
    table.Reserve(records);
    const auto sites = static_cast<std::uint32_t>(std::max(1L, records * 9 / 10));
    for (long i = 0; i < records; ++i) {
        const std::uint32_t h = Scramble(static_cast<std::uint32_t>(i));
        const std::string site = std::to_string(h % sites);
        std::string address = "http://www.site" + site + ".example.com/" + site + "/index.html";
        if (h % 7 == 0)
            address[7] = 'W';
        table.AppendRecord("Site " + site + " \x83\x79\x81\x5B\x83\x57", address,
                           h % 5 ? "2024/05/01 9:05:08" : "", h % 4 ? "" : "checked");
    }
}

// Remove duplicates, its undo and its redo; false when a figure is over its target.
bool BenchRemoveDuplicates(long records, int rounds) {
    Document doc;
    TableStore& table = doc.Table();
    FillWithRepeats(table, records);
    doc.ResetState({});
    (void)table.HoldsAddress("x", TableStore::AddressHash("x")); // the index a scan had built

    double dedupe = 1e9;
    double undo = 1e9;
    double redo = 1e9;
    std::size_t removed = 0;
    std::size_t memory = 0;
    for (int r = 0; r < rounds; ++r) {
        auto start = std::chrono::steady_clock::now();
        removed = RemoveDuplicateRecords(doc).count;
        dedupe = std::min(dedupe, Seconds(start));
        memory = doc.Edits().MemoryUsage();
        start = std::chrono::steady_clock::now();
        if (!doc.Undo() || table.RecordCount() != records || doc.IsModified())
            return false;
        undo = std::min(undo, Seconds(start));
        start = std::chrono::steady_clock::now();
        if (!doc.Redo())
            return false;
        redo = std::min(redo, Seconds(start));
        if (!doc.Undo())
            return false;
    }
    std::printf("remove duplicates: %ld records, %zu removed (%.1f %%)\n", records, removed,
                100.0 * static_cast<double>(removed) / static_cast<double>(records));
    std::printf("remove duplicates %.4f s (target < 1 s: %s)\n", dedupe,
                dedupe < 1.0 ? "ok" : "OVER");
    std::printf("undo of remove duplicates %.4f s (target < 1 s: %s)\n", undo,
                undo < 1.0 ? "ok" : "OVER");
    std::printf("redo of remove duplicates %.4f s\n", redo);
    std::printf("history while the removal is done %zu bytes\n", memory);
    return dedupe < 1.0 && undo < 1.0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder> [records] [scanned] [rounds]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const long records = argc > 2 ? std::atol(argv[2]) : 1000000;
    const long scanned = argc > 3 ? std::atol(argv[3]) : 400000;
    const int rounds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 5;

    // A log with every new address twice and one the collection holds, as scans meet them.
    const std::string log = folder + "/undo-scan.log";
    {
        std::ofstream out(log, std::ios::binary);
        for (long i = 1; i <= scanned; ++i) {
            const std::string n = std::to_string(i);
            out << "GET http://www.example.org/logs/" << n << "/page.html from "
                << "http://www.example.com/pages/" << (i % 1000 + 1) << "/index.html\r\n"
                << "again http://WWW.example.org/logs/" << n << "/page.html\r\n";
        }
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", log.c_str());
            return 1;
        }
    }

    Document doc;
    TableStore& table = doc.Table();
    for (long i = 1; i <= records; ++i) {
        const std::string n = std::to_string(i);
        table.AppendRecord("Site " + n + " \x93\xFA\x96\x7B\x8C\xEA",
                           "http://www.example.com/pages/" + n + "/index.html",
                           "2024/05/01 9:05:08", "remark " + n);
    }
    doc.ResetState({});

    NullProgress progress;
    const TableStore::Row before = table.RecordCount();
    const ScanOutcome outcome = ScanFileIntoDocument(AddressKind::Url, log, doc, progress);
    const TableStore::Row added = table.RecordCount() - before;
    if (!outcome.ok || added != scanned) {
        std::fprintf(stderr, "the scan added %lld records, expected %ld\n",
                     static_cast<long long>(added), scanned);
        return 1;
    }
    const std::size_t text = TextBytes(table, before);
    const std::size_t doneMemory = doc.Edits().MemoryUsage();
    const std::size_t totalDone = table.MemoryUsage() + doneMemory;

    double undo = 1e9;
    double redo = 1e9;
    std::size_t undoneMemory = 0;
    std::size_t totalUndone = 0;
    for (int r = 0; r < rounds; ++r) {
        auto start = std::chrono::steady_clock::now();
        if (!doc.Undo())
            return 1;
        undo = std::min(undo, Seconds(start));
        undoneMemory = doc.Edits().MemoryUsage();
        totalUndone = table.MemoryUsage() + undoneMemory;
        if (table.RecordCount() != before || doc.IsModified())
            return 1;
        start = std::chrono::steady_clock::now();
        if (!doc.Redo())
            return 1;
        redo = std::min(redo, Seconds(start));
    }

    const double ratio = static_cast<double>(undoneMemory) / static_cast<double>(text);
    std::printf("records %ld, scan added %lld (%zu bytes of text)\n", records,
                static_cast<long long>(added), text);
    std::printf("undo of the scan %.4f s (target < 1 s: %s)\n", undo, undo < 1.0 ? "ok" : "OVER");
    std::printf("redo of the scan %.4f s\n", redo);
    std::printf("history while the scan is done %zu bytes\n", doneMemory);
    std::printf("history while the scan is undone %zu bytes = %.2f x its text (target < 2: %s)\n",
                undoneMemory, ratio, ratio < 2.0 ? "ok" : "OVER");
    std::printf("table + history: done %zu bytes, undone %zu bytes\n", totalDone, totalUndone);

    struct AlwaysYes final : MessageBoxService {
        Answer ShowMessageBox(const std::string&, const std::string&, MessageStyle) override {
            return Answer::Yes;
        }
    } yes;
    std::vector<TableStore::Row> scattered;
    for (TableStore::Row r = 0; r < table.RecordCount(); r += 20)
        scattered.push_back(r);
    auto start = std::chrono::steady_clock::now();
    if (!DeleteRecords(doc, scattered, yes))
        return 1;
    const double deleted = Seconds(start);
    start = std::chrono::steady_clock::now();
    if (!doc.Undo())
        return 1;
    const double restored = Seconds(start);
    start = std::chrono::steady_clock::now();
    if (!doc.Redo())
        return 1;
    std::printf("delete of %zu scattered records %.4f s, undo %.4f s, redo %.4f s\n",
                scattered.size(), deleted, restored, Seconds(start));
    std::remove(log.c_str());
    const bool dedupeOk = BenchRemoveDuplicates(records, rounds);
    return undo < 1.0 && ratio < 2.0 && dedupeOk ? 0 : 1;
}
