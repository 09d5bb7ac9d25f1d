#include "CliCommands.h"

#include "CliExchange.h"
#include "CliSupport.h"
#include "Listing.h"
#include "TerminalProgress.h"
#include "core/CollectionRewrite.h"
#include "core/Document.h"
#include "core/InputOpen.h"
#include "core/IoError.h"
#include "core/ScanCommands.h"
#include "platform/FileSystem.h"
#include "platform/FileWriteLock.h"
#include "platform/InputFile.h"
#include "util/FileHelpers.h"

#include <cstdio>
#include <optional>
#include <string>

namespace lh::cli {

namespace {

// A file to scan must be a readable regular file, or a pipe; a possible program needs --yes.
// A pipe is not opened here: what a test open took from it would be lost to the scan, and a
// writer that saw its reader go would stop.
bool CheckScanFile(const std::string& path, bool yes, const CliStreams& s) {
    if (platform::InputKindOf(path) == platform::InputKind::Stream)
        return true;
    IoCode code;
    std::FILE* f = OpenForReading(path, false, code);
    if (!f) {
        ComplainIo(s, path, code);
        return false;
    }
    std::fclose(f);
    if (IsProgramFile(path) && !yes) {
        Complain(s, Say(s.language, msg::kMayBeProgram, {Named(s, path)}));
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
    document.ResetState({});
    platform::FileWriteLock lock;
    SaveGuard guard;
    LockForUpdate(collection, lock, guard, s);
    platform::FileStat st;
    const bool existed = platform::StatFile(collection, st);
    bool loaded = !existed;
    const auto loadCollection = [&] {
        loaded =
            LoadCollectionShowingProgress(collection, document, progress, s, ForeignFile::Refuse);
        return loaded;
    };
    // The first file is read while the collection loads, unless it is a pipe: its writer should
    // not be drained for a command that fails on the collection.
    if (!loaded && platform::InputKindOf(files.front()) == platform::InputKind::Stream &&
        !loadCollection())
        return 1;

    std::int64_t found = 0;
    std::int64_t added = 0;
    std::int64_t tooLong = 0;
    for (const std::string& file : files) {
        const auto startProgress = [&] {
            progress.ProgressStart(
                FileSizeByName(file),
                ProgressLabel(s,
                              kind == AddressKind::Url ? msg::kProgressUrls : msg::kProgressEmails,
                              FileInfoLine(file)));
            return true;
        };
        const std::optional<ScanOutcome> scanned = ScanFileIntoPreparedDocument(
            kind, file, document, progress, args.scan, true, ScanThreads::Auto,
            [&] { return (loaded || loadCollection()) && startProgress(); });
        if (!scanned)
            return 1;
        const ScanOutcome& outcome = *scanned;
        progress.ProgressEnd();
        if (!outcome.ok) {
            ComplainIo(s, file, outcome.errorCode);
            return 1;
        }
        if (outcome.tooLong > 0)
            Complain(s,
                     Say(s.language, msg::kTooLongPassed, {file, std::to_string(outcome.tooLong)}));
        if (outcome.encoding != Charset::Cp932)
            Complain(s, Say(s.language, msg::kReadAs,
                            {file, std::string(CharsetDisplayName(outcome.encoding))}));
        found += outcome.found;
        added += outcome.added;
        tooLong += outcome.tooLong;
    }

    if ((added > 0 || !existed) && !SaveCollectionShowingProgress(collection, document, existed,
                                                                  args.backup, progress, guard, s))
        return 1;
    const std::string result =
        Say(s.language, msg::kScanResult,
            {std::to_string(added), std::to_string(found), std::to_string(found - added),
             std::to_string(tooLong), std::to_string(document.Table().RecordCount()), collection});
    Put(s.out, result + "\n");
    return 0;
}

int RunRewrite(const CliArgs& args, const CliStreams& s) {
    TerminalProgress progress(s.progressOnTerminal);
    Document document;
    const std::string& source = args.operands[0];
    const std::string& target = args.operands[1];
    platform::FileWriteLock lock;
    SaveGuard guard;
    LockForUpdate(target, lock, guard, s);
    std::int64_t records = 0;
    IoError error;
    switch (RewriteCollectionFile(source, target, document.DocumentTitle(), progress, error, &guard,
                                  records)) {
    case RewriteOutcome::Done:
        break;
    case RewriteOutcome::Failed:
        ComplainSave(s, target, error);
        return 1;
    case RewriteOutcome::NeedsFullLoad:
        if (!LoadCollection(source, document, progress, s, ForeignFile::Accept) ||
            !SaveCollection(target, document, BackupKind::None, progress, guard, s))
            return 1;
        records = document.Table().RecordCount();
        break;
    }
    const std::string result =
        Say(s.language, msg::kRewriteResult, {std::to_string(records), target});
    Put(s.out, result + "\n");
    return 0;
}

int RunList(const CliArgs& args, const CliStreams& s) {
    NullProgress progress;
    Document document;
    const std::string& path = args.operands[0];
    if (!LoadCollection(path, document, progress, s, ForeignFile::Accept))
        return 1;
    int lossy = 0;
    WriteListing(s.out, document.Table(),
                 args.format == ListFormat::Json ? ListingFormat::Json : ListingFormat::Tsv, lossy);
    if (lossy > 0)
        Complain(s, Say(s.language, msg::kLossyCells, {std::to_string(lossy)}));
    // A write that failed along the way (a full disk) leaves only the error mark behind.
    if (std::fflush(s.out) != 0 || std::ferror(s.out)) {
        Complain(s, Say(s.language, msg::kCannotWriteListing));
        return 1;
    }
    return 0;
}

int RunCli(const std::vector<std::string>& words, const CliStreams& s) {
    const ParsedArgs parsed = ParseCliArgs(words, s.language);
    if (!parsed.ok) {
        Complain(s, parsed.error);
        Put(s.err, UsageText(parsed.args.command, s.language));
        return 2;
    }
    const CliArgs& args = parsed.args;
    if (args.help) {
        Put(s.out, UsageText(args.command, s.language));
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
    case Command::Import:
        return RunImport(args, s);
    case Command::Export:
        return RunExport(args, s);
    case Command::Dedupe:
        return RunDedupe(args, s);
    case Command::None:
        break;
    }
    return 2;
}

} // namespace lh::cli
