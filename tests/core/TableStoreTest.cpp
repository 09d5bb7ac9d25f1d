#include "core/TableStore.h"

#include <gtest/gtest.h>

using namespace lh;

TEST(TableStore, newStore_hasHeadingAndNumberedEntryRow) {
    TableStore t;
    EXPECT_EQ(t.RowCount(), 2);
    EXPECT_EQ(t.Cell(1, 0), "1");
    EXPECT_EQ(t.Cell(0, 2), "URL/E-Mail");
}
