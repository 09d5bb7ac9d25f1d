#pragma once

// The window the program shows once started, on the screen and active, for the tests that drive
// it the way a user does.

#include "ScriptedUi.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace lh::test {

// `Base` is ::testing::Test, or a fixture that has to outlive the window (a settings file the
// window writes when it goes). Fixtures that fill the window call this SetUp first, under
// ASSERT_NO_FATAL_FAILURE, so a window that never showed stops the test there.
template <typename Base = ::testing::Test> class StartedWindowTest : public Base {
protected:
    void SetUp() override {
        Base::SetUp();
        w = std::make_unique<MainWindow>();
        w->SetMessageBoxService(&boxes);
        w->DeferredStartup();
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    // A key pressed where the focus is, and its effects let through.
    static void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
        QApplication::processEvents();
    }

    ScriptedMessageBox boxes;
    std::unique_ptr<MainWindow> w;
};

} // namespace lh::test
