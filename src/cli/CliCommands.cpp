#include "CliCommands.h"

#include "Listing.h"
#include "TerminalProgress.h"
#include "core/Document.h"
#include "core/InputOpen.h"
#include "core/IoError.h"
#include "core/ScanCommands.h"
#include "platform/FileSystem.h"
#include "platform/InputFile.h"
#include "util/FileHelpers.h"

#include <cstdio>
#include <string>

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
    int lossy = 0;
    WriteListing(s.out, document.Table(),
                 args.format == ListFormat::Json ? ListingFormat::Json : ListingFormat::Tsv, lossy);
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
