#pragma once

// Helpers shared by the widget tests.

#include "TestEnvironment.h"
#include "util/Settings.h"

#include <QString>
#include <QWidget>
#include <gtest/gtest.h>

namespace lh::test {

// The settings store may still be the placeholder that keeps nothing; tests of stored values
// skip themselves then instead of failing for a reason outside the widget under test.
inline bool SettingsStoreKeepsValues() {
    return WriteSetInteger("Probe", "Probe", 7) && ReadSetInteger("Probe", "Probe", 0) == 7;
}

#define LH_REQUIRE_SETTINGS_STORE()                                                                \
    do {                                                                                           \
        if (!::lh::test::SettingsStoreKeepsValues())                                               \
            GTEST_SKIP() << "settings store keeps nothing yet";                                    \
    } while (0)

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
