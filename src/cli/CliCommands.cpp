#include "CliCommands.h"

#include "TerminalProgress.h"
#include "core/Document.h"
#include "core/InputOpen.h"
#include "core/IoError.h"
#include "core/ScanCommands.h"
#include "platform/FileSystem.h"
#include "platform/InputFile.h"
#include "util/Codec.h"
#include "util/FileHelpers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace lh::cli {

namespace {

constexpr const char* kProgram = "linkhive-cli";

void Complain(const CliStreams& s, const std::string& what) {
    std::fprintf(s.err, "%s: %s\n", kProgram, what.c_str());
}

// Every file error of the companion is told here, the file in corner brackets.
void ComplainIo(const CliStreams& s, const std::string& path, int code) {
    Complain(s, "「" + path + "」: " + IoErrorText(code));
}

// A file to scan must be a readable regular file, or a pipe; a possible program needs --yes.
// A pipe is not opened here: what a test open took from it would be lost to the scan, and a
// writer that saw its reader go would stop.
bool CheckScanFile(const std::string& path, bool yes, const CliStreams& s) {
    if (platform::InputKindOf(path) == platform::InputKind::Stream)
        return true;
    int code = 0;
    std::FILE* f = OpenForReading(path, false, code);
    if (!f) {
        ComplainIo(s, path, code);
        return false;
    }
    std::fclose(f);
    if (IsProgramFile(path) && !yes) {
        Complain(s, "「" + path + "」: may be a program; not scanned without --yes");
        return false;
    }
    return true;
}

// Reads a collection into a fresh store and takes it over only when the whole file was read.
// With `refuseForeign`, a file that holds something but is no collection is refused, for it
// is about to be written over.
bool LoadCollection(const std::string& path, Document& document, ProgressSink& progress,
                    const CliStreams& s, bool refuseForeign = false) {
    TableStore loaded;
    std::string title = document.DocumentTitle();
    IoError error;
    ReadSummary summary;
    if (!ReadCollection(path, loaded, title, progress, error, &summary)) {
        ComplainIo(s, error.path.empty() ? path : error.path, error.code);
        return false;
    }
    if (refuseForeign && summary.NotACollection()) {
        // Writing the scan's results over it would destroy whatever the file is.
        Complain(s, "「" + path + "」: not a collection (no title line, no record line); " +
                        "nothing written");
        return false;
    }
    document.Table().Swap(loaded);
    document.SetDocumentTitle(title);
    document.SetFileCaption(path);
    return true;
}

bool SaveCollection(const std::string& path, const Document& document, BackupKind backup,
                    ProgressSink& progress, const CliStreams& s) {
    IoError error;
    if (!SaveCollectionFile(path, document.Table(), document.DocumentTitle(), backup, progress,
                            error)) {
        ComplainIo(s, error.path.empty() ? path : error.path, error.code);
        return false;
    }
    return true;
}

// Plain ASCII reads the same in code page 932 and in UTF-8, and most cells (addresses, stamps,
// numbers) are nothing else: they go out as they are, without a conversion per cell.
bool IsAscii(std::string_view text) noexcept {
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, text.data() + i, sizeof w);
        if (w & 0x8080808080808080ull)
            return false;
    }
    for (; i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    return true;
}

// The UTF-8 texts of the cells of a run of records, for the listing. Cells of plain ASCII are
// their own text. The others are converted together, one conversion for the run instead of one
// per cell, joined by NUL bytes (which no double-byte character holds and every conversion
// keeps). A run that does not convert as a whole, because some cell holds bytes that are no
// code page 932, is converted cell by cell, with U+FFFD where needed: `lossy` counts those cells.
class CellTexts {
public:
    void Prepare(const TableStore& table, TableStore::Row first, TableStore::Row end, int& lossy) {
        m_first = first;
        m_views.assign(static_cast<std::size_t>(end - first) * 4, {});
        m_joined.clear();
        std::vector<std::size_t> joined;
        std::vector<std::size_t> alone;
        for (TableStore::Row r = first; r < end; ++r) {
            for (int c = 1; c <= 4; ++c) {
                const std::size_t i = Slot(r, c);
                const std::string_view cell = table.CellView(r, c);
                m_views[i] = cell;
                if (IsAscii(cell))
                    continue;
                if (cell.find('\0') != std::string_view::npos) {
                    alone.push_back(i);
                    continue;
                }
                m_joined.append(cell);
                m_joined += '\0';
                joined.push_back(i);
            }
        }
        if (!joined.empty()) {
            if (std::optional<std::string> converted = SjisToUtf8(m_joined)) {
                m_converted = std::move(*converted);
                std::size_t from = 0;
                for (const std::size_t i : joined) {
                    const std::size_t nul = m_converted.find('\0', from);
                    m_views[i] = std::string_view(m_converted).substr(from, nul - from);
                    from = nul + 1;
                }
            } else {
                alone.insert(alone.end(), joined.begin(), joined.end());
            }
        }
        m_alone.clear();
        m_alone.reserve(alone.size()); // the views below point into these strings
        for (const std::size_t i : alone) {
            std::optional<std::string> exact = SjisToUtf8(m_views[i]);
            if (!exact)
                ++lossy;
            m_alone.push_back(exact ? std::move(*exact) : SjisToUtf8Lossy(m_views[i]));
            m_views[i] = m_alone.back();
        }
    }

