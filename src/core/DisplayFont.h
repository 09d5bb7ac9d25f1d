#pragma once

// The display font of the collection grid as the settings store keeps it in section "Font", and
// the arithmetic that follows a change of its size.

#include <cstdint>
#include <string>

namespace lh {

class SettingsStore;

struct StoredFont {
    std::int32_t color = 0; // 0x00BBGGRR, or a system colour (high bit set)
    std::string name;       // face name as a platform string; "System" is the default face
    int size = 10;          // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

// Reads the stored font with its defaults. A style flag counts only when exactly 1; a size below
// 1 (only possible by editing the store) counts as the default, so no later rescale divides by 0,
// and one above the font dialog's largest counts as that largest.
StoredFont ReadStoredFont(const SettingsStore& settings);
// Writes colour, name, size and the four style flags (1 or 0), in that order.
void WriteStoredFont(SettingsStore& settings, const StoredFont& font);

// True for the colour values that name a system colour rather than a red-green-blue value.
constexpr bool IsSystemColor(std::int32_t color) {
    return (static_cast<std::uint32_t>(color) & 0xFF000000u) != 0;
}

// A column width after the font went from `oldSize` to `newSize` points, truncated, at most
// keys::kMaxStoredWidth. An old size below 1 gives no ratio to scale by, so the width stays.
int RescaleColumnWidth(int width, int newSize, int oldSize);

} // namespace lh
