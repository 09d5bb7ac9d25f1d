#pragma once

// Sizes and texts of the collection grid that follow from the display font and the settings,
// kept apart from the widgets so the arithmetic is tested on its own.

#include "TableStore.h"

#include <string>

namespace lh {

// Columns of the grid: the record number, then the record's texts (TableStore::Field order).
inline constexpr int kGridColumnCount = 1 + TableStore::kFieldCount;

// Default row height for a font of `pointSize` points: twice the point size. Sizes outside the
// font dialog's range count as its nearest end.
int RowHeightForFont(int pointSize);

// Width of grid column `column` (0..4): the stored width when it is at least 1 (at most
// keys::kMaxStoredWidth), else the base width scaled from font size 9 to `pointSize`.
int ColumnWidthFor(int column, int storedWidth, int pointSize);

// Text of the status bar's position panel: row and column, each right-aligned in five places.
std::string CellPositionText(TableStore::Row row, int col);

} // namespace lh
