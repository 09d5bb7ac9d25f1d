#include "TableLayout.h"

#include "util/SettingKeys.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace lh {

namespace {
// Sizes come from the store or the font dialog; outside the dialog's range they are brought in.
std::int64_t FontSizeInRange(int pointSize) {
    return std::clamp<std::int64_t>(pointSize, keys::kMinFontSize, keys::kMaxFontSize);
}
} // namespace

int RowHeightForFont(int pointSize) {
    return static_cast<int>(FontSizeInRange(pointSize) * 18 / 9);
}

int ColumnWidthFor(int column, int storedWidth, int pointSize) {
    if (storedWidth >= 1)
        return std::min(storedWidth, keys::kMaxStoredWidth);
    if (column < 0 || column >= kGridColumnCount)
        return 0;
    return static_cast<int>(FontSizeInRange(pointSize) * keys::kCellBaseWidth[column] / 9);
}

std::string CellPositionText(TableStore::Row row, int col) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%5lld:%5d", static_cast<long long>(row), col);
    return buf;
}

} // namespace lh
