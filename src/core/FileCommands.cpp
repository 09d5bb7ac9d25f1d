#include "FileCommands.h"

#include "CollectionFile.h"
#include "CollectionFormat.h"
#include "IoError.h"
#include "PathText.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "util/FileHelpers.h"
#include "util/Mbcs.h"

#include <cstdio>

namespace lh {

namespace {

// Longest progress label of a save, in bytes.
constexpr std::size_t kSaveLabelBytes = 255;

std::string Quoted(const std::string& path) {
    return "「" + PathForDisplay(path) + "」";
}

// The longest start of UTF-8 text within maxBytes that does not end inside a character.
std::string CutUtf8(std::string text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    std::size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    text.resize(n);
    return text;
}

std::string NotACollectionText(const std::string& path) {
    return Quoted(path) + "\nLinkhiveのﾌｧｲﾙではありません(ﾀｲﾄﾙ行もﾚｺｰﾄﾞ行もありません)。\n"
                          "元のﾌｧｲﾙを守るため、上書禁止で開きます。";
}

bool IsProgramFile(const std::string& path) {
    // By the name the system opens: "prog.EXE." is prog.EXE on Windows.
    const std::string ext = AsciiUpper(platform::ExtensionPart(platform::EffectivePath(path)));
    return ext == ".EXE" || ext == ".COM";
}

} // namespace

FileCommands::FileCommands(Document& document, MainOptions& options, MessageBoxService& messages,
                           FileChooser& chooser, ProgressSink& progress, BusyCursor* busy,
                           History& history, DocumentView& view)
    : m_document(document), m_options(options), m_messages(messages), m_chooser(chooser),
      m_progress(progress), m_busy(busy), m_history(history), m_view(view) {}

bool FileCommands::OfferToSaveChanges() {
    if (m_document.IsModified()) {
        const std::string name = m_document.CurrentFile().empty()
                                     ? std::string(Document::kNewFileName)
                                     : m_document.CurrentFile();
        const Answer answer = m_messages.ShowMessageBox(
            Quoted(name) + "は変更されています。\n保存しますか？", {}, kSavePromptStyle);
        // Only an explicit No discards the changes; a closed box counts as Cancel.
        if (answer == Answer::Yes) {
            if (!SaveDocument(false))
                return false;
        } else if (answer != Answer::No) {
            return false;
        }
    }
    return true;
}

bool FileCommands::OpenDocument(const std::string& path, OpenMode mode) {
    if (!OfferToSaveChanges())
        return false;
    if (path.empty()) {
        m_document.Table().Clear();
        m_document.SetCurrentFile({});
        m_diskVersionPath.clear();
        m_document.SetHint({});
        m_document.ResetState({});
        m_view.ShowTable(true);
        m_view.TableReplaced();
        UpdateReloadCommand();
        return true;
    }
    // A folder or device gets past here and is refused by the read, which names what it is.
    if (!platform::FileExists(path)) {
        m_messages.ShowMessageBox(Quoted(path) + "\nファイルが見つかりません。", {}, kErrorStyle);
        return false;
    }
    if (IsProgramFile(path) &&
        m_messages.ShowMessageBox(Quoted(path) + "\nプログラムの可能性があります。\n開きますか？",
                                  {}, kProgramWarningStyle) != Answer::Yes)
        return false;
    return LoadDocument(path, mode);
}

bool FileCommands::LoadDocument(const std::string& path, OpenMode mode) {
    BusyScope busy(m_busy);
    platform::FileStat st;
    const bool found = platform::StatFile(path, st);
    m_progress.ProgressStart(found ? st.size : 0, "File Open (" + FileInfoLine(path) + ")");

    // Taken before reading, so that a change made while the file is read counts as one.
    const platform::FileIdentity version = platform::ReadFileIdentity(path);
    IoError error;
    CollectionContent content;
    const bool ok =
        LoadIntoDocument(HtmlCollectionFormat(), path, m_document, m_progress, error, content);
    m_progress.ProgressEnd();
    if (!ok) {
        ShowIoError(error);
        return false;
    }
    const ReadSummary& summary = content.summary;
    m_view.ShowTable(true);
    m_view.TableReplaced();

    m_document.SetCurrentFile(path);
    m_diskVersionPath = path;
    m_diskVersion = version;
    m_document.SetHint(PathForDisplay(path));
    // A file that is no collection is shown write-protected, so a save asks for a new name
    // instead of replacing it with an empty page.
    const bool foreign = summary.NotACollection();
    const bool readOnly =
        mode == OpenMode::ReadOnly || foreign || (found && st.attributes.readOnly);
    m_document.ResetState(path, readOnly);
    if (m_options.fileHistOpen) {
        m_history.AddToHistory(path, m_openDialog.dir);
        m_view.HistoryChanged();
    }
    UpdateReloadCommand();
    if (foreign)
        m_messages.ShowMessageBox(NotACollectionText(path), {}, kWarningStyle);
    return true;
}

void FileCommands::OpenStartupDocument(const std::string& path) {
    // Whatever kept the file from opening has been said; the window must not stay without a
    // table, where a save would write an empty page.
    if (path.empty() || !OpenDocument(path, OpenMode::Normal))
        OpenDocument({}, OpenMode::Normal);
}

std::string FileCommands::ChooseSaveTarget() {
    FileDialogRequest request;
    request.filter = kFileFilter;
    request.filterIndex = m_saveDialog.filterIndex;
    request.initialDir = m_saveDialog.dir;
    request.fileName = m_document.CurrentFile();
    request.showReadOnlyBox = false;
    request.mustExist = false;
    for (;;) {
        const auto chosen = m_chooser.ChooseSaveFile(request);
        if (!chosen || chosen->path.empty())
            return {};
        platform::FileStat st;
        if (platform::StatFile(chosen->path, st) && st.attributes.readOnly &&
            !st.attributes.directory) {
            // The save dialog does not accept a read-only file: ask for another name.
            m_messages.ShowMessageBox(
                Quoted(chosen->path) +
                    "\nこのﾌｧｲﾙは読み取り専用です。\n別の名前を指定してください。",
                {}, kErrorStyle);
            request.fileName = chosen->path;
            request.filterIndex = chosen->filterIndex;
            continue;
        }
        m_saveDialog.dir = platform::DirectoryPart(chosen->path);
        m_saveDialog.filterIndex = chosen->filterIndex;
        if (m_options.openToSave)
            m_openDialog = m_saveDialog;
        return chosen->path;
    }
}

bool FileCommands::SaveDocument(bool askName) {
    const std::string& current = m_document.CurrentFile();
    if (askName || current.empty() || m_document.IsWriteProtected() ||
        platform::IsExactlyReadOnly(current)) {
        std::string chosen = ChooseSaveTarget();
        if (chosen.empty())
            return false;
        m_document.SetCurrentFile(std::move(chosen));
    }
    const std::string target = m_document.CurrentFile();

    const bool exists = platform::FileExists(target);
    const std::string label = exists ? "Over Write (" + FileInfoLine(target) + ")"
                                     : "New Write (" + PathForDisplay(target) + ")";
    IoError error;
    if (!WriteTarget(target, label, error)) {
        // A refused overwrite of another program's version is the user's own choice.
        if (error.code != IoErrorKind::ChangedOnDisk) {
            if (error.path.empty())
                error.path = target;
            ShowIoError(error);
        }
        return false;
    }
    // The history stays: undo can go back past the save, and back to it clears the mark.
    m_document.MarkSaved(target);
    if (m_options.fileHistSave) {
        m_history.AddToHistory(target, m_openDialog.dir);
        m_view.HistoryChanged();
    } else if (m_options.openToSave) {
        RebuildHistoryMenu();
    }
    UpdateReloadCommand();
    return true;
}

bool FileCommands::WriteTarget(const std::string& target, const std::string& label,
                               IoError& error) {
    SaveGuard guard;
    if (target == m_diskVersionPath)
        guard.expected = m_diskVersion;
    for (;;) {
        bool ok = false;
        {
            BusyScope busy(m_busy);
            m_progress.ProgressStart(CollectionLineCount(m_document.Table()),
                                     CutUtf8(label, kSaveLabelBytes));
            ok = SaveCollectionFile(target, m_document.Table(), m_document.DocumentTitle(),
                                    BackupKindFromSetting(m_options.backFile), m_progress, error,
                                    &guard);
            m_progress.ProgressEnd();
        }
        if (ok) {
            m_diskVersionPath = target;
            m_diskVersion = guard.written;
            return true;
        }
        if (error.code != IoErrorKind::ChangedOnDisk)
            return false;
        // No is the default: the other program's version stays unless the user says otherwise.
        if (m_messages.ShowMessageBox(
                Quoted(target) +
                    "\nこのファイルは読み込んだ後に他のプログラムによって変更されています。"
                    "\n上書きすると、その変更は失われます。上書きしますか？",
                {}, kProgramWarningStyle) != Answer::Yes)
            return false;
        // Whatever is there now is what the user agreed to replace.
        guard.expected = platform::ReadFileIdentity(target);
    }
}

void FileCommands::OpenChosenFile() {
    FileDialogRequest request;
    request.filter = kFileFilter;
    request.filterIndex = m_openDialog.filterIndex;
    request.initialDir = m_openDialog.dir;
    request.showReadOnlyBox = true;
    request.mustExist = true;
    int lastIndex = m_openDialog.filterIndex;
    const auto chosen = m_chooser.ChooseOpenFile(request, &lastIndex);
    m_openDialog.filterIndex = lastIndex;
    if (!chosen || chosen->path.empty())
        return;
    m_openDialog.dir = platform::DirectoryPart(chosen->path);
    m_openDialog.filterIndex = chosen->filterIndex;
    if (m_options.openToSave)
        m_saveDialog = m_openDialog;
    OpenDocument(chosen->path, chosen->readOnlyTicked ? OpenMode::ReadOnly : OpenMode::Normal);
}

void FileCommands::Reopen() {
    const std::string path = m_document.CurrentFile();
    if (!platform::IsRegularFile(path))
        return;
    // The write-protect state survives the reload.
    const OpenMode mode = m_document.IsWriteProtected() ? OpenMode::ReadOnly : OpenMode::Normal;
    if (m_document.IsModified() &&
        m_messages.ShowMessageBox(
            PathForDisplay(path) + "\nファイルから読み直すと、現在の変更を破棄します。続けますか？",
            {}, kWarnYesNoStyle) != Answer::Yes)
        return;
    LoadDocument(path, mode);
}

void FileCommands::OpenRecent(int slot) {
    if (slot < 1 || slot > History::kSlotCount)
        return;
    const std::string path = m_history.Slot(slot - 1);
    if (!path.empty())
        OpenDocument(path, OpenMode::Normal);
}

void FileCommands::UpdateReloadCommand() {
    m_view.UpdateReloadCommand(platform::IsRegularFile(m_document.CurrentFile()));
}

void FileCommands::RebuildHistoryMenu() {
    m_history.RebuildHistoryMenu(m_openDialog.dir);
    m_view.HistoryChanged();
}

void FileCommands::ShowIoError(const IoError& error) {
    m_messages.ShowMessageBox(IoErrorMessage(error), {}, kErrorStyle);
}

} // namespace lh
