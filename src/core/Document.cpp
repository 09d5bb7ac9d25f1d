#include "Document.h"

#include "platform/FileSystem.h"

#include <algorithm>

namespace lh {

Document::Document() : m_documentTitle(kDefaultTitle) {}

void Document::SetCurrentFile(std::string path) {
    m_currentFile = std::move(path);
    NotifyStateChanged();
}

void Document::SetDocumentTitle(std::string title) {
    m_documentTitle = std::move(title);
    NotifyStateChanged();
}

void Document::SetHint(std::string hint) {
    m_hint = std::move(hint);
    NotifyStateChanged();
}

void Document::MarkModified() {
    const bool was = IsModified();
    m_modified = true;
    if (!was)
        NotifyStateChanged();
}

void Document::SetFileState(const std::string& path, bool writeProtected) {
    m_hasDocument = true;
    m_captionName = path.empty() ? std::string(kNewFileName) : platform::FileNamePart(path);
    m_modified = false;
    m_writeProtected = writeProtected;
}

void Document::ResetState(const std::string& path, bool writeProtected) {
    m_edits.Clear();
    SetFileState(path, writeProtected);
    NotifyStateChanged();
}

void Document::MarkSaved(const std::string& path) {
    m_edits.MarkClean();
    SetFileState(path, false);
    NotifyStateChanged();
}

void Document::RecordStep(std::unique_ptr<EditStep> step) {
    m_edits.Add(std::move(step), m_table);
    NotifyStateChanged();
}

void Document::EndStepGroup() {
    m_edits.EndGroup(m_table);
    NotifyStateChanged();
}

bool Document::Undo(TableStore::Row* where) {
    if (where)
        *where = -1;
    const bool done = m_edits.Undo(m_table, where);
    NotifyStateChanged();
    return done;
}

bool Document::Redo(TableStore::Row* where) {
    if (where)
        *where = -1;
    const bool done = m_edits.Redo(m_table, where);
    NotifyStateChanged();
    return done;
}

void Document::ClearHistory() {
    // A table that differed from its file still does.
    if (!m_edits.IsClean())
        m_modified = true;
    m_edits.Clear();
    NotifyStateChanged();
}

std::string Document::Caption() const {
    std::string caption;
    if (IsModified())
        caption += '*';
    caption += kCaptionBase;
    if (!m_hasDocument)
        return caption;
    caption += " - [" + m_captionName + "]";
    if (m_writeProtected)
        caption += kWriteProtectMarker;
    return caption;
}

Document::ObserverId Document::AddStateObserver(std::function<void()> changed) {
    m_observers.emplace_back(++m_lastObserverId, std::move(changed));
    return m_lastObserverId;
}

void Document::RemoveStateObserver(ObserverId id) noexcept {
    std::erase_if(m_observers, [id](const auto& entry) { return entry.first == id; });
}

void Document::NotifyStateChanged() const {
    // An observer may add or remove observers while it is told: each one is looked up afresh,
    // so one removed meanwhile is not called.
    std::vector<ObserverId> ids;
    ids.reserve(m_observers.size());
    for (const auto& entry : m_observers)
        ids.push_back(entry.first);
    for (const ObserverId id : ids) {
        const auto found = std::find_if(m_observers.begin(), m_observers.end(),
                                        [id](const auto& entry) { return entry.first == id; });
        if (found != m_observers.end() && found->second) {
            const std::function<void()> call = found->second;
            call();
        }
    }
}

} // namespace lh
