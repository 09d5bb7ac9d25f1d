#include "ScanCommands.h"

#include "BatchCollector.h"
#include "EmailScanner.h"
#include "InputOpen.h"
#include "IoError.h"
#include "RecordsAddedStep.h"
#include "ScanFeeder.h"
#include "SplitScan.h"
#include "UrlScanner.h"
#include "platform/FileSystem.h"
#include "platform/Processors.h"
#include "util/FileHelpers.h"
#include "util/Mbcs.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <system_error>
#include <vector>

namespace lh {

namespace {

constexpr std::string_view kMailPrefix = "mailto:";
// How far the reader may run ahead while the document is prepared: found addresses, whatever
// the size of the file.
constexpr std::size_t kAheadBytes = std::size_t{32} << 20;

// Appends what the scan found unless the table already holds it. Records appended during the
// scan take part in the test, so an address found several times is added once.
class TableAppender {
public:
    TableAppender(Document& document, ScanOutcome& outcome, ProgressSink& progress)
        : m_document(document), m_table(document.Table()), m_outcome(outcome),
          m_progress(progress) {}

    // Settles a batch in file order, then shows the progress it carries. The lookups run in
    // three steps a fixed distance apart: an address is hashed and its index entries are asked
    // for, later the stored text they point at, and later still the address is settled, so no
    // step waits for memory.
    void Settle(AddressBatch& batch) {
        std::vector<AddressBatch::Entry>& entries = batch.entries;
        const std::size_t n = entries.size();
        m_outcome.found += static_cast<std::int64_t>(n);
        m_outcome.tooLong += batch.tooLong;
        m_candidates.resize(n);
        const auto ask = [&](std::size_t i) {
            entries[i].hash = TableStore::AddressHash(batch.Text(entries[i]));
            m_table.PrefetchSlots(entries[i].hash);
        };
        for (std::size_t i = 0; i < std::min(n, 2 * kAhead); ++i)
            ask(i);
        for (std::size_t i = 0; i < std::min(n, kAhead); ++i)
            m_candidates[i] = m_table.CandidateAddress(entries[i].hash);
        for (std::size_t i = 0; i < n; ++i) {
            if (i + 2 * kAhead < n)
                ask(i + 2 * kAhead);
            if (i + kAhead < n)
                m_candidates[i + kAhead] = m_table.CandidateAddress(entries[i + kAhead].hash);
            Settle(batch.Text(entries[i]), entries[i].hash, m_candidates[i]);
        }
        if (batch.progress > 0)
            m_progress.ProgressStep(batch.progress);
    }

private:
    static constexpr std::size_t kAhead = 16;

    // `candidate` is a stored address the table would compare first; no record is changed or
    // deleted during a scan, so the view stays valid although records were appended since.
    void Settle(std::string_view text, std::uint64_t hash, std::string_view candidate) {
        // Most addresses of a scan are found again and again: the stored one compared first
        // settles them without walking the index a second time.
        if (!candidate.empty() && TableStore::SameAddress(candidate, text))
            return;
        if (m_table.HoldsAddress(text, hash))
            return;
        AppendAddressRow(m_document, text);
        ++m_outcome.added;
    }

