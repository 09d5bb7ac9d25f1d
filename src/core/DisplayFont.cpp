#include "DisplayFont.h"

#include "util/SettingKeys.h"

#include <algorithm>

namespace lh {

StoredFont ReadStoredFont() {
    StoredFont font;
    font.color = keys::kFontColor.Read();
    font.name = keys::kFontName.Read();
    font.size = keys::kFontSize.Read();
    if (font.size < keys::kMinFontSize)
        font.size = keys::kFontSize.def;
    font.size = std::min(font.size, keys::kMaxFontSize);
    font.bold = keys::kFontBold.IsOn();
    font.italic = keys::kFontItalic.IsOn();
    font.underline = keys::kFontUnderline.IsOn();
    font.strikeOut = keys::kFontStrikeOut.IsOn();
    return font;
}

void WriteStoredFont(const StoredFont& font) {
    keys::kFontColor.Write(font.color);
    keys::kFontName.Write(font.name);
    keys::kFontSize.Write(font.size);
    keys::kFontBold.Write(font.bold ? 1 : 0);
    keys::kFontItalic.Write(font.italic ? 1 : 0);
    keys::kFontUnderline.Write(font.underline ? 1 : 0);
    keys::kFontStrikeOut.Write(font.strikeOut ? 1 : 0);
}

int RescaleColumnWidth(int width, int newSize, int oldSize) {
    if (oldSize < 1)
        return width;
    const std::int64_t scaled = static_cast<std::int64_t>(width) * newSize / oldSize;
    return static_cast<int>(std::clamp<std::int64_t>(scaled, 0, keys::kMaxStoredWidth));
}

} // namespace lh
