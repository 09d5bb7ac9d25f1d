#pragma once

// What the main window writes back when a close goes ahead, in the order the next start and
// other tools expect. A refused close never reaches this.

#include <array>
#include <string>

namespace lh {

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
    std::string currentFile;
};

void WriteCloseSettings(const CloseState& state, UsageRecord& usage);

} // namespace lh
