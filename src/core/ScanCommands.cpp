#include "ScanCommands.h"

#include "EmailScanner.h"
#include "InputOpen.h"
#include "IoError.h"
#include "RecordsAddedStep.h"
#include "ScanFeeder.h"
#include "UrlScanner.h"
#include "platform/FileSystem.h"
#include "util/FileHelpers.h"
#include "util/Mbcs.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace lh {

namespace {

constexpr std::string_view kMailPrefix = "mailto:";

// Appends what the scanner finds unless the table already holds it. Records appended during the
// scan take part in the test, so an address found several times is added once.
class TableAppender final : public AddressSink {
public:
    TableAppender(AddressKind kind, Document& document, ScanOutcome& outcome)
        : m_kind(kind), m_document(document), m_table(document.Table()), m_outcome(outcome) {}

    // Addresses are taken in batches so the lookups of a batch can overlap their memory
    // accesses, in three steps each a batch apart: the index entries are asked for as an address
    // is found, its stored text when the batch is full, and the batch is settled only when the
    // next one is full, so no step waits for memory. Each address is still settled in file
    // order, so the outcome is that of one at a time.
    void Found(std::string_view address) override {
        ++m_outcome.found;
        Batch& b = m_batches[m_filling];
        // The text a new record would get is also the key: the table ignores letter case.
        Pending p;
        p.offset = b.arena.size();
        if (m_kind == AddressKind::Email)
            b.arena.append(kMailPrefix);
        b.arena.append(address);
        p.length = b.arena.size() - p.offset;
        p.hash = TableStore::AddressHash(std::string_view(b.arena.data() + p.offset, p.length));
        m_table.PrefetchSlots(p.hash);
        b.pending.push_back(p);
        if (b.pending.size() >= kBatch || b.arena.size() >= kBatchBytes) {
            for (Pending& q : b.pending)
                q.candidate = m_table.CandidateAddress(q.hash);
            m_filling ^= 1;
            Settle(m_batches[m_filling]);
        }
    }

    // Settles every address still waiting.
    void Flush() {
        Settle(m_batches[m_filling ^ 1]);
        Settle(m_batches[m_filling]);
    }
    void TooLong(std::uint64_t) override { ++m_outcome.tooLong; }

private:
    static constexpr std::size_t kBatch = 32;
    static constexpr std::size_t kBatchBytes = 1 << 20;

    struct Pending {
        std::size_t offset = 0; // of the record text in the arena
        std::size_t length = 0;
        std::uint64_t hash = 0;
        // A stored address the table would compare first; no record is changed or deleted
        // during a scan, so it stays valid until settled.
        std::string_view candidate;
    };
    struct Batch {
        std::string arena; // the record texts
        std::vector<Pending> pending;
    };

    void Settle(Batch& b) {
        for (const Pending& p : b.pending)
            Settle(b, p);
        b.pending.clear();
        b.arena.clear();
    }

    void Settle(const Batch& b, const Pending& p) {
        const std::string_view text(b.arena.data() + p.offset, p.length);
        // Most addresses of a scan are found again and again: the stored one compared first
        // settles them without walking the index a second time.
        if (!p.candidate.empty() && TableStore::SameAddress(p.candidate, text))
            return;
        if (m_table.HoldsAddress(text, p.hash))
            return;
        AppendAddressRow(m_document, text);
        ++m_outcome.added;
    }

    AddressKind m_kind;
    Document& m_document;
    const TableStore& m_table;
    ScanOutcome& m_outcome;
    Batch m_batches[2];
    int m_filling = 0; // the batch that takes new addresses; the other waits to be settled
};

} // namespace

void AppendAddressRow(Document& document, std::string_view address) {
    document.Table().AppendRecord({}, address, {}, {});
}

ScanOutcome ScanFileIntoDocument(AddressKind kind, const std::string& path, Document& document,
                                 ProgressSink& progress, const ScanOptions& options,
                                 bool acceptStream) {
    ScanOutcome outcome;
    const TableStore::Row firstNew = document.Table().RecordCount();
    TableAppender appender(kind, document, outcome);
    UrlScanner urls(appender, options.https);
    EmailScanner mails(appender);
    ScanFeeder feeder(kind == AddressKind::Url ? static_cast<AddressScanner&>(urls) : mails,
                      progress);
    feeder.SetEncoding(options.encoding);
    outcome.ok = feeder.FeedFile(path, outcome.errorCode, acceptStream);
    outcome.encoding = feeder.EncodingRead();
    // Also after a read error: what was found before it is kept, and undone as one.
    appender.Flush();
    const TableStore::Row added = document.Table().RecordCount() - firstNew;
    if (added > 0)
        document.RecordStep(std::make_unique<RecordsAddedStep>(
            kind == AddressKind::Url ? kUrlScanStepName : kEmailScanStepName, firstNew, added));
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
