// The import readers on any bytes: the bookmark page (through the markup tokenizer), CSV and
// JSON. Whatever a reader takes in, written out in the same format and read again, gives the
// same records, so an export never loses what an import found.

#include "FuzzCheck.h"
#include "core/BookmarkFile.h"
#include "core/CollectionFormat.h"
#include "core/CsvFile.h"
#include "core/JsonFile.h"
#include "core/MarkupTokenizer.h"
#include "core/TableStore.h"
#include "util/Codec.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

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

// A token as plain values, to compare a token of one pass with the same token of another.
std::string Flat(const MarkupToken& t) {
    std::string flat = std::to_string(static_cast<int>(t.kind));
    const auto add = [&flat](std::string_view part) {
        flat += '\0';
        flat += std::to_string(part.size());
        flat += ':';
        flat += part;
    };
    add(t.name);
    add(t.text);
    for (const MarkupAttribute& a : t.attributes) {
        add(a.name);
        add(a.rawValue);
    }
    return flat;
}

// The tokens of `page` as a reader of a file in pieces gets them: the bytes there so far end at
// each cut in turn, the tokens settled before that end are kept, the rest are read again once
// more is there.
std::vector<std::string> TokensInPieces(std::string_view page,
                                        const std::vector<std::size_t>& cuts) {
    std::vector<std::string> tokens;
    std::size_t from = 0;
    MarkupToken t;
    for (const std::size_t cut : cuts) {
        MarkupTokenizer tokenizer(page.substr(0, cut), std::min(from, cut));
        for (;;) {
            from = tokenizer.Position();
            if (!tokenizer.Next(t) || !tokenizer.EndedBeforePageEnd())
                break;
            tokens.push_back(Flat(t));
        }
    }
    MarkupTokenizer tokenizer(page, from);
    while (tokenizer.Next(t))
        tokens.push_back(Flat(t));
    return tokens;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    {
        // Cuts at places the input picks, so that every kind of token meets them.
        std::vector<std::size_t> cuts;
        for (std::size_t i = 0, at = 0; i < 4 && i < size; ++i) {
            at += 1 + static_cast<std::size_t>(data[i]) % (size / 4 + 1);
            if (at < size)
                cuts.push_back(at);
        }
        LH_FUZZ_CHECK(TokensInPieces(input, cuts) == TokensInPieces(input, {}));
    }

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