    std::string_view Get(TableStore::Row r, int c) const { return m_views[Slot(r, c)]; }

private:
    std::size_t Slot(TableStore::Row r, int c) const {
        return static_cast<std::size_t>(r - m_first) * 4 + static_cast<std::size_t>(c - 1);
    }

    TableStore::Row m_first = 0;
    std::vector<std::string_view> m_views;
    std::string m_joined;
    std::string m_converted;
    std::vector<std::string> m_alone;
};

// The bytes a format escapes, as a table: the test runs once per byte of the listing.
using EscapeSet = std::array<bool, 256>;

constexpr EscapeSet kTsvEscapes = [] {
    EscapeSet set{};
    for (const unsigned char c : {'\t', '\n', '\r', '\\'})
        set[c] = true;
    return set;
}();

constexpr EscapeSet kJsonEscapes = [] {
    EscapeSet set{};
    for (int c = 0; c < 0x20; ++c)
        set[static_cast<std::size_t>(c)] = true;
    for (const unsigned char c : {'"', '\\', '\x7F'})
        set[c] = true;
    return set;
}();

// Appends `text` with `escape(c, buf)` in place of each byte of `set`; runs of bytes that need
// no escape are copied whole.
void PutEscaped(std::string& out, std::string_view text, const EscapeSet& set,
                std::size_t (*escape)(unsigned char, char*)) {
    std::size_t from = 0;
    char buf[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!set[c])
            continue;
        out.append(text.data() + from, i - from);
        out.append(buf, escape(c, buf));
        from = i + 1;
    }
    out.append(text.data() + from, text.size() - from);
}

std::size_t TsvEscape(unsigned char c, char* buf) {
    char letter;
    switch (c) {
    case '\t':
        letter = 't';
        break;
    case '\n':
        letter = 'n';
        break;
    case '\r':
        letter = 'r';
        break;
    case '\\':
        letter = '\\';
        break;
    default:
        return 0;
    }
    buf[0] = '\\';
    buf[1] = letter;
    return 2;
}

std::size_t JsonEscape(unsigned char c, char* buf) {
    char letter;
    switch (c) {
    case '"':
    case '\\':
        letter = static_cast<char>(c);
        break;
    case '\n':
        letter = 'n';
        break;
    case '\r':
        letter = 'r';
        break;
    case '\t':
        letter = 't';
        break;
    default:
        if (c < 0x20 || c == 0x7F)
            return static_cast<std::size_t>(std::snprintf(buf, 8, "\\u%04x", c));
        return 0;
    }
    buf[0] = '\\';
    buf[1] = letter;
    return 2;
}

void PutTsvField(std::string& line, std::string_view text) {
    PutEscaped(line, text, kTsvEscapes, TsvEscape);
}

void PutJsonString(std::string& out, std::string_view text) {
    out += '"';
    PutEscaped(out, text, kJsonEscapes, JsonEscape);
    out += '"';
}

void PutNumber(std::string& out, std::int64_t value) {
    char digits[24];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, static_cast<std::size_t>(r.ptr - digits));
}

} // namespace

