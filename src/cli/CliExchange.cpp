#include "CliExchange.h"

#include "CliSupport.h"
#include "TerminalProgress.h"
#include "core/CollectionFormat.h"
#include "core/Document.h"
#include "core/DuplicateRemoval.h"
#include "core/ExchangeCommands.h"
#include "core/IoError.h"
#include "platform/FileSystem.h"
#include "platform/FileWriteLock.h"
#include "util/FileHelpers.h"

#include <string>
#include <utility>

namespace lh::cli {

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
                           ProgressLabel(s, msg::kProgressImport, FileInfoLine(file)));
    const bool read = format->Read(file, incoming, progress, error);
    progress.ProgressEnd();
    if (!read) {
        ComplainIo(s, file, error);
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
    if (existed &&
        !LoadCollectionShowingProgress(collection, document, progress, s, ForeignFile::Refuse))
        return 1;

    ImportOutcome outcome =
        ImportRecords(document, std::move(incoming.records), args.keepDuplicates);
    outcome.tally = incoming.tally;
    if ((outcome.added > 0 || !existed) &&
        !SaveCollectionShowingProgress(collection, document, existed, args.backup, progress, guard,
                                       s))
        return 1;
    Put(s.out, ImportSummaryText(outcome, IoLanguage(s.language)) + "\n");
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
    if (!LoadCollectionShowingProgress(collection, document, progress, s, ForeignFile::Refuse))
        return 1;

    const DuplicatesRemoved removed = RemoveDuplicateRecords(document);
    if (removed.count > 0 &&
        !SaveCollectionShowingProgress(collection, document, true, args.backup, progress, guard, s))
        return 1;
    Put(s.out, Say(s.language, msg::kDedupeResult,
                   {std::to_string(removed.count), std::to_string(document.Table().RecordCount()),
                    Named(s, collection)}) +
                   "\n");
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
    if (!LoadCollectionShowingProgress(collection, document, progress, s, ForeignFile::Accept))
        return 1;
    const TableStore& records = document.Table();
    ExchangeTally tally;
    IoError error;
    progress.ProgressStart(records.RecordCount(), ProgressLabel(s, msg::kProgressExport, target));
    const bool written =
        ExportToFile(*format, target, records, document.DocumentTitle(), progress, error, tally);
    progress.ProgressEnd();
    if (!written) {
        ComplainIo(s, target, error);
        return 1;
    }
    if (tally.lossyCharacters > 0)
        Complain(s, Say(s.language, msg::kExportLossy, {std::to_string(tally.lossyCharacters)}));
    const std::string result =
        Say(s.language, msg::kExportResult, {std::to_string(records.RecordCount()), target});
    Put(s.out, result + "\n");
    return 0;
}

} // namespace lh::cli
