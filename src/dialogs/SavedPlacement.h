#pragma once

// Where a window comes up: at its stored top and left when those lie on the screen, else
// centred; and storing its place again when it closes.

#include "util/SettingKeys.h"

class QWidget;

namespace lh {

// The stored coordinate when 0 <= stored < screenExtent, else the centring one.
int PlacedCoordinate(int stored, int screenExtent, int windowExtent);

// Moves the window by its stored top and left against the primary screen.
void PlaceBySavedPosition(QWidget& window, const IntSetting& top, const IntSetting& left);
// Writes the window's current top and left.
void StorePosition(const QWidget& window, const IntSetting& top, const IntSetting& left);

} // namespace lh