    Document& m_document;
    const TableStore& m_table;
    ScanOutcome& m_outcome;
    ProgressSink& m_progress;
    std::vector<std::string_view> m_candidates;
};

// Reads and scans the file, handing every find to `collector`; what FeedFile answers.
bool ReadAndScan(AddressKind kind, const std::string& path, const ScanOptions& options,
                 bool acceptStream, BatchCollector& collector, ScanOutcome& outcome) {
    UrlScanner urls(collector, options.https);
    EmailScanner mails(collector);
    ScanFeeder feeder(kind == AddressKind::Url ? static_cast<AddressScanner&>(urls) : mails,
                      collector);
    feeder.SetEncoding(options.encoding);
    const bool ok = feeder.FeedFile(path, outcome.errorCode, acceptStream);
    outcome.encoding = feeder.EncodingRead();
    collector.Finish();
    return ok;
}

void ScanOnOneThread(AddressKind kind, const std::string& path, const ScanOptions& options,
                     bool acceptStream, TableAppender& appender, ScanOutcome& outcome) {
    AddressBatch batch;
    BatchCollector collector(kind == AddressKind::Email ? kMailPrefix : std::string_view(), &batch,
                             [&appender](AddressBatch* filled, bool last) {
                                 appender.Settle(*filled);
                                 filled->Clear();
                                 return last ? nullptr : filled;
                             });
    outcome.ok = ReadAndScan(kind, path, options, acceptStream, collector, outcome);
}

// The scanning is shared between a reader thread and this one, which also keeps the table (and
// shows the progress, which a window must do on its own thread). Finds are settled in file
// order, so the outcome is that of one thread.
enum class TwoThreadRun { NotStarted, NotPrepared, Done };

// `prepare` runs on this thread while the reader has started; the reader runs ahead meanwhile,
// as far as `aheadBytes` of found addresses.
TwoThreadRun ScanOnTwoThreads(AddressKind kind, const std::string& path, const ScanOptions& options,
                              bool acceptStream, const std::function<bool()>& prepare,
                              std::size_t aheadBytes, TableAppender& appender,
                              ScanOutcome& outcome) {
    // The window may change its remembered options while it shows the progress.
    const bool https = options.https;
    const auto makeScanner = [kind, https](AddressSink& sink) -> std::unique_ptr<AddressScanner> {
        if (kind == AddressKind::Url)
            return std::make_unique<UrlScanner>(sink, https);
        return std::make_unique<EmailScanner>(sink);
    };
    SplitScan::Sizes sizes;
    sizes.aheadBytes = aheadBytes;
    SplitScan scan(makeScanner,
                   std::string(kind == AddressKind::Email ? kMailPrefix : std::string_view()),
                   sizes);
    SplitScan::ReadResult read;
    const SplitScan::Run run = scan.ScanFile(
        path, options.encoding, acceptStream, prepare,
        [&appender](AddressBatch& batch) { appender.Settle(batch); }, read);
    if (run == SplitScan::Run::NotStarted)
        return TwoThreadRun::NotStarted;
    if (run == SplitScan::Run::NotPrepared)
        return TwoThreadRun::NotPrepared;
    outcome.ok = read.ok;
    outcome.errorCode = read.errorCode;
    outcome.encoding = read.encoding;
    return TwoThreadRun::Done;
}

} // namespace

void AppendAddressRow(Document& document, std::string_view address) {
    document.Table().AppendRecord({}, address, {}, {});
}

ScanOutcome ScanFileIntoDocument(AddressKind kind, const std::string& path, Document& document,
                                 ProgressSink& progress, const ScanOptions& options,
                                 bool acceptStream, ScanThreads threads) {
    return *ScanFileIntoPreparedDocument(kind, path, document, progress, options, acceptStream,
                                         threads, nullptr);
}

std::optional<ScanOutcome> ScanFileIntoPreparedDocument(AddressKind kind, const std::string& path,
                                                        Document& document, ProgressSink& progress,
                                                        const ScanOptions& options,
                                                        bool acceptStream, ScanThreads threads,
                                                        const std::function<bool()>& prepare) {
    ScanOutcome outcome;
    // Known once `prepare` has filled the document.
    std::optional<TableStore::Row> firstNew;
    const auto prepareDocument = [&] {
        if (prepare && !prepare())
            return false;
        firstNew = document.Table().RecordCount();
        return true;
    };
    // Also after a read error or an exception: what was found before it is kept, and undone as
    // one step.
    const auto recordStep = [&] {
        if (!firstNew)
            return;
        const TableStore::Row added = document.Table().RecordCount() - *firstNew;
        if (added > 0)
            document.RecordStep(std::make_unique<RecordsAddedStep>(
                kind == AddressKind::Url ? kUrlScanStepName : kEmailScanStepName, *firstNew,
                added));
    };
    TableAppender appender(document, outcome, progress);
    try {
        // The second thread only pays with a processor of its own: sharing one, the reader (the
        // busier side) gets a smaller share than a single thread would.
        const bool two = threads == ScanThreads::Two ||
                         (threads == ScanThreads::Auto && platform::SpareProcessors() > 0);
        // While the document is prepared nothing is settled, so the reader may run ahead as far
        // as a fixed amount of memory allows.
        const TwoThreadRun run =
            two ? ScanOnTwoThreads(kind, path, options, acceptStream, prepareDocument, kAheadBytes,
                                   appender, outcome)
                : TwoThreadRun::NotStarted;
        if (run == TwoThreadRun::NotPrepared)
            return std::nullopt;
        if (run == TwoThreadRun::NotStarted) {
            if (!prepareDocument())
                return std::nullopt;
            ScanOnOneThread(kind, path, options, acceptStream, appender, outcome);
        }
    } catch (...) {
        recordStep();
        throw;
    }
    recordStep();
    return outcome;
}

std::string ScanReportText(const ScanOutcome& outcome) {
    std::string text;
    if (outcome.encoding != Charset::Cp932)
        text = std::string(CharsetDisplayName(outcome.encoding)) + " として読み込みました。";
    text += std::to_string(outcome.found) + " 件見つかり、" + std::to_string(outcome.added) +
            " 件追加、" + std::to_string(outcome.Duplicates()) + " 件は登録済み";
    if (outcome.tooLong > 0)
        text += "、" + std::to_string(outcome.tooLong) + " 件は長すぎるため除外";
    return text + "。";
}

std::string ScanProgressLabel(AddressKind kind, const std::string& path) {
    return std::string(kind == AddressKind::Url ? "URL Add (" : "E-Mail Add (") +
           FileInfoLine(path) + ")";
}

bool IsProgramFileName(const std::string& path) {
    // By the name the system opens: "prog.EXE." is prog.EXE on Windows.
    const std::string ext = AsciiUpper(platform::ExtensionPart(platform::EffectivePath(path)));
    return ext == ".EXE" || ext == ".COM";
}

bool IsProgramFile(const std::string& path) {
    if (IsProgramFileName(path))
        return true;
    // A stream or device is not looked into: reading it here would take what the scan needs,
    // or never end.
    IoCode code;
    std::FILE* f = OpenForReading(path, false, code);
    if (!f)
        return false;
    unsigned char head[4] = {};
    const std::size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    const bool elf =
        n == 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F';
    const bool mz = n >= 2 && head[0] == 'M' && head[1] == 'Z';
    return elf || mz;
}

std::string ProgramWarningText(const std::string& path) {
    return "「" + PathForDisplay(path) + "」\nプログラムの可能性があります。\n開きますか？";
}

ScanCommands::ScanCommands(Document& document, FileChooser& chooser, MessageBoxService& messages,
                           ProgressSink& progress, BusyCursor* busy, ScanFinisher& finisher,
                           ScanDialogMemory& memory)
    : m_document(document), m_chooser(chooser), m_messages(messages), m_progress(progress),
      m_busy(busy), m_finisher(finisher), m_memory(memory) {}

std::optional<std::string> ScanCommands::ChooseScanFile(const std::string& title) {
    // The request is built afresh, so the file commands' own open dialog keeps its folder,
    // filter, name and title untouched.
    FileDialogRequest request;
    request.title = title;
    request.filter = kExtractionFilter;
    request.filterIndex = m_memory.addFilter;
    request.initialDir = m_memory.addDir;
    request.showReadOnlyBox = false;
    request.mustExist = true;
    int lastIndex = request.filterIndex;
    const std::optional<FileDialogResult> chosen = m_chooser.ChooseOpenFile(request, &lastIndex);
    m_memory.addFilter = chosen ? chosen->filterIndex : lastIndex;
    if (!chosen)
        return std::nullopt;
    // The next scan starts where this file was found: scans tend to come in series from one
    // folder of logs or pages.
    m_memory.addDir = platform::DirectoryPart(chosen->path);
    if (!MayScan(chosen->path))
        return std::nullopt;
    return chosen->path;
}

bool ScanCommands::MayScan(const std::string& path) {
    return !IsProgramFile(path) ||
           m_messages.ShowMessageBox(ProgramWarningText(path), kApplicationTitle,
                                     kProgramWarningStyle) == Answer::Yes;
}

std::optional<ScanOutcome> ScanCommands::ScanDroppedFile(AddressKind kind,
                                                         const std::string& path) {
    if (!MayScan(path))
        return std::nullopt;
    return ScanChosenFile(kind, path);
}

std::optional<ScanOutcome> ScanCommands::ScanWithDialog(AddressKind kind) {
    const std::optional<std::string> path =
        ChooseScanFile(kind == AddressKind::Url ? kUrlDialogTitle : kEmailDialogTitle);
    if (!path)
        return std::nullopt;
    return ScanChosenFile(kind, *path);
}

ScanOutcome ScanCommands::ScanChosenFile(AddressKind kind, const std::string& path) {
    ScanOutcome outcome;
    {
        BusyScope busy(m_busy);
        m_progress.ProgressStart(FileSizeByName(path), ScanProgressLabel(kind, path));
        outcome = ScanFileIntoDocument(kind, path, m_document, m_progress, m_memory.scan);
        // Also after a read error: what was added stays and is brought into view, and the
        // progress display and cursor are put back before the error is shown.
        m_finisher.FinishScan();
        m_progress.ProgressEnd();
    }
    if (!outcome.ok)
        m_messages.ShowMessageBox(IoErrorMessage({outcome.errorCode, path}), kApplicationTitle,
                                  kErrorStyle);
    m_finisher.ShowScanReport(outcome);
    return outcome;
}

} // namespace lh
