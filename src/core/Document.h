#pragma once

// The open collection: its records, file, title and the state the window caption shows (the
// modified mark and the write-protect marker). The state is kept in flags; the caption is made
// from them, and any number of observers follow it.

#include "TableStore.h"

#include <cstdint>
#include <functional>
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

    bool IsModified() const noexcept { return m_modified; }
    bool IsWriteProtected() const noexcept { return m_writeProtected; }
    void MarkModified();
    // A new collection (empty path), or one that was just loaded from or saved to `path`: the
    // modified mark goes, the write-protect state is as given, the caption names the file.
    void ResetState(const std::string& path, bool writeProtected = false);

    // Window caption, UTF-8: "Linkhive for Windows" before the first document, else
    // "Linkhive for Windows - [name]" with "*" in front when modified and " (上書禁止)" behind
    // when write-protected.
    std::string Caption() const;

    // Called after every change of the file, title, hint or state, in the order they were added.
    ObserverId AddStateObserver(std::function<void()> changed);
    void RemoveStateObserver(ObserverId id) noexcept;

private:
    void NotifyStateChanged() const;

    TableStore m_table;
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
