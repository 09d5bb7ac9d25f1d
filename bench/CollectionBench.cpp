// Whole-file timings of the collection reader and the safe save on a generated collection.
// Usage: collection_bench <folder> [records] [rounds]
// Prints "<what> <seconds>" lines (best of the rounds); bench/collection_bench.sh compares them
// with cp of the same file.

#include "BenchSupport.h"
#include "core/CollectionFile.h"
#include "core/LineReader.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace lh;
using bench::Seconds;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder> [records] [rounds]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const long records = argc > 2 ? std::atol(argv[2]) : 1000000;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    const std::string path = folder + "/collection.htm";
    const std::string copy = folder + "/saved.htm";

    TableStore table;
    for (long i = 1; i <= records; ++i) {
        const std::string n = std::to_string(i);
        // Name with double-byte text (日本語), a typical address, access stamp and remark.
        table.AppendRecord("Site " + n + " \x93\xFA\x96\x7B\x8C\xEA",
                           "http://www.example.com/pages/" + n + "/index.html",
                           "2024/05/01 9:05:08", "remark " + n);
    }
    NullProgress progress;
    IoError error;
    if (!SaveCollectionFile(path, table, "Linkhive", BackupKind::None, progress, error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(),
                     IoErrorText(error.code).c_str());
        return 1;
    }

    double load = 1e9;
    double save = 1e9;
    double parse = 1e9;
    for (int r = 0; r < rounds; ++r) {
        // The reader's own share: lines and cells, without filling a table.
        auto start = std::chrono::steady_clock::now();
        LineReader reader;
        reader.Open(path);
        std::string_view line;
        std::string_view cells[4];
        long parsed = 0;
        while (reader.Next(line))
            parsed += ParseRecordLine(line, cells) ? 1 : 0;
        parse = std::min(parse, Seconds(start));
        if (parsed != records) {
            std::fprintf(stderr, "parse failed\n");
            return 1;
        }

        TableStore loaded;
        std::string title;
        start = std::chrono::steady_clock::now();
        if (!ReadCollection(path, loaded, title, progress, error) ||
            loaded.RecordCount() != records) {
            std::fprintf(stderr, "load failed\n");
            return 1;
        }
        load = std::min(load, Seconds(start));

        start = std::chrono::steady_clock::now();
        if (!SaveCollectionFile(copy, loaded, title, BackupKind::Bak, progress, error)) {
            std::fprintf(stderr, "save failed\n");
            return 1;
        }
        save = std::min(save, Seconds(start));
    }
    std::printf("file %s\nrecords %ld\nparse %.3f\nload %.3f\nsave %.3f\n", path.c_str(), records,
                parse, load, save);
    return 0;
}
