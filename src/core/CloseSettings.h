#pragma once

// What the main window writes back when a close goes ahead, in the order the next start and
// other tools expect. A refused close never reaches this.
//
// The values go to the store as one change: a close writes some twenty of them, and one by one
// each would re-read and replace the whole file, so a large file made the close slow and a kill
// in between left half of them written.

#include <array>
#include <string>

namespace lh {

class MessageBoxService;
class SettingsStore;
class UsageRecord;

struct DialogPlace {
    std::string folder;
    int filterIndex = 1;
};

struct CloseState {
    std::array<int, 5> columnWidths{};
    int windowState = 0; // 0 normal, 1 minimised, 2 maximised
    int top = 0;         // normal-state outer geometry
    int left = 0;
    int height = 0;
    int width = 0;
    std::array<std::string, 5> historySlots;
    DialogPlace openDialog;
    DialogPlace saveDialog;
    DialogPlace addDialog;
    DialogPlace importDialog;
    DialogPlace exportDialog;
    std::string currentFile;
};

// Store failures stay silent, as every settings write does, except a store too large to read:
// then nothing of this close can be kept, and the user is told so once.
void WriteCloseSettings(SettingsStore& settings, const CloseState& state, UsageRecord& usage,
                        MessageBoxService& messages);

} // namespace lh
