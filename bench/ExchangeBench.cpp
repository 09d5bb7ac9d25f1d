// Whole-file timings of the import of a browser bookmark file and the export of a large
// collection to CSV. Usage: exchange_bench <folder> [bookmarks] [records] [rounds]
// Prints "<what> <value>" lines (best of the rounds); bench/exchange_bench.sh compares the times
// with cp of the same files.

#include "BenchSupport.h"
#include "core/BookmarkFile.h"
#include "core/CollectionFormat.h"
#include "core/CsvFile.h"
#include "core/ExchangeCommands.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

using namespace lh;
using bench::Seconds;

namespace {

// A page in the shape browsers write: folders of a hundred bookmarks, Japanese and ASCII titles,
// dates over five years in no order, a small icon on one in ten.
std::string BookmarkPage(long bookmarks) {
    std::string page = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
                       "CONTENT=\"text/html; charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n"
                       "<H1>Bookmarks</H1>\n<DL><p>\n";
    for (long i = 0; i < bookmarks; ++i) {
        const std::string n = std::to_string(i);
        if (i % 100 == 0) {
            if (i > 0)
                page += "    </DL><p>\n";
            page += "    <DT><H3 ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000000\">フォルダー " +
                    std::to_string(i / 100) + "</H3>\n    <DL><p>\n";
        }
        page += "        <DT><A HREF=\"https://www.example" + std::to_string(i % 997) +
                ".co.jp/articles/" + n + "/index.html?ref=bookmark&amp;id=" + n + "\" ADD_DATE=\"" +
                std::to_string(1400000000 + (i * 7919) % 160000000) + "\"";
        if (i % 10 == 0)
            page += " ICON=\"data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAYAAAAf8/9hAAA"
                    "AMklEQVR42mNkYGD4z0AEYBxVSFUAAPkLAf/nRmXhAAAAAElFTkSuQmCC\"";
        page += ">" + (i % 2 ? "記事 " + n + " の見出し &amp; 天気" : "Article " + n + " - News") +
                "</A>\n";
    }
    page += "    </DL><p>\n</DL><p>\n";
    return page;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder> [bookmarks] [records] [rounds]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const long bookmarks = argc > 2 ? std::atol(argv[2]) : 100000;
    const long records = argc > 3 ? std::atol(argv[3]) : 1000000;
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
    const std::string pagePath = folder + "/bookmarks.html";
    const std::string csvPath = folder + "/export.csv";

    {
        const std::string page = BookmarkPage(bookmarks);
        std::FILE* f = std::fopen(pagePath.c_str(), "wb");
        if (!f || std::fwrite(page.data(), 1, page.size(), f) != page.size() || std::fclose(f)) {
            std::fprintf(stderr, "cannot write %s\n", pagePath.c_str());
            return 1;
        }
    }
    TableStore table;
    for (long i = 1; i <= records; ++i) {
        const std::string n = std::to_string(i);
        table.AppendRecord("Site " + n + " \x93\xFA\x96\x7B\x8C\xEA",
                           "http://www.example.com/pages/" + n + "/index.html",
                           "2024/05/01 9:05:08", i % 3 ? "remark " + n : "a, \"quoted\" remark");
    }

    NullProgress progress;
    double import = 1e9;
    // Processor time as well: on a busy machine the wall time mostly measures the waiting.
    double importCpu = 1e9;
    double exportCsv = 1e9;
    double exportCpu = 1e9;
    for (int r = 0; r < rounds; ++r) {
        // Read, parse and convert the file as the import command does, then append it to a
        // collection (duplicate test and all).
        auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        IoError error;
        CollectionContent content;
        if (!BookmarkCollectionFormat().Read(pagePath, content, progress, error)) {
            std::fprintf(stderr, "import failed\n");
            return 1;
        }
        Document document;
        const ImportOutcome outcome = ImportRecords(document, std::move(content.records), false);
        import = std::min(import, Seconds(start));
        importCpu =
            std::min(importCpu, static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
        if (outcome.added != bookmarks) {
            std::fprintf(stderr, "import gave %lld records\n",
                         static_cast<long long>(outcome.added));
            return 1;
        }

        // cp, the peer, writes a new file each round; so does the export. Replacing the last
        // round's file would add the freeing of its hundred megabytes to the rename.
        std::remove(csvPath.c_str());
        start = std::chrono::steady_clock::now();
        const std::clock_t exportCpuStart = std::clock();
        ExchangeTally tally;
        if (!ExportToFile(CsvCollectionFormat(), csvPath, table, "Linkhive", progress, error,
                          tally)) {
            std::fprintf(stderr, "export failed\n");
            return 1;
        }
        exportCsv = std::min(exportCsv, Seconds(start));
        exportCpu = std::min(exportCpu,
                             static_cast<double>(std::clock() - exportCpuStart) / CLOCKS_PER_SEC);
    }
    std::printf("page %s\ncsv %s\nimport %.5f\nimport-cpu %.5f\nexport %.5f\nexport-cpu %.5f\n",
                pagePath.c_str(), csvPath.c_str(), import, importCpu, exportCsv, exportCpu);
    return 0;
}
