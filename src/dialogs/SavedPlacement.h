#pragma once

// Saved placement for Qt windows: the placement rule against the primary screen, and storing
// the window's place when it closes.

#include "util/SettingKeys.h"

class QWidget;

namespace lh {

// Moves the window by its stored top and left (centred on an axis whose value is off-screen).
void PlaceBySavedPosition(QWidget& window, const PlacementKeys& keys);
// Writes the window's current top and left.
void StorePosition(const QWidget& window, const PlacementKeys& keys);

} // namespace lh
