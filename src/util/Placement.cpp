#include "Placement.h"

namespace lh {

int PlacedCoordinate(std::int32_t stored, int screen, int window) {
    if (stored >= 0 && stored < screen)
        return stored;
    // 64-bit so that absurd sizes cannot overflow; C++ division already rounds toward zero.
    return static_cast<int>((static_cast<std::int64_t>(screen) - window) / 2);
}

WindowPosition RestorePlacement(const SettingsStore& store, const PlacementKeys& keys,
                                Extent screen, Extent window) {
    WindowPosition p;
    p.top = PlacedCoordinate(keys.top.Read(store), screen.height, window.height);
    p.left = PlacedCoordinate(keys.left.Read(store), screen.width, window.width);
    return p;
}

bool StorePlacement(SettingsStore& store, const PlacementKeys& keys, WindowPosition position) {
    const bool top = keys.top.Write(store, position.top);
    const bool left = keys.left.Write(store, position.left);
    return top && left;
}

} // namespace lh
