#pragma once

// The file formats a collection is read from and written to, behind one interface: the
// collection page itself, browser bookmark files, CSV and JSON. A new format is one class and
// one line in AllCollectionFormats().

#include "CollectionFile.h"
#include "Document.h"
#include "FileBytes.h"
#include "IoError.h"
#include "TableStore.h"
#include "UserInterface.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

// What a conversion met that the user should hear about: nothing is left out unseen.
struct ExchangeTally {
    std::int64_t replacedCharacters = 0; // names and remarks: "〓" for what cp932 cannot hold
    std::int64_t encodedCharacters = 0;  // addresses: percent-encoded for the same reason
    std::int64_t scriptsSkipped = 0;     // "javascript:" and "place:" entries
    std::int64_t emptySkipped = 0;       // entries with no address
    std::int64_t feeds = 0;              // feed entries, taken in as records
    std::int64_t separators = 0;         // separators, which hold nothing
    std::int64_t cutFolderPaths = 0;     // remarks whose folder path was too long to keep whole
    std::int64_t lossyCharacters = 0;    // writing: document bytes that are not cp932 (U+FFFD)
};

// What a read produces: records and title, kept apart from the open document until taken over.
struct CollectionContent {
    TableStore records;
    std::string title; // cp932
    bool hasTitle = false;
    ReadSummary summary;
    ExchangeTally tally;
};

class CollectionFormat {
public:
    virtual ~CollectionFormat() = default;

    // The name the companion's --format takes ("html", "bookmarks", "csv", "json").
    virtual std::string_view Name() const noexcept = 0;
    // Reads the whole of `path` into `into`, which is fresh. Steps `progress` by the bytes read;
    // ProgressStart and ProgressEnd are the caller's.
    virtual bool Read(const std::string& path, CollectionContent& into, ProgressSink& progress,
                      IoError& error) const = 0;
    // Writes the records and title to `out`, stepping `progress` once per record. False when the
    // stream failed (errno tells).
    virtual bool Write(std::FILE* out, const TableStore& records, const std::string& title,
                       ProgressSink& progress, ExchangeTally& tally) const = 0;
};

// The collection page, read and written by the program's own reader and writer.
const CollectionFormat& HtmlCollectionFormat();

// Every format, the collection page first.
const std::vector<const CollectionFormat*>& AllCollectionFormats();
// The format of that name, or null.
const CollectionFormat* FindCollectionFormat(std::string_view name);

// The one load step: reads `path` into a fresh content and, only when the whole file was read
// and `accept` (when given) agrees, lets `document` take over its records and, when the file
// has one, its title. On failure or refusal the document is exactly as it was. `content` tells
// the caller what the read met; its records are the document's previous ones afterwards.
bool LoadIntoDocument(const CollectionFormat& format, const std::string& path, Document& document,
                      ProgressSink& progress, IoError& error, CollectionContent& content,
                      const std::function<bool(const CollectionContent&)>& accept = {});

// Writes the document's records to `target` in `format`, whole or not at all: a new file beside
// it is flushed and then moved into place.
bool ExportToFile(const CollectionFormat& format, const std::string& target,
                  const TableStore& records, const std::string& title, ProgressSink& progress,
                  IoError& error, ExchangeTally& tally);

// The whole of a regular file, stepping `progress` by the bytes read. Files of 1 GiB and more
// are refused (IoErrorKind::FileTooLarge): other programs' exports are a few tens of megabytes.
bool ReadWholeFile(const std::string& path, FileBytes& bytes, ProgressSink& progress,
                   IoError& error);

// Output gathered in a buffer and handed to the stream in large blocks.
class BlockWriter {
public:
    explicit BlockWriter(std::FILE* out) : m_out(out) { m_buffer.reserve(kBlock + 4096); }
    std::string& Buffer() noexcept { return m_buffer; }
    // Writes the buffer out once it holds a block.
    bool Pump() { return m_buffer.size() < kBlock || Flush(); }
    bool Flush();

private:
    static constexpr std::size_t kBlock = 1 << 20;
    std::FILE* m_out;
    std::string m_buffer;
};

} // namespace lh
