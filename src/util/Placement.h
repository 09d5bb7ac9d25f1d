#pragma once

// Saved window placement: a window keeps its top and left in a pair of "Position" keys. A stored
// coordinate is used when it lies on the screen; otherwise the window is centred on that axis.
// Sizes come from the caller (the primary screen and the window's outer size, in pixels).

#include "SettingKeys.h"

#include <cstdint>

namespace lh {

struct Extent {
    int width = 0;
    int height = 0;
};

struct WindowPosition {
    int top = 0;
    int left = 0;
};

// `stored` when 0 <= stored < screen, else (screen - window) / 2 rounded toward zero.
int PlacedCoordinate(std::int32_t stored, int screen, int window);

// Reads the top, then the left (each with its key's default) and places the window.
WindowPosition RestorePlacement(const SettingsStore& store, const PlacementKeys& keys,
                                Extent screen, Extent window);

// Stores the window's current top and left when it closes, however it is closed.
bool StorePlacement(SettingsStore& store, const PlacementKeys& keys, WindowPosition position);

} // namespace lh
