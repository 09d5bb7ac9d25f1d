#include "DisplayFont.h"

#include "util/SettingKeys.h"

#include <algorithm>

namespace lh {

StoredFont ReadStoredFont(const SettingsStore& settings) {
    StoredFont font;
    font.color = keys::kFontColor.Read(settings);
    font.name = keys::kFontName.Read(settings);
    font.size = keys::kFontSize.Read(settings);
    if (font.size < keys::kMinFontSize)
        font.size = keys::kFontSize.def;
    font.size = std::min(font.size, keys::kMaxFontSize);
    font.bold = keys::kFontBold.IsOn(settings);
    font.italic = keys::kFontItalic.IsOn(settings);
    font.underline = keys::kFontUnderline.IsOn(settings);
    font.strikeOut = keys::kFontStrikeOut.IsOn(settings);
    return font;
}

void WriteStoredFont(SettingsStore& settings, const StoredFont& font) {
    keys::kFontColor.Write(settings, font.color);
    keys::kFontName.Write(settings, font.name);
    keys::kFontSize.Write(settings, font.size);
    keys::kFontBold.Write(settings, font.bold ? 1 : 0);
    keys::kFontItalic.Write(settings, font.italic ? 1 : 0);
    keys::kFontUnderline.Write(settings, font.underline ? 1 : 0);
    keys::kFontStrikeOut.Write(settings, font.strikeOut ? 1 : 0);
}

int RescaleColumnWidth(int width, int newSize, int oldSize) {
    if (oldSize < 1)
        return width;
    const std::int64_t scaled = static_cast<std::int64_t>(width) * newSize / oldSize;
    return static_cast<int>(std::clamp<std::int64_t>(scaled, 0, keys::kMaxStoredWidth));
}

} // namespace lh
