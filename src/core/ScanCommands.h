#pragma once

// Filling the collection from any file: the URL and e-mail commands of the Edit menu and the
// scan that the command-line companion runs. Only addresses the table does not hold yet are
// appended, at its end, and the document is marked modified when something was added.

#include "Document.h"
#include "MainOptions.h"
#include "UserInterface.h"
#include "platform/IoCode.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lh {

enum class AddressKind { Url, Email };

// Whether a scan shares reading and scanning the file with a second thread while this one keeps
// the table: Auto when a processor is idle as the scan starts.
enum class ScanThreads { Auto, One, Two };

// Names of the undo step of a whole scan (UTF-8).
inline constexpr const char* kUrlScanStepName = "ﾌｧｲﾙから追加[URL]";
inline constexpr const char* kEmailScanStepName = "ﾌｧｲﾙから追加[E-Mail]";

struct ScanOutcome {
    bool ok = true;                    // false: the file could not be opened or read to its end
    IoCode errorCode;                  // why it failed, when !ok
    std::int64_t found = 0;            // addresses found, repeats included
    std::int64_t added = 0;            // records appended
    std::int64_t tooLong = 0;          // addresses passed over for their size
    Charset encoding = Charset::Cp932; // what the file was read as

    // Found but already in the table (or found earlier in the same file).
    std::int64_t Duplicates() const noexcept { return found - added; }
};

// What the window does after a scan, whether or not something was added (FinishScan): make the
// entry row current and bring the end of the table into view.
class ScanFinisher {
public:
    virtual ~ScanFinisher() = default;
    virtual void FinishScan() = 0;
    // After the scan and any error message: tell the user what the scan did.
    virtual void ShowScanReport(const ScanOutcome& /*outcome*/) {}
};

class ScanCommands {
public:
    // Filter of the scan dialog: six document types together, then each alone, then all files.
    static constexpr const char* kExtractionFilter =
        "ﾌｧｲﾙ(*.HTM;*.HTML;*.TXT;*.DOC;*.DAT;*.LOG)|*.htm;*.html;*.txt;*.doc;*.dat;*.log|"
        "HTMLﾌｧｲﾙ(*.HTM;*.HTML)|*.htm;*.html|ﾃｷｽﾄﾌｧｲﾙ(*.TXT)|*.txt|"
        "ﾄﾞｷｭﾒﾝﾄﾌｧｲﾙ(*.DOC)|*.doc|ﾃﾞｰﾀﾌｧｲﾙ(*.DAT)|*.dat|ﾛｸﾞﾌｧｲﾙ(*.LOG)|*.log|"
        "すべてのﾌｧｲﾙ (*.*)|*.*";
    static constexpr const char* kUrlDialogTitle = "ファイルから追加[URL]";
    static constexpr const char* kEmailDialogTitle = "ファイルから追加[E-Mail]";

    ScanCommands(Document& document, FileChooser& chooser, MessageBoxService& messages,
                 ProgressSink& progress, BusyCursor* busy, ScanFinisher& finisher,
                 ScanDialogMemory& memory);

    // "ﾌｧｲﾙから追加[URL](&U)" and "ﾌｧｲﾙから追加[E-Mail](&E)".
    void ScanFileForUrls() { ScanWithDialog(AddressKind::Url); }
    void ScanFileForEmails() { ScanWithDialog(AddressKind::Email); }

    // Dialog, warning, busy cursor, progress, scan, finishing steps and error report. Empty when
    // no file was chosen.
    std::optional<ScanOutcome> ScanWithDialog(AddressKind kind);

    // The scan dialog and the program-file warning; the chosen path, or nothing. Updates the
    // remembered folder and filter index in every case.
    std::optional<std::string> ChooseScanFile(const std::string& title);

    // A file dropped on the window: the program-file warning, then the scan as for a chosen
    // file. Empty when the user declined.
    std::optional<ScanOutcome> ScanDroppedFile(AddressKind kind, const std::string& path);

private:
    // Busy cursor, progress, scan, finishing steps and error report for a file already chosen.
    ScanOutcome ScanChosenFile(AddressKind kind, const std::string& path);
    // The program-file warning; true when the file may be scanned.
    bool MayScan(const std::string& path);

    Document& m_document;
    FileChooser& m_chooser;
    MessageBoxService& m_messages;
    ProgressSink& m_progress;
    BusyCursor* m_busy;
    ScanFinisher& m_finisher;
    ScanDialogMemory& m_memory;
};

// Scans `path` and appends the new addresses (the progress steps go to `progress`; starting and
// ending the display is the caller's), recorded as one undo step. Addresses appended before a
// read error stay. Only a regular file is scanned, or a pipe when `acceptStream`. The
// outcome and the table are the same whichever `threads`.
ScanOutcome ScanFileIntoDocument(AddressKind kind, const std::string& path, Document& document,
                                 ProgressSink& progress, const ScanOptions& options = {},
                                 bool acceptStream = false,
                                 ScanThreads threads = ScanThreads::Auto);

// As ScanFileIntoDocument, with `prepare` run first to fill the document (loading it, say):
// with a second thread, the file is read and scanned meanwhile, and nothing is settled until
// `prepare` has returned. Empty, with nothing scanned into the document, when `prepare` answers
// false.
std::optional<ScanOutcome> ScanFileIntoPreparedDocument(AddressKind kind, const std::string& path,
                                                        Document& document, ProgressSink& progress,
                                                        const ScanOptions& options,
                                                        bool acceptStream, ScanThreads threads,
                                                        const std::function<bool()>& prepare);

// The report shown after a scan (UTF-8): what the file was read as when it was not code page
// 932, then how many addresses were found, added, already held and passed over as too long.
std::string ScanReportText(const ScanOutcome& outcome);

// Appends a record holding `address` alone; the caller records the undo step (which marks the
// document modified).
void AppendAddressRow(Document& document, std::string_view address);

// "URL Add (...)" or "E-Mail Add (...)" with the file's description line.
std::string ScanProgressLabel(AddressKind kind, const std::string& path);

// True when the extension of `path` is ".EXE" or ".COM" in any letter case.
bool IsProgramFileName(const std::string& path);

// True when `path` may be a program: its name says so, or it is a regular file that begins
// with an executable's signature (ELF, or the "MZ" of DOS and Windows programs).
bool IsProgramFile(const std::string& path);

// The warning shown before a possible program is scanned (UTF-8).
std::string ProgramWarningText(const std::string& path);

} // namespace lh
