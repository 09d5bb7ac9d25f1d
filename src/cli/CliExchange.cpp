#include "CliExchange.h"

#include "TerminalProgress.h"
#include "core/CollectionFormat.h"
#include "core/Document.h"
#include "core/DuplicateRemoval.h"
#include "core/ExchangeCommands.h"
#include "core/IoError.h"
#include "platform/FileSystem.h"
#include "platform/FileWriteLock.h"
#include "util/FileHelpers.h"

#include <cstdio>
#include <string>
#include <utility>

namespace lh::cli {

namespace {

constexpr const char* kProgram = "linkhive-cli";

void Complain(const CliStreams& s, const std::string& what) {
    std::fprintf(s.err, "%s: %s\n", kProgram, what.c_str());
}

std::string Named(const CliStreams& s, const std::string& path) {
    return s.language == Language::Japanese ? "「" + path + "」" : "\"" + path + "\"";
}

void ComplainIo(const CliStreams& s, const IoError& error, const std::string& path) {
    Complain(s, Named(s, error.path.empty() ? path : error.path) + ": " +
                    IoErrorText(error.code, IoLanguage(s.language)));
}

std::string Label(const CliStreams& s, const Text& verb, const std::string& what) {
    return std::string(Say(s.language, verb)) + " (" + what + ")";
}

// The collection through the one load step; a file that holds something but is no collection
// is refused, for the import is about to write over it.
bool LoadCollection(const std::string& path, Document& document, ProgressSink& progress,
                    const CliStreams& s) {
    CollectionContent content;
    IoError error;
    bool foreign = false;
    const bool loaded = LoadIntoDocument(HtmlCollectionFormat(), path, document, progress, error,
                                         content, [&](const CollectionContent& c) {
                                             foreign = c.summary.NotACollection();
                                             return !foreign;
                                         });
    if (foreign)
        Complain(s, Say(s.language, msg::kNotACollection, {Named(s, path)}));
    else if (!loaded)
        ComplainIo(s, error, path);
    return loaded;
}

// Writes the changed collection back, unless another program changed the file since it was read.
bool SaveCollection(const std::string& collection, const Document& document, bool existed,
                    BackupKind backup, SaveGuard& guard, ProgressSink& progress,
                    const CliStreams& s) {
    progress.ProgressStart(CollectionLineCount(document.Table()),
                           existed ? Label(s, msg::kProgressOverWrite, FileInfoLine(collection))
                                   : Label(s, msg::kProgressNewWrite, collection));
    IoError saveError;
    const bool saved = SaveCollectionFile(collection, document.Table(), document.DocumentTitle(),
                                          backup, progress, saveError, &guard);
    progress.ProgressEnd();
    if (!saved) {
        if (saveError.code == IoErrorKind::ChangedOnDisk)
            Complain(s, Say(s.language, msg::kChangedOnDisk, {Named(s, collection)}));
        else
            ComplainIo(s, saveError, collection);
    }
    return saved;
}

// Takes the write lock of the collection and notes the version on disk, so that companions
// updating one collection take turns and a save sees a change made behind its back.
void LockForUpdate(const std::string& collection, platform::FileWriteLock& lock, SaveGuard& guard,
                   const CliStreams& s) {
    lock.Acquire(collection, -1, [&] {
        Complain(s, Say(s.language, msg::kWaitingForWriter, {Named(s, collection)}));
    });
    guard.lockHeld = lock.Held();
    guard.expected = platform::ReadFileIdentity(collection);
}

} // namespace

int RunImport(const CliArgs& args, const CliStreams& s) {
    const std::string& collection = args.operands[0];
    const std::string& file = args.operands[1];
    const CollectionFormat* format = args.exchangeFormat.empty()
                                         ? &FormatForFileName(file)
                                         : FindCollectionFormat(args.exchangeFormat);
    if (!format)
        return 2;
    TerminalProgress progress(s.progressOnTerminal);

    // The file to import is read whole before the collection is touched.
    CollectionContent incoming;
    IoError error;
    progress.ProgressStart(FileSizeByName(file),
                           Label(s, msg::kProgressImport, FileInfoLine(file)));
    const bool read = format->Read(file, incoming, progress, error);
    progress.ProgressEnd();
    if (!read) {
        ComplainIo(s, error, file);
        return 1;
    }

    // Companions updating one collection take turns, as the scans do.
    platform::FileWriteLock lock;
    SaveGuard guard;
    LockForUpdate(collection, lock, guard, s);

    Document document;
    document.ResetState({});
    platform::FileStat st;
    const bool existed = platform::StatFile(collection, st);
    if (existed) {
        progress.ProgressStart(st.size, Label(s, msg::kProgressOpen, FileInfoLine(collection)));
        const bool loaded = LoadCollection(collection, document, progress, s);
        progress.ProgressEnd();
        if (!loaded)
            return 1;
    }

    ImportOutcome outcome =
        ImportRecords(document, std::move(incoming.records), args.keepDuplicates);
    outcome.tally = incoming.tally;
    if ((outcome.added > 0 || !existed) &&
        !SaveCollection(collection, document, existed, args.backup, guard, progress, s))
        return 1;
    std::fprintf(s.out, "%s\n", ImportSummaryText(outcome, IoLanguage(s.language)).c_str());
    return 0;
}

int RunDedupe(const CliArgs& args, const CliStreams& s) {
    const std::string& collection = args.operands[0];
    TerminalProgress progress(s.progressOnTerminal);
    platform::FileWriteLock lock;
    SaveGuard guard;
    LockForUpdate(collection, lock, guard, s);

    Document document;
    document.ResetState({});
    progress.ProgressStart(FileSizeByName(collection),
                           Label(s, msg::kProgressOpen, FileInfoLine(collection)));
    const bool loaded = LoadCollection(collection, document, progress, s);
    progress.ProgressEnd();
    if (!loaded)
        return 1;

    const DuplicatesRemoved removed = RemoveDuplicateRecords(document);
    if (removed.count > 0 &&
        !SaveCollection(collection, document, true, args.backup, guard, progress, s))
        return 1;
    std::fprintf(s.out, "%s\n",
                 Say(s.language, msg::kDedupeResult,
                     {std::to_string(removed.count), std::to_string(document.Table().RecordCount()),
                      Named(s, collection)})
                     .c_str());
    return 0;
}

int RunExport(const CliArgs& args, const CliStreams& s) {
    const std::string& collection = args.operands[0];
    const std::string& target = args.operands[1];
    const CollectionFormat* format = FindCollectionFormat(args.exchangeFormat);
    if (!format)
        return 2;
    TerminalProgress progress(s.progressOnTerminal);
    Document document;
    CollectionContent content;
    IoError error;
    progress.ProgressStart(FileSizeByName(collection),
                           Label(s, msg::kProgressOpen, FileInfoLine(collection)));
    const bool loaded =
        LoadIntoDocument(HtmlCollectionFormat(), collection, document, progress, error, content);
    progress.ProgressEnd();
    if (!loaded) {
        ComplainIo(s, error, collection);
        return 1;
    }
    const TableStore& records = document.Table();
    ExchangeTally tally;
    progress.ProgressStart(records.RecordCount(), Label(s, msg::kProgressExport, target));
    const bool written =
        ExportToFile(*format, target, records, document.DocumentTitle(), progress, error, tally);
    progress.ProgressEnd();
    if (!written) {
        ComplainIo(s, error, target);
        return 1;
    }
    if (tally.lossyCharacters > 0)
        Complain(s, Say(s.language, msg::kExportLossy, {std::to_string(tally.lossyCharacters)}));
    const std::string result =
        Say(s.language, msg::kExportResult, {std::to_string(records.RecordCount()), target});
    std::fprintf(s.out, "%s\n", result.c_str());
    return 0;
}

} // namespace lh::cli
