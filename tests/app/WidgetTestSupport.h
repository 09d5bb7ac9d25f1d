#pragma once

// Helpers shared by the widget tests.

#include "TestEnvironment.h"

#include <QString>
#include <QWidget>
#include <gtest/gtest.h>

namespace lh::test {

template <typename T> T* Child(const QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromUtf8(name));
    if (!child)
        ADD_FAILURE() << "no child " << name;
    return child;
}

// A fresh, empty settings file for each test.
class SettingsTest : public ::testing::Test {
protected:
    ScopedSettingsFile m_settings;
};

} // namespace lh::test
