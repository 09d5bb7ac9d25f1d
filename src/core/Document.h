#pragma once

// The open collection: its records, file, title, undo history and the state the window caption
// shows (the modified mark and the write-protect marker). The state is kept in flags and the
// history's clean state; the caption is made from them, and any number of observers follow it.

#include "EditHistory.h"
#include "EditStep.h"
#include "TableStore.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace lh {

class Document {
public:
    static constexpr const char* kCaptionBase = "Linkhive for Windows";
    static constexpr const char* kNewFileName = "NewFile";
    static constexpr const char* kWriteProtectMarker = " (上書禁止)"; // UTF-8 display text
    static constexpr const char* kDefaultTitle = "Linkhive";          // ASCII, same in cp932

    using ObserverId = std::uint64_t;

    Document();

    TableStore& Table() noexcept { return m_table; }
    const TableStore& Table() const noexcept { return m_table; }

    // Full path of the document's file; empty for a new collection.
    const std::string& CurrentFile() const noexcept { return m_currentFile; }
    void SetCurrentFile(std::string path);

    // The collection's title, cp932 bytes.
    const std::string& DocumentTitle() const noexcept { return m_documentTitle; }
    void SetDocumentTitle(std::string title);

    // Hint shown for the window (the loaded file's full path), UTF-8.
    const std::string& Hint() const noexcept { return m_hint; }
    void SetHint(std::string hint);

    // Modified: a change that cannot be undone (MarkModified) since the last save, or steps
    // done or undone since then.
    bool IsModified() const noexcept { return m_modified || !m_edits.IsClean(); }
    bool IsWriteProtected() const noexcept { return m_writeProtected; }
    // A change outside the undo history (the title, an access stamp): only a save clears it.
    void MarkModified();
    // A new collection (empty path), or one that was just loaded from `path`: the modified mark
    // and the undo history go, the write-protect state is as given, the caption names the file.
    void ResetState(const std::string& path, bool writeProtected = false);
    // The table was just saved to `path`: the modified mark goes and the current step becomes
    // the clean state, the history stays; the file is writable and the caption names it.
    void MarkSaved(const std::string& path);

    // The undo history. A command records each change it made to the table as one step; the
    // document is then modified until the history is back at its clean state.
    const EditHistory& Edits() const noexcept { return m_edits; }
    void RecordStep(std::unique_ptr<EditStep> step);
    // Steps recorded until the matching EndStepGroup are undone as one step named `name`.
    void BeginStepGroup(std::string name) { m_edits.BeginGroup(std::move(name)); }
    void EndStepGroup();
    // Undoes or redoes one step; the record it concerns goes to `where` (-1 for none). False
    // when there was none to apply.
    bool Undo(TableStore::Row* where = nullptr);
    bool Redo(TableStore::Row* where = nullptr);
    // Forgets every step, keeping the modified mark as it is.
    void ClearHistory();

    // Window caption, UTF-8: "Linkhive for Windows" before the first document, else
    // "Linkhive for Windows - [name]" with "*" in front when modified and " (上書禁止)" behind
    // when write-protected.
    std::string Caption() const;

    // Called after every change of the file, title, hint or state, in the order they were added.
    ObserverId AddStateObserver(std::function<void()> changed);
    void RemoveStateObserver(ObserverId id) noexcept;

private:
    void NotifyStateChanged() const;
    void SetFileState(const std::string& path, bool writeProtected);

    TableStore m_table;
    EditHistory m_edits;
    std::string m_currentFile;
    std::string m_documentTitle;
    std::string m_hint;
    // The file name the caption shows, once the first document is set up.
    std::string m_captionName;
    bool m_hasDocument = false;
    bool m_modified = false;
    bool m_writeProtected = false;
    std::vector<std::pair<ObserverId, std::function<void()>>> m_observers;
    ObserverId m_lastObserverId = 0;
};

} // namespace lh
