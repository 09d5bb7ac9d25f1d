// The import readers on any bytes: the bookmark page (through the markup tokenizer), CSV and
// JSON. Whatever a reader takes in, written out in the same format and read again, gives the
// same records, so an export never loses what an import found.

#include "FuzzCheck.h"
#include "core/BookmarkFile.h"
#include "core/CollectionFormat.h"
#include "core/CsvFile.h"
#include "core/JsonFile.h"
#include "core/TableStore.h"
#include "util/Codec.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace lh;

namespace {

// The format's output for `records`, through a stream in memory.
std::string Written(const CollectionFormat& format, const TableStore& records,
                    ExchangeTally& tally) {
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&data, &size);
    LH_FUZZ_CHECK(out != nullptr);
    NullProgress progress;
    LH_FUZZ_CHECK(format.Write(out, records, "title", progress, tally));
    std::fclose(out);
    std::string bytes(data, size);
    std::free(data);
    return bytes;
}

// Compared as characters: code page 932 spells some characters two ways (the NEC-selected
// and the IBM extensions), and a trip through UTF-8 comes back with the codec's spelling.
bool SameRecords(const TableStore& a, const TableStore& b) {
    if (a.RecordCount() != b.RecordCount())
        return false;
    for (TableStore::Row r = 0; r < a.RecordCount(); ++r)
        for (int f = 0; f < TableStore::kFieldCount; ++f)
            if (a.Text(r, f) != b.Text(r, f) &&
                SjisToUtf8Lossy(a.Text(r, f)) != SjisToUtf8Lossy(b.Text(r, f)))
                return false;
    return true;
}

bool SameBytes(const TableStore& a, const TableStore& b) {
    if (a.RecordCount() != b.RecordCount())
        return false;
    for (TableStore::Row r = 0; r < a.RecordCount(); ++r)
        if (a.RecordTexts(r) != b.RecordTexts(r))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    {
        TableStore first;
        ExchangeTally tally;
        ParseBookmarkPage(input, first, tally, BookmarkThreads::One);
        // The second thread's tokens give the same records, byte for byte, and the same counts.
        TableStore twoThreads;
        ExchangeTally twoTally;
        ParseBookmarkPage(input, twoThreads, twoTally, BookmarkThreads::Two);
        LH_FUZZ_CHECK(SameBytes(first, twoThreads));
        LH_FUZZ_CHECK(twoTally.replacedCharacters == tally.replacedCharacters &&
                      twoTally.encodedCharacters == tally.encodedCharacters &&
                      twoTally.scriptsSkipped == tally.scriptsSkipped &&
                      twoTally.emptySkipped == tally.emptySkipped &&
                      twoTally.feeds == tally.feeds && twoTally.separators == tally.separators &&
                      twoTally.cutFolderPaths == tally.cutFolderPaths);
        ExchangeTally written;
        const std::string page = Written(BookmarkCollectionFormat(), first, written);
        TableStore again;
        ExchangeTally tallyAgain;
        ParseBookmarkPage(page, again, tallyAgain);
        LH_FUZZ_CHECK(SameRecords(first, again));
    }
    {
        TableStore first;
        ExchangeTally tally;
        if (ParseJsonRecords(input, first, tally)) {
            ExchangeTally written;
            const std::string text = Written(JsonCollectionFormat(), first, written);
            TableStore again;
            LH_FUZZ_CHECK(ParseJsonRecords(text, again, tally));
            LH_FUZZ_CHECK(SameRecords(first, again));
        }
    }
    {
        TableStore first;
        ExchangeTally tally;
        ParseCsvText(input, first, tally);
        ExchangeTally written;
        const std::string text = Written(CsvCollectionFormat(), first, written);
        // Cells taken from a code page 932 file as they are may hold bytes that do not decode.
        if (written.lossyCharacters == 0) {
            TableStore again;
            ParseCsvText(text, again, tally);
            LH_FUZZ_CHECK(SameRecords(first, again));
        }
    }
    return 0;
}
