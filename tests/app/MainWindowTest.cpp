#include "app/MainWindow.h"

#include <gtest/gtest.h>

TEST(MainWindow, caption_isApplicationTitle) {
    lh::MainWindow w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Linkhive for Windows"));
}
