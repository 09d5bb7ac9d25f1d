#include "ScanCommands.h"

#include "AddressKeySet.h"
#include "EmailScanner.h"
#include "IoError.h"
#include "ScanFeeder.h"
#include "UrlScanner.h"
#include "platform/FileSystem.h"
#include "util/FileHelpers.h"
#include "util/Mbcs.h"

namespace lh {

namespace {

constexpr std::string_view kMailPrefix = "mailto:";
constexpr std::string_view kMailKeyPrefix = "MAILTO:";

// Appends what the scanner finds unless the table already holds it. Records appended during the
// scan take part in the test, so an address found several times is added once.
class TableAppender final : public AddressSink {
public:
    TableAppender(AddressKind kind, Document& document, ScanOutcome& outcome)
        : m_kind(kind), m_document(document), m_outcome(outcome) {}

    void Found(std::string_view address) override {
        ++m_outcome.found;
        m_key.clear();
        if (m_kind == AddressKind::Email)
            m_key.append(kMailKeyPrefix);
        m_key.append(address);
        AsciiUpperInPlace(m_key);
        const std::uint64_t hash = AddressKeySet::Hash(m_key);
        if (m_settled.Contains(m_key, hash))
            return;
        if (!m_document.Table().AddressInTable(m_key)) {
            if (m_kind == AddressKind::Email) {
                m_cell.assign(kMailPrefix);
                m_cell.append(address);
                AppendAddressRow(m_document, m_cell);
            } else {
                AppendAddressRow(m_document, address);
            }
            ++m_outcome.added;
        }
        m_settled.Insert(m_key, hash);
    }
    void TooLong(std::uint64_t) override { ++m_outcome.tooLong; }

private:
    AddressKind m_kind;
    Document& m_document;
    ScanOutcome& m_outcome;
    std::string m_key;
    std::string m_cell;
    AddressKeySet m_settled; // keys the table is known to hold
};

} // namespace

void AppendAddressRow(Document& document, std::string_view address) {
    document.Table().AppendRecord({}, address, {}, {});
    document.MarkModified();
}

ScanOutcome ScanFileIntoDocument(AddressKind kind, const std::string& path, Document& document,
                                 ProgressSink& progress) {
    ScanOutcome outcome;
    TableAppender appender(kind, document, outcome);
    UrlScanner urls(appender);
    EmailScanner mails(appender);
    ScanFeeder feeder(kind == AddressKind::Url ? static_cast<AddressScanner&>(urls) : mails,
                      progress);
    outcome.ok = feeder.FeedFile(path, outcome.errorCode);
    return outcome;
}

std::string ScanProgressLabel(AddressKind kind, const std::string& path) {
    return std::string(kind == AddressKind::Url ? "URL Add (" : "E-Mail Add (") +
           FileInfoLine(path) + ")";
}

bool IsProgramFileName(const std::string& path) {
    const std::string ext = AsciiUpper(platform::ExtensionPart(path));
    return ext == ".EXE" || ext == ".COM";
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
    if (IsProgramFileName(chosen->path) &&
        m_messages.ShowMessageBox(ProgramWarningText(chosen->path), kApplicationTitle,
                                  mb::kStyleProgramWarning) != mb::kIdYes)
        return std::nullopt;
    return chosen->path;
}

std::optional<ScanOutcome> ScanCommands::ScanWithDialog(AddressKind kind) {
    const std::optional<std::string> path =
        ChooseScanFile(kind == AddressKind::Url ? kUrlDialogTitle : kEmailDialogTitle);
    if (!path)
        return std::nullopt;
    ScanOutcome outcome;
    {
        BusyScope busy(m_busy);
        m_progress.ProgressStart(FileSizeByName(*path), ScanProgressLabel(kind, *path));
        outcome = ScanFileIntoDocument(kind, *path, m_document, m_progress);
        // Also after a read error: what was added stays and is brought into view, and the
        // progress display and cursor are put back before the error is shown.
        m_finisher.FinishScan();
        m_progress.ProgressEnd();
    }
    if (!outcome.ok)
        m_messages.ShowMessageBox(IoErrorText(outcome.errorCode), kApplicationTitle,
                                  mb::kStyleError);
    return outcome;
}

} // namespace lh
