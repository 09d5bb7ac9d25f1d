#pragma once

// Decisions of the main window's start-up that need no window: which file to open, where the
// window goes, how wide the caret panel is.

#include <cstdint>
#include <string>
#include <vector>

namespace lh {

class SettingsStore;

// The start-up file name from the command-line parameters: a name with blanks passed without
// quotes arrives split and is joined again with blanks; a later parameter that begins like an
// absolute path starts a second name, which ends the first and is ignored with all after it.
std::string StartupFileName(const std::vector<std::string>& parameters);

// The collection the start-up opens: the named file if it exists, else the file left open at the
// last exit when that option is on and the file exists, else "" for a new collection. "Exists"
// includes folders and devices: opening them is refused with a message naming them.
std::string StartupDocument(const SettingsStore& settings, const std::string& commandLineName);

struct MainPlacement {
    bool systemChooses = true; // position and size left to the window system
    int top = 0;
    int left = 0;
    int height = 0;
    int width = 0;
};

// The stored placement of the main window, or the system's choice when it is not to be used:
// a second instance, "PositionMemory" off, or a stored size out of range (27 high, 112 wide).
MainPlacement RestoreMainPlacement(const SettingsStore& settings, bool secondInstance,
                                   int screenWidth, int screenHeight, int designedWidth,
                                   int designedHeight);

// Width of the caret panel from "PanelVisible1" (at most keys::kMaxStoredWidth), or -1 to keep
// the designed width.
int CaretPanelWidth(const SettingsStore& settings, int statusBarHeight);

// The window state to take after start-up: 0 normal, 1 minimised, 2 maximised.
// `launchState` is how the program was started (same codes).
int StartupWindowState(const SettingsStore& settings, int launchState);

} // namespace lh
