#include "ExchangeCommands.h"

#include "BookmarkFile.h"
#include "CsvFile.h"
#include "JsonFile.h"
#include "RecordsAddedStep.h"
#include "platform/FileSystem.h"
#include "util/FileHelpers.h"
#include "util/Mbcs.h"

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace lh {

namespace {

std::string Quoted(const std::string& path) {
    return "「" + PathForDisplay(path) + "」";
}

std::string Count(std::int64_t n) {
    return std::to_string(n);
}

} // namespace

std::int64_t CountDuplicates(const TableStore& table, const TableStore& incoming) {
    // The file's own addresses go into a flat set keyed by the table's case-blind hash and
    // compared the way the table compares, so the count is what the import would hold back,
    // without an upper-cased copy of every address.
    struct Seen {
        std::uint64_t hash = 0;
        std::string_view address; // empty: a free entry
    };
    std::size_t size = 16;
    while (size * 3 < static_cast<std::size_t>(incoming.RecordCount()) * 4)
        size *= 2;
    std::vector<Seen> seen(size);
    const std::size_t mask = size - 1;
    std::int64_t duplicates = 0;
    for (TableStore::Row r = 0; r < incoming.RecordCount(); ++r) {
        const std::string_view address = incoming.Text(r, TableStore::kAddress);
        if (address.empty())
            continue;
        const std::uint64_t hash = TableStore::AddressHash(address);
        if (table.HoldsAddress(address, hash)) {
            ++duplicates;
            continue;
        }
        std::size_t i = hash & mask;
        while (!seen[i].address.empty() &&
               (seen[i].hash != hash || !TableStore::SameAddress(seen[i].address, address)))
            i = (i + 1) & mask;
        if (seen[i].address.empty())
            seen[i] = {hash, address};
        else
            ++duplicates;
    }
    return duplicates;
}

ImportOutcome ImportRecords(Document& document, TableStore&& incoming, bool keepDuplicates) {
    ImportOutcome outcome;
    TableStore& table = document.Table();
    const TableStore::Row firstNew = table.RecordCount();
    outcome.added = table.AppendTakenRecords(incoming, !keepDuplicates);
    outcome.duplicates = incoming.RecordCount() - outcome.added;
    if (outcome.added > 0)
        document.RecordStep(
            std::make_unique<RecordsAddedStep>(kImportStepName, firstNew, outcome.added));
    return outcome;
}

std::string ImportSummaryText(const ImportOutcome& o, MessageLanguage language) {
    const ExchangeTally& t = o.tally;
    const bool ja = language == MessageLanguage::Japanese;
    std::string text = ja ? Count(o.added) + " 件のレコードを追加しました。"
                          : Count(o.added) + " record(s) added.";
    const auto line = [&](std::int64_t n, const std::string& japanese, const std::string& english) {
        if (n > 0)
            text += "\n" + (ja ? japanese : english);
    };
    line(o.duplicates, "重複するアドレス " + Count(o.duplicates) + " 件は追加しませんでした。",
         Count(o.duplicates) + " duplicate address(es) skipped.");
    line(t.scriptsSkipped,
         "javascript: と place: の " + Count(t.scriptsSkipped) + " 件は取り込みませんでした。",
         Count(t.scriptsSkipped) + " javascript: and place: entries skipped.");
    line(t.emptySkipped, "アドレスのない " + Count(t.emptySkipped) + " 件は取り込みませんでした。",
         Count(t.emptySkipped) + " entries without an address skipped.");
    line(t.separators, "区切り線 " + Count(t.separators) + " 本は取り込みませんでした。",
         Count(t.separators) + " separator(s) skipped.");
    line(t.feeds, "フィード " + Count(t.feeds) + " 件はサイトのアドレスで取り込みました。",
         Count(t.feeds) + " feed(s) taken in with their site's address.");
    line(t.cutFolderPaths,
         "フォルダーが深すぎる " + Count(t.cutFolderPaths) +
             " 件は、備考のフォルダー名を途中で切りました。",
         Count(t.cutFolderPaths) +
             " remark(s) with their folder path cut short (folders too deep).");
    line(t.replacedCharacters,
         "コードページ932 にない " + Count(t.replacedCharacters) +
             " 文字を「〓」に置き換えました。",
         Count(t.replacedCharacters) +
             " character(s) code page 932 cannot hold replaced by \"〓\".");
    line(t.encodedCharacters,
         "アドレスの " + Count(t.encodedCharacters) + " 文字を %XX (UTF-8) で書きました。",
         Count(t.encodedCharacters) + " character(s) of addresses percent-encoded as UTF-8.");
    return text;
}

std::string ExportSummaryText(const std::string& target, std::int64_t records,
                              const ExchangeTally& tally, MessageLanguage language) {
    const bool ja = language == MessageLanguage::Japanese;
    std::string text;
    if (ja) {
        text = Quoted(target);
        text += "\nに " + Count(records) + " 件のレコードを書き出しました。";
    } else {
        text = Count(records);
        text += " record(s) written to " + PathForDisplay(target) + ".";
    }
    if (tally.lossyCharacters > 0) {
        text += ja ? "\nコードページ932 として読めない " : "\n";
        text += Count(tally.lossyCharacters);
        text += ja ? " バイトは U+FFFD で書きました。"
                   : " byte(s) that are not code page 932 written as U+FFFD.";
    }
    return text;
}

const CollectionFormat& FormatForFileName(const std::string& path) {
    const std::string ext = AsciiUpper(platform::ExtensionPart(path));
    if (ext == ".CSV")
        return CsvCollectionFormat();
    if (ext == ".JSON")
        return JsonCollectionFormat();
    return BookmarkCollectionFormat();
}

ExchangeCommands::ExchangeCommands(Document& document, FileChooser& chooser,
                                   MessageBoxService& messages, ProgressSink& progress,
                                   BusyCursor* busy, std::function<void()> imported)
    : m_document(document), m_chooser(chooser), m_messages(messages), m_progress(progress),
      m_busy(busy), m_imported(std::move(imported)) {}

std::optional<ImportOutcome> ExchangeCommands::ImportWithDialog() {
    FileDialogRequest request;
    request.title = kImportDialogTitle;
    request.filter = kImportFilter;
    request.filterIndex = m_importDialog.filterIndex;
    request.initialDir = m_importDialog.dir;
    request.mustExist = true;
    int lastIndex = request.filterIndex;
    const std::optional<FileDialogResult> chosen = m_chooser.ChooseOpenFile(request, &lastIndex);
    m_importDialog.filterIndex = chosen ? chosen->filterIndex : lastIndex;
    if (!chosen || chosen->path.empty())
        return std::nullopt;
    m_importDialog.dir = platform::DirectoryPart(chosen->path);
    static const CollectionFormat* const kByFilter[] = {
        &BookmarkCollectionFormat(), &CsvCollectionFormat(), &JsonCollectionFormat()};
    const int index = chosen->filterIndex;
    const CollectionFormat& format =
        index >= 1 && index <= 3 ? *kByFilter[index - 1] : FormatForFileName(chosen->path);
    return ImportFile(chosen->path, format);
}

std::optional<ImportOutcome> ExchangeCommands::ImportFile(const std::string& path,
                                                          const CollectionFormat& format) {
    CollectionContent content;
    IoError error;
    bool ok = false;
    {
        BusyScope busy(m_busy);
        m_progress.ProgressStart(FileSizeByName(path), "Import (" + FileInfoLine(path) + ")");
        ok = format.Read(path, content, m_progress, error);
        m_progress.ProgressEnd();
    }
    if (!ok) {
        if (error.path.empty())
            error.path = path;
        m_messages.ShowMessageBox(IoErrorMessage(error), kApplicationTitle, kErrorStyle);
        return std::nullopt;
    }
    bool keepDuplicates = false;
    if (const std::int64_t duplicates = CountDuplicates(m_document.Table(), content.records);
        duplicates > 0) {
        const Answer answer = m_messages.ShowMessageBox(
            Quoted(path) + "\nの " + Count(duplicates) +
                " 件は、表にすでにあるか、ファイルの中で重なっているアドレスです。\n"
                "それらも追加しますか？ (いいえ: 追加しない)",
            kApplicationTitle,
            MessageStyle{MessageButtons::YesNoCancel, MessageIcon::Question,
                         DefaultButton::Second});
        if (answer != Answer::Yes && answer != Answer::No)
            return std::nullopt;
        keepDuplicates = answer == Answer::Yes;
    }
    ImportOutcome outcome;
    {
        BusyScope busy(m_busy);
        outcome = ImportRecords(m_document, std::move(content.records), keepDuplicates);
        if (m_imported)
            m_imported();
    }
    outcome.tally = content.tally;
    m_messages.ShowMessageBox(ImportSummaryText(outcome, MessageLanguage::Japanese),
                              kApplicationTitle, kInformationStyle);
    return outcome;
}

bool ExchangeCommands::ExportWithDialog() {
    FileDialogRequest request;
    request.title = kExportDialogTitle;
    request.filter = kExportFilter;
    request.filterIndex = m_exportDialog.filterIndex;
    request.initialDir = m_exportDialog.dir;
    request.showReadOnlyBox = false;
    request.mustExist = false;
    const std::optional<FileDialogResult> chosen = m_chooser.ChooseSaveFile(request);
    if (!chosen || chosen->path.empty())
        return false;
    m_exportDialog.dir = platform::DirectoryPart(chosen->path);
    m_exportDialog.filterIndex = chosen->filterIndex;
    static const CollectionFormat* const kByFilter[] = {
        &BookmarkCollectionFormat(), &CsvCollectionFormat(), &JsonCollectionFormat()};
    const int index =
        chosen->filterIndex >= 1 && chosen->filterIndex <= 3 ? chosen->filterIndex : 1;
    const std::string& target = chosen->path;
    const TableStore& records = m_document.Table();
    IoError error;
    ExchangeTally tally;
    bool ok = false;
    {
        BusyScope busy(m_busy);
        m_progress.ProgressStart(records.RecordCount(), "Export (" + PathForDisplay(target) + ")");
        ok = ExportToFile(*kByFilter[index - 1], target, records, m_document.DocumentTitle(),
                          m_progress, error, tally);
        m_progress.ProgressEnd();
    }
    if (!ok) {
        m_messages.ShowMessageBox(IoErrorMessage(error), kApplicationTitle, kErrorStyle);
        return false;
    }
    m_messages.ShowMessageBox(
        ExportSummaryText(target, records.RecordCount(), tally, MessageLanguage::Japanese),
        kApplicationTitle, kInformationStyle);
    return true;
}

} // namespace lh
