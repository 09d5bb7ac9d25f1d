#include "History.h"

#include "PathText.h"
#include "platform/FileSystem.h"
#include "util/FileHelpers.h"
#include "util/Mbcs.h"
#include "util/SettingKeys.h"

namespace lh {

namespace {
bool SamePathText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && AsciiUpper(a) == AsciiUpper(b);
}
} // namespace

History::History() {
    RebuildHistoryMenu({});
}

void History::AddToHistory(const std::string& path, const std::string& openDir) {
    // The first match from the front counts; a new path (or the last one) pushes all down.
    int found = kSlotCount - 1;
    for (int i = 0; i < kSlotCount - 1; ++i) {
        if (SamePathText(m_slots[static_cast<std::size_t>(i)], path)) {
            found = i;
            break;
        }
    }
    // The path already in front keeps its spelling.
    if (found == 0) {
        RebuildHistoryMenu(openDir);
        return;
    }
    for (int i = found; i > 0; --i)
        m_slots[static_cast<std::size_t>(i)] = m_slots[static_cast<std::size_t>(i - 1)];
    m_slots[0] = path;
    RebuildHistoryMenu(openDir);
}

void History::Clear(const std::string& openDir) {
    for (auto& s : m_slots)
        s.clear();
    RebuildHistoryMenu(openDir);
}

void History::RebuildHistoryMenu(const std::string& openDir) {
    m_menu = {};
    for (int i = 0; i < kSlotCount; ++i)
        m_menu.items[static_cast<std::size_t>(i)].hint = std::to_string(i + 1) + " (なし)|";
    for (int i = 0; i < kSlotCount && !m_slots[static_cast<std::size_t>(i)].empty(); ++i) {
        const std::string& path = m_slots[static_cast<std::size_t>(i)];
        const std::string n = std::to_string(i + 1);
        const std::string shown = PathForDisplay(ShortenHistoryPath(path, openDir));
        MenuItem& item = m_menu.items[static_cast<std::size_t>(i)];
        item.visible = true;
        item.caption = "&" + n + " " + shown;
        item.hint = n + " " + shown + "|「" + n + " " + PathForDisplay(path) + "」を開きます";
        m_menu.separatorVisible = true;
    }
}

std::string History::ShortenHistoryPath(const std::string& path, const std::string& openDir) {
    std::string_view result = path;
    const std::int64_t n = PathCharLength(openDir);
    const std::string_view head = PathCharPrefix(path, n);
    if (!openDir.empty() && SamePathText(head, openDir)) {
        const std::string_view rest = std::string_view(path).substr(head.size());
        const char sep = platform::PathSeparator();
        if (!rest.empty() && rest.front() == sep)
            result = rest.substr(1);
        else if (openDir.back() == sep)
            result = rest;
    }
    if (PathCharLength(result) > kMaxShownChars)
        return std::string(PathCharPrefix(result, kMaxShownChars - 1)) + "...";
    return std::string(result);
}

void History::Load(const SlotReader& read) {
    for (auto& s : m_slots)
        s.clear();
    for (int i = 0; i < kSlotCount; ++i) {
        if (i > 0 && m_slots[static_cast<std::size_t>(i - 1)].empty())
            break;
        m_slots[static_cast<std::size_t>(i)] = read(i);
    }
}

void History::Store(const SlotReader& stored, const SlotWriter& write) const {
    for (int i = 0; i < kSlotCount; ++i) {
        const std::string& slot = m_slots[static_cast<std::size_t>(i)];
        if (slot.empty() && stored(i).empty())
            continue;
        write(i, slot);
    }
}

void History::LoadFromSettings(const SettingsStore& settings) {
    Load([&settings](int i) { return keys::kMenuFile[i].Read(settings); });
}

void History::StoreToSettings(SettingsStore& settings) const {
    Store([&settings](int i) { return keys::kMenuFile[i].Read(settings); },
          [&settings](int i, const std::string& v) { keys::kMenuFile[i].Write(settings, v); });
}

} // namespace lh
