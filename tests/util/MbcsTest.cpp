#include "util/Mbcs.h"

#include <gtest/gtest.h>

using namespace lh;

TEST(Mbcs, length_countsDoubleByteCharactersOnce) {
    EXPECT_EQ(MbcsLength("\x93\xFA\x96\x7B\x8C\xEA" "abc"), 6); // 日本語abc
}
