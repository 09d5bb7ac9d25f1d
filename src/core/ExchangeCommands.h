#pragma once

// Records in from other programs' files and out to them: the File menu's import and export and
// the companion's import and export commands share the steps and the summaries here.

#include "CollectionFormat.h"
#include "Document.h"
#include "FileCommands.h"
#include "IoError.h"
#include "UserInterface.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace lh {

// Name of the undo step of an import (UTF-8).
inline constexpr const char* kImportStepName = "ブックマークの取り込み";

struct ImportOutcome {
    std::int64_t added = 0;
    std::int64_t duplicates = 0; // skipped: the table held the address already
    ExchangeTally tally;
};

// Addresses of `incoming` the table holds already, or an earlier record of `incoming` has.
std::int64_t CountDuplicates(const TableStore& table, const TableStore& incoming);

// Appends the records of `incoming` after the last record in one step (so that it can be undone as
// one), skipping those whose address the table holds already (the scans' duplicate test, letter
// case ignored) unless `keepDuplicates`. Records one undo step (which marks the document
// modified) when something was added. The records added are moved, not copied: `incoming` is
// spent.
ImportOutcome ImportRecords(Document& document, TableStore&& incoming, bool keepDuplicates);

// What the user is told after an import or an export (UTF-8).
std::string ImportSummaryText(const ImportOutcome& outcome, MessageLanguage language);
std::string ExportSummaryText(const std::string& target, std::int64_t records,
                              const ExchangeTally& tally, MessageLanguage language);

// The format a file is taken as: by its extension (.csv, .json), else a bookmark file.
const CollectionFormat& FormatForFileName(const std::string& path);

class ExchangeCommands {
public:
    static constexpr const char* kImportFilter =
        "ﾌﾞｯｸﾏｰｸ(*.HTM;*.HTML)|*.htm;*.html|CSV(*.CSV)|*.csv|JSON(*.JSON)|*.json|"
        "すべてのﾌｧｲﾙ (*.*)|*.*";
    static constexpr const char* kExportFilter =
        "ﾌﾞｯｸﾏｰｸ(*.HTML)|*.html|CSV(*.CSV)|*.csv|JSON(*.JSON)|*.json";
    static constexpr const char* kImportDialogTitle = "ブックマークの取り込み";
    static constexpr const char* kExportDialogTitle = "エクスポート";

    // `imported` runs after records were appended: the window brings the table's end into view.
    ExchangeCommands(Document& document, FileChooser& chooser, MessageBoxService& messages,
                     ProgressSink& progress, BusyCursor* busy, std::function<void()> imported);

    // "ブックマークの取り込み(&I)...": a file, then (when it holds addresses the table has) whether
    // to add those too, then the records in one step and a summary. Empty when nothing was read.
    std::optional<ImportOutcome> ImportWithDialog();
    // Reads `path` in `format` and imports it; the question and summary as above.
    std::optional<ImportOutcome> ImportFile(const std::string& path,
                                            const CollectionFormat& format);
    // "エクスポート(&E)...": a target and its format, then the records written and a summary.
    bool ExportWithDialog();

    // Folder and filter each dialog starts with: restored at start-up, stored at close.
    DialogState& ImportDialog() noexcept { return m_importDialog; }
    DialogState& ExportDialog() noexcept { return m_exportDialog; }

private:
    Document& m_document;
    FileChooser& m_chooser;
    MessageBoxService& m_messages;
    ProgressSink& m_progress;
    BusyCursor* m_busy;
    std::function<void()> m_imported;
    DialogState m_importDialog;
    DialogState m_exportDialog;
};

} // namespace lh
