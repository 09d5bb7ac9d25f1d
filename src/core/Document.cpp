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
    if (m_modified)
        return;
    m_modified = true;
    NotifyStateChanged();
}

void Document::ResetState(const std::string& path, bool writeProtected) {
    m_hasDocument = true;
    m_captionName = path.empty() ? std::string(kNewFileName) : platform::FileNamePart(path);
    m_modified = false;
    m_writeProtected = writeProtected;
    NotifyStateChanged();
}

std::string Document::Caption() const {
    std::string caption;
    if (m_modified)
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
