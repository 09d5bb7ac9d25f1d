#include "CliCommands.h"

#include "TerminalProgress.h"
#include "core/Document.h"
#include "core/IoError.h"
#include "core/ScanCommands.h"
#include "platform/FileSystem.h"
#include "util/Codec.h"
#include "util/FileHelpers.h"

#include <cerrno>
#include <cstdio>
#include <string>

namespace lh::cli {

namespace {

constexpr const char* kProgram = "linkhive-cli";

void Complain(const CliStreams& s, const std::string& what) {
    std::fprintf(s.err, "%s: %s\n", kProgram, what.c_str());
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
    errno = 0;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
    } else {
        ComplainIo(s, path, errno != 0 ? platform::MapErrnoToIoCode(errno) : 5);
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

// C1 control characters (U+0080-U+009F) arrive as 0xC2 and a byte of 0x80-0x9F; terminals may
// act on them as they do on ESC sequences.
bool IsC1At(const std::string& text, std::size_t i) noexcept {
    return static_cast<unsigned char>(text[i]) == 0xC2 && i + 1 < text.size() &&
           static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
           static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

void PutHex(std::string& out, const char* format, unsigned value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, format, value);
    out += buf;
}

// A listing goes to terminals and line-based tools: no byte of a cell may act as a control there
// or break the line. Every control character and DEL is written as an escape, the backslash
// itself too, so the original text can be recovered.
void PutTsvField(std::string& line, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\') {
            line += "\\\\";
        } else if (c == '\t') {
            line += "\\t";
        } else if (c == '\n') {
            line += "\\n";
        } else if (c == '\r') {
            line += "\\r";
        } else if (u < 0x20 || u == 0x7F) {
            PutHex(line, "\\x%02x", u);
        } else if (IsC1At(text, i)) {
            PutHex(line, "\\u%04x", static_cast<unsigned char>(text[++i]));
        } else {
            line += c;
        }
    }
}

void PutJsonString(std::string& out, const std::string& text) {
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
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
            PutHex(out, "\\u%04x", u);
        } else if (IsC1At(text, i)) {
            PutHex(out, "\\u%04x", static_cast<unsigned char>(text[++i]));
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
    std::int64_t tooLong = 0;
    for (const std::string& file : files) {
        progress.ProgressStart(FileSizeByName(file), ScanProgressLabel(kind, file));
        const ScanOutcome outcome = ScanFileIntoDocument(kind, file, document, progress, args.scan);
        progress.ProgressEnd();
        if (!outcome.ok) {
            ComplainIo(s, file, outcome.errorCode);
            return 1;
        }
        if (outcome.tooLong > 0)
            Complain(s, file + ": " + std::to_string(outcome.tooLong) +
                            " address(es) longer than 1 MiB passed over");
        if (outcome.encoding != Charset::Cp932)
            Complain(s, file + ": read as " + std::string(CharsetDisplayName(outcome.encoding)));
        found += outcome.found;
        added += outcome.added;
        tooLong += outcome.tooLong;
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
    std::fprintf(s.out,
                 "%lld added, %lld found, %lld duplicates, %lld too long, %lld records in %s\n",
                 static_cast<long long>(added), static_cast<long long>(found),
                 static_cast<long long>(found - added), static_cast<long long>(tooLong),
                 static_cast<long long>(document.Table().RecordCount()), collection.c_str());
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
    std::fprintf(s.out, "%lld records written to %s\n",
                 static_cast<long long>(document.Table().RecordCount()), target.c_str());
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
        std::fputs(table.RecordCount() == 0 ? "[" : "[\n", s.out);
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
        std::fwrite(line.data(), 1, line.size(), s.out);
    }
    if (json)
        std::fputs("]\n", s.out);
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
