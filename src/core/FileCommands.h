#pragma once

// The document's life: new, open, save, save as and reload, with the change prompt, the
// program-file warning, backups and the write-protect marker. The window forwards its File menu
// commands here and follows the document through DocumentView.

#include "Document.h"
#include "History.h"
#include "IoError.h"
#include "MainOptions.h"
#include "UserInterface.h"
#include "platform/AtomicFile.h"

#include <string>

namespace lh {

enum class OpenMode { Normal, ReadOnly };

// What the window shows of the document besides the table's contents and the caption.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    // The table is shown once the first document is set up.
    virtual void ShowTable(bool visible) = 0;
    // A new or loaded table took the place of the old one: go to row 1, column 1 and focus it.
    virtual void TableReplaced() = 0;
    // Enables "読み直し(&R)".
    virtual void UpdateReloadCommand(bool enabled) = 0;
    // History::Menu() changed: rebuild the items.
    virtual void HistoryChanged() = 0;
};

// Folder and filter index a file dialog starts with.
struct DialogState {
    std::string dir;
    int filterIndex = 1;
};

class FileCommands {
public:
    // Both dialogs offer these, in this order (1-based filter indexes).
    static constexpr const char* kFileFilter =
        "HTMLﾌｧｲﾙ(*.HTM;*.HTML)|*.htm;*.html|すべてのﾌｧｲﾙ (*.*)|*.*";

    // `options` are the main window's option fields; the settings dialog changes them in place.
    FileCommands(Document& document, MainOptions& options, MessageBoxService& messages,
                 FileChooser& chooser, ProgressSink& progress, BusyCursor* busy, History& history,
                 DocumentView& view);

    MainOptions& Options() noexcept { return m_options; }
    DialogState& OpenDialog() noexcept { return m_openDialog; }
    DialogState& SaveDialog() noexcept { return m_saveDialog; }

    // Offers to save a modified document first; true when the caller may go on (nothing to
    // save, saved, or the changes given up).
    bool OfferToSaveChanges();
    // New document (empty path) or open a file, after OfferToSaveChanges. True when the caller
    // may go on.
    bool OpenDocument(const std::string& path, OpenMode mode);
    // Reads an existing file; a failure leaves the open document exactly as it was. A file that
    // is no collection is opened write-protected, with a word to the user.
    bool LoadDocument(const std::string& path, OpenMode mode);
    // The start-up's open: `path`, or a new collection when it is empty or cannot be opened.
    void OpenStartupDocument(const std::string& path);
    // True when the file was written.
    bool SaveDocument(bool askName);

    void NewCollection() { OpenDocument({}, OpenMode::Normal); }
    void OpenChosenFile();
    void Save() { SaveDocument(false); }
    void SaveAs() { SaveDocument(true); }
    void Reopen();
    // History item 1..5.
    void OpenRecent(int slot);

    void UpdateReloadCommand();
    // Rebuilds the history menu against the open dialog's folder and tells the view.
    void RebuildHistoryMenu();

private:
    void ShowIoError(const IoError& error);
    std::string ChooseSaveTarget();
    // Writes the table to `target`; asks before it replaces a version another program wrote
    // since this one was read or saved.
    bool WriteTarget(const std::string& target, const std::string& label, IoError& error);

    Document& m_document;
    MainOptions& m_options;
    MessageBoxService& m_messages;
    FileChooser& m_chooser;
    ProgressSink& m_progress;
    BusyCursor* m_busy;
    History& m_history;
    DocumentView& m_view;
    DialogState m_openDialog;
    DialogState m_saveDialog;
    // The version of the file on disk that the table was read from or last saved to.
    std::string m_diskVersionPath;
    platform::FileIdentity m_diskVersion;
};

} // namespace lh
