#include "TableLayout.h"

#include "util/SettingKeys.h"

#include <cstdio>

namespace lh {

int RowHeightForFont(int pointSize) {
    return pointSize * 18 / 9;
}

int ColumnWidthFor(int column, int storedWidth, int pointSize) {
    if (storedWidth >= 1)
        return storedWidth;
    if (column < 0 || column >= TableStore::kColumnCount)
        return 0;
    return pointSize * keys::kCellBaseWidth[column] / 9;
}

std::string CellPositionText(TableStore::Row row, int col) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%5lld:%5d", static_cast<long long>(row), col);
    return buf;
}

} // namespace lh
