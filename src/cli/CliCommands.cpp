#include "CliCommands.h"

#include "TerminalProgress.h"
#include "core/Document.h"
#include "core/IoError.h"
#include "core/ScanCommands.h"
#include "platform/Console.h"
#include "platform/FileSystem.h"
#include "util/Codec.h"
#include "util/FileHelpers.h"

#include <cstdio>
#include <string>

namespace lh::cli {

namespace {

constexpr const char* kProgram = "linkhive-cli";

// Everything goes out as UTF-8 (as Unicode to a Windows console): messages, paths and cells
// alike, so the output never mixes encodings.
void Put(std::FILE* stream, const std::string& text) {
    platform::WriteText(stream, text);
}

void Complain(const CliStreams& s, const std::string& what) {
    Put(s.err, std::string(kProgram) + ": " + what + "\n");
}

void ComplainIo(const CliStreams& s, const std::string& path, int code) {
    Complain(s, path + ": " + IoErrorText(code));
}

// A file to scan must exist, be readable and not be a folder; a possible program needs --yes.
bool CheckScanFile(const std::string& path, bool yes, const CliStreams& s) {
    platform::FileStat st;
    if (!platform::StatFile(path, st)) {
        ComplainIo(s, path, 2);
        return false;
    }
    if (st.attributes.directory) {
        Complain(s, path + ": is a folder, not a file");
        return false;
    }
    int code = 0;
    if (std::FILE* f = platform::OpenForReading(path, code)) {
        std::fclose(f);
    } else {
        ComplainIo(s, path, code != 0 ? code : 5);
        return false;
    }
    if (IsProgramFileName(path) && !yes) {
        Complain(s, path + ": may be a program; not scanned without --yes");
        return false;
    }
    return true;
}

// Reads a collection into a fresh store and takes it over only when the whole file was read.
bool LoadCollection(const std::string& path, Document& document, ProgressSink& progress,
                    const CliStreams& s) {
    TableStore loaded;
    std::string title = document.DocumentTitle();
    IoError error;
    if (!ReadCollection(path, loaded, title, progress, error)) {
        ComplainIo(s, error.path.empty() ? path : error.path, error.code);
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

// Cell text for the listing: UTF-8, with a count of cells that needed replacement characters.
std::string CellText(std::string_view cell, int& lossy) {
    if (std::optional<std::string> exact = SjisToUtf8(cell))
        return std::move(*exact);
    ++lossy;
    return SjisToUtf8Lossy(cell);
}

void PutTsvField(std::string& line, const std::string& text) {
    for (const char c : text) {
        switch (c) {
        case '\t':
            line += "\\t";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        case '\\':
            line += "\\\\";
            break;
        default:
            line += c;
        }
    }
}

void PutJsonString(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    out += '"';
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
        if (st.attributes.directory) {
            Complain(s, collection + ": is a folder, not a collection");
            return 1;
        }
        progress.ProgressStart(st.size, "File Open (" + FileInfoLine(collection) + ")");
        const bool loaded = LoadCollection(collection, document, progress, s);
        progress.ProgressEnd();
        if (!loaded)
            return 1;
    }

    std::int64_t found = 0;
    std::int64_t added = 0;
    for (const std::string& file : files) {
        progress.ProgressStart(FileSizeByName(file), ScanProgressLabel(kind, file));
        const ScanOutcome outcome = ScanFileIntoDocument(kind, file, document, progress);
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
    Put(s.out, std::to_string(added) + " added, " + std::to_string(found) + " found, " +
                   std::to_string(document.Table().RecordCount()) + " records in " + collection +
                   "\n");
    return 0;
}

int RunRewrite(const CliArgs& args, const CliStreams& s) {
    TerminalProgress progress(s.progressOnTerminal);
    Document document;
    const std::string& source = args.operands[0];
    const std::string& target = args.operands[1];
    if (!platform::IsRegularFile(source)) {
        ComplainIo(s, source, platform::FileExists(source) ? 5 : 2);
        return 1;
    }
    if (!LoadCollection(source, document, progress, s) ||
        !SaveCollection(target, document, BackupKind::None, progress, s))
        return 1;
    Put(s.out,
        std::to_string(document.Table().RecordCount()) + " records written to " + target + "\n");
    return 0;
}

int RunList(const CliArgs& args, const CliStreams& s) {
    NullProgress progress;
    Document document;
    const std::string& path = args.operands[0];
    if (!platform::IsRegularFile(path)) {
        ComplainIo(s, path, platform::FileExists(path) ? 5 : 2);
        return 1;
    }
    if (!LoadCollection(path, document, progress, s))
        return 1;
    const TableStore& table = document.Table();
    const bool json = args.format == ListFormat::Json;
    int lossy = 0;
    std::string line;
    if (json)
        Put(s.out, table.RecordCount() == 0 ? "[" : "[\n");
    static constexpr const char* kKeys[5] = {"no", "name", "address", "access", "remark"};
    for (TableStore::Row r = 1; r < table.EntryRow(); ++r) {
        line.clear();
        if (json) {
            line += "  {\"no\": " + std::to_string(r);
            for (int c = 1; c <= 4; ++c) {
                line += std::string(", \"") + kKeys[c] + "\": ";
                PutJsonString(line, CellText(table.CellView(r, c), lossy));
            }
            line += r + 1 < table.EntryRow() ? "},\n" : "}\n";
        } else {
            line += std::to_string(r);
            for (int c = 1; c <= 4; ++c) {
                line += '\t';
                PutTsvField(line, CellText(table.CellView(r, c), lossy));
            }
            line += '\n';
        }
        Put(s.out, line);
    }
    if (json)
        Put(s.out, "]\n");
    if (lossy > 0)
        Complain(s, std::to_string(lossy) +
                        " cell(s) hold bytes that are not code page 932; shown as U+FFFD");
    if (std::fflush(s.out) != 0) {
        Complain(s, "cannot write the listing");
        return 1;
    }
    return 0;
}

int RunCli(const std::vector<std::string>& words, const CliStreams& s) {
    const ParsedArgs parsed = ParseCliArgs(words);
    if (!parsed.ok) {
        Complain(s, parsed.error);
        Put(s.err, UsageText(parsed.args.command));
        return 2;
    }
    const CliArgs& args = parsed.args;
    if (args.help) {
        Put(s.out, UsageText(args.command));
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
