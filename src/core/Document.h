#pragma once

// The open collection: its table, file, title and the caption that carries the modified mark
// and the write-protect marker. Every state test reads the caption, as the caption is what the
// user sees and what commands agree on.

#include "TableStore.h"

#include <functional>
#include <string>

namespace lh {

class Document {
public:
    static constexpr const char* kCaptionBase = "Linkhive for Windows";
    static constexpr const char* kNewFileName = "NewFile";
    static constexpr const char* kWriteProtectMarker = " (上書禁止)"; // UTF-8 display text
    static constexpr const char* kDefaultTitle = "Linkhive";          // ASCII, same in cp932

    Document();

    TableStore& Table() noexcept { return m_table; }
    const TableStore& Table() const noexcept { return m_table; }

    // Full path of the document's file; empty for a new collection.
    const std::string& CurrentFile() const noexcept { return m_currentFile; }
    void SetCurrentFile(std::string path) { m_currentFile = std::move(path); }

    // The collection's title, cp932 bytes.
    const std::string& DocumentTitle() const noexcept { return m_documentTitle; }
    void SetDocumentTitle(std::string title) { m_documentTitle = std::move(title); }

    // Hint shown for the window (the loaded file's full path), UTF-8.
    const std::string& Hint() const noexcept { return m_hint; }
    void SetHint(std::string hint) { m_hint = std::move(hint); }

    // Window caption, UTF-8.
    const std::string& Caption() const noexcept { return m_caption; }
    void SetCaption(std::string caption);
    // "Linkhive for Windows - [name]" for a file path, "[NewFile]" for an empty one; clears marks.
    void SetFileCaption(const std::string& path, bool writeProtected = false);

    bool IsModified() const noexcept;
    bool IsWriteProtected() const noexcept;
    void MarkModified();

    // Text the in-place editor was last loaded with (cp932).
    const std::string& EditStartText() const noexcept { return m_editStartText; }
    void SetEditStartText(std::string text) { m_editStartText = std::move(text); }

    // Called whenever the caption changes, so the window title follows.
    void SetCaptionListener(std::function<void(const std::string&)> listener) {
        m_captionListener = std::move(listener);
    }

private:
    TableStore m_table;
    std::string m_currentFile;
    std::string m_documentTitle;
    std::string m_hint;
    std::string m_caption;
    std::string m_editStartText;
    std::function<void(const std::string&)> m_captionListener;
};

} // namespace lh
