#include "Document.h"

#include "platform/FileSystem.h"

namespace lh {

namespace {
bool EndsWith(const std::string& s, std::string_view tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}
} // namespace

Document::Document() : m_documentTitle(kDefaultTitle), m_caption(kCaptionBase) {}

void Document::SetCaption(std::string caption) {
    m_caption = std::move(caption);
    if (m_captionListener)
        m_captionListener(m_caption);
}

void Document::SetFileCaption(const std::string& path, bool writeProtected) {
    std::string caption =
        std::string(kCaptionBase) + " - [" +
        (path.empty() ? std::string(kNewFileName) : platform::FileNamePart(path)) + "]";
    if (writeProtected)
        caption += kWriteProtectMarker;
    SetCaption(std::move(caption));
}

bool Document::IsModified() const noexcept {
    return !m_caption.empty() && m_caption[0] == '*';
}

bool Document::IsWriteProtected() const noexcept {
    // The marker's last six characters "(上書禁止)" decide, whatever precedes them.
    return EndsWith(m_caption, "(上書禁止)");
}

void Document::MarkModified() {
    if (!IsModified())
        SetCaption("*" + m_caption);
}

} // namespace lh
