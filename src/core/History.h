#pragma once

// The five most recently used collection files, most recent first, and the texts of their menu
// items. The window builds the menu from Menu(); this class holds the slots and the rules.

#include <array>
#include <functional>
#include <string>

namespace lh {

class SettingsStore;

class History {
public:
    static constexpr int kSlotCount = 5;
    // Longest menu text shown whole; longer ones keep 44 characters and get "...".
    static constexpr int kMaxShownChars = 45;

    struct MenuItem {
        bool visible = false;
        std::string caption; // UTF-8, with the access key "&n "
        std::string hint;    // UTF-8, "short|long"
    };
    struct MenuState {
        bool separatorVisible = false; // the separator above the items
        std::array<MenuItem, kSlotCount> items;
    };

    History();

    // Slot i (0-based) of HistorySlots; empty when unused.
    const std::string& Slot(int i) const { return m_slots.at(static_cast<std::size_t>(i)); }
    const std::array<std::string, kSlotCount>& HistorySlots() const noexcept { return m_slots; }

    // Moves `path` to the front (or inserts it there) and rebuilds the menu against `openDir`,
    // the folder the open dialog starts in.
    void AddToHistory(const std::string& path, const std::string& openDir);
    // Empties every slot and rebuilds the menu.
    void Clear(const std::string& openDir);
    // Recomputes the menu texts from the slots.
    void RebuildHistoryMenu(const std::string& openDir);
    const MenuState& Menu() const noexcept { return m_menu; }

    // The menu text of `path`: relative to `openDir` when the file lies directly in it, and
    // shortened to kMaxShownChars characters.
    static std::string ShortenHistoryPath(const std::string& path, const std::string& openDir);

    // Stored slot texts by 0-based index. Loading stops at the first empty slot.
    using SlotReader = std::function<std::string(int)>;
    using SlotWriter = std::function<void(int, const std::string&)>;
    void Load(const SlotReader& read);
    // Writes each slot unless both it and the stored value are empty, so a slot emptied while
    // the program ran is stored empty.
    void Store(const SlotReader& stored, const SlotWriter& write) const;
    // The same against the settings store.
    void LoadFromSettings(const SettingsStore& settings);
    void StoreToSettings(SettingsStore& settings) const;

private:
    std::array<std::string, kSlotCount> m_slots;
    MenuState m_menu;
};

} // namespace lh