int RunScan(const CliArgs& args, const CliStreams& s) {
    const AddressKind kind =
        args.command == Command::ScanUrls ? AddressKind::Url : AddressKind::Email;
    const std::string& collection = args.operands[0];
    const std::vector<std::string> files(args.operands.begin() + 1, args.operands.end());

    for (const std::string& file : files)
        if (!CheckScanFile(file, args.yes, s))
            return 1;

    TerminalProgress progress(s.progressOnTerminal);
    Document document;
    document.SetFileCaption({});
    platform::FileStat st;
    const bool existed = platform::StatFile(collection, st);
    if (existed) {
        progress.ProgressStart(st.size, "File Open (" + FileInfoLine(collection) + ")");
        const bool loaded = LoadCollection(collection, document, progress, s, true);
        progress.ProgressEnd();
        if (!loaded)
            return 1;
    }

    std::int64_t found = 0;
    std::int64_t added = 0;
    for (const std::string& file : files) {
        progress.ProgressStart(FileSizeByName(file), ScanProgressLabel(kind, file));
        const ScanOutcome outcome = ScanFileIntoDocument(kind, file, document, progress, true);
        progress.ProgressEnd();
        if (!outcome.ok) {
            ComplainIo(s, file, outcome.errorCode);
            return 1;
        }
        if (outcome.tooLong > 0)
            Complain(s, file + ": " + std::to_string(outcome.tooLong) +
                            " address(es) longer than 1 MiB passed over");
        found += outcome.found;
        added += outcome.added;
    }

    if (added > 0 || !existed) {
        progress.ProgressStart(CollectionLineCount(document.Table()),
                               existed ? "Over Write (" + FileInfoLine(collection) + ")"
                                       : "New Write (" + collection + ")");
        const bool saved = SaveCollection(collection, document, args.backup, progress, s);
        progress.ProgressEnd();
        if (!saved)
            return 1;
    }
    std::fprintf(s.out, "%lld added, %lld found, %lld records in %s\n",
                 static_cast<long long>(added), static_cast<long long>(found),
                 static_cast<long long>(document.Table().RecordCount()), collection.c_str());
    return 0;
}

int RunRewrite(const CliArgs& args, const CliStreams& s) {
    TerminalProgress progress(s.progressOnTerminal);
    Document document;
    const std::string& source = args.operands[0];
    const std::string& target = args.operands[1];
    if (!LoadCollection(source, document, progress, s) ||
        !SaveCollection(target, document, BackupKind::None, progress, s))
        return 1;
    std::fprintf(s.out, "%lld records written to %s\n",
                 static_cast<long long>(document.Table().RecordCount()), target.c_str());
    return 0;
}

int RunList(const CliArgs& args, const CliStreams& s) {
    NullProgress progress;
    Document document;
    const std::string& path = args.operands[0];
    if (!LoadCollection(path, document, progress, s))
        return 1;
    const TableStore& table = document.Table();
    const bool json = args.format == ListFormat::Json;
    int lossy = 0;
    // Records go out in blocks of this size rather than a write per line.
    constexpr std::size_t kBlockBytes = std::size_t{1} << 16;
    constexpr TableStore::Row kRunRecords = 1024;
    std::string block;
    block.reserve(kBlockBytes + 4096);
    CellTexts texts;
    if (json)
        std::fputs(table.RecordCount() == 0 ? "[" : "[\n", s.out);
    static constexpr std::string_view kKeys[5] = {"no", "name", "address", "access", "remark"};
    for (TableStore::Row r = 1; r < table.EntryRow(); ++r) {
        if ((r - 1) % kRunRecords == 0)
            texts.Prepare(table, r, std::min(r + kRunRecords, table.EntryRow()), lossy);
        if (json) {
            block += "  {\"no\": ";
            PutNumber(block, r);
            for (int c = 1; c <= 4; ++c) {
                block += ", \"";
                block += kKeys[c];
                block += "\": ";
                PutJsonString(block, texts.Get(r, c));
            }
            block += r + 1 < table.EntryRow() ? "},\n" : "}\n";
        } else {
            PutNumber(block, r);
            for (int c = 1; c <= 4; ++c) {
                block += '\t';
                PutTsvField(block, texts.Get(r, c));
            }
            block += '\n';
        }
        if (block.size() >= kBlockBytes) {
            std::fwrite(block.data(), 1, block.size(), s.out);
            block.clear();
        }
    }
    std::fwrite(block.data(), 1, block.size(), s.out);
    if (json)
        std::fputs("]\n", s.out);
    if (lossy > 0)
        Complain(s, std::to_string(lossy) +
                        " cell(s) hold bytes that are not code page 932; shown as U+FFFD");
    // A write that failed along the way (a full disk) leaves only the error mark behind.
    if (std::fflush(s.out) != 0 || std::ferror(s.out)) {
        Complain(s, "cannot write the listing");
        return 1;
    }
    return 0;
}

int RunCli(const std::vector<std::string>& words, const CliStreams& s) {
    const ParsedArgs parsed = ParseCliArgs(words);
    if (!parsed.ok) {
        Complain(s, parsed.error);
        std::fputs(UsageText(parsed.args.command).c_str(), s.err);
        return 2;
    }
    const CliArgs& args = parsed.args;
    if (args.help) {
        std::fputs(UsageText(args.command).c_str(), s.out);
        return 0;
    }
    switch (args.command) {
    case Command::ScanUrls:
    case Command::ScanEmails:
        return RunScan(args, s);
    case Command::Rewrite:
        return RunRewrite(args, s);
    case Command::List:
        return RunList(args, s);
    case Command::None:
        break;
    }
    return 2;
}

} // namespace lh::cli
