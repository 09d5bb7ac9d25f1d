#include "ProgramProcess.h"
#include "TestEnvironment.h"
#include "app/ActivationChannel.h"
#include "dialogs/ProgramSettings.h"
#include "platform/InstanceGuard.h"
#include "util/SettingKeys.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace lh;

using test::Program;
using test::ScopedRuntimeDir;

// The guard and the windows' names are the session's on Windows.
#define SKIP_BESIDE_A_RUNNING_PROGRAM()                                                            \
    if (ScopedRuntimeDir::SharedWithARunningProgram())                                             \
    GTEST_SKIP() << "a Linkhive is running in this session and would take part in the test"

TEST(InstanceGuard, existsExactlyWhileSomeoneHoldsIt) {
    ScopedRuntimeDir dir;
    SKIP_BESIDE_A_RUNNING_PROGRAM();
    EXPECT_FALSE(platform::InstanceGuard::Exists());
    {
        platform::InstanceGuard first;
        first.Acquire();
        EXPECT_TRUE(first.Held());
        EXPECT_TRUE(platform::InstanceGuard::Exists());
        platform::InstanceGuard second;
        second.Acquire(); // a second instance holds it too
        first.Release();
        EXPECT_TRUE(platform::InstanceGuard::Exists());
    }
    EXPECT_FALSE(platform::InstanceGuard::Exists());
}

TEST(InstanceGuard, vanishesWithACrashedHolder) {
    ScopedRuntimeDir dir;
    SKIP_BESIDE_A_RUNNING_PROGRAM();
    test::ScopedSettingsFile settings;
    Program holder;
    ASSERT_TRUE(holder.Start());
    // The program takes the guard before it makes its window.
    ASSERT_FALSE(holder.WaitForWindow().isEmpty());
    EXPECT_TRUE(platform::InstanceGuard::Exists());
    holder.Process().kill(); // no chance to let go of it
    ASSERT_TRUE(holder.Process().waitForFinished(30000));
    EXPECT_FALSE(platform::InstanceGuard::Exists());
}

TEST(SecondStart, withNothingStored_runsBesideTheFirst) {
    ScopedRuntimeDir dir;
    SKIP_BESIDE_A_RUNNING_PROGRAM();
    test::ScopedSettingsFile settings;
    Program first;
    ASSERT_TRUE(first.Start());
    const QString firstWindow = first.WaitForWindow();
    ASSERT_FALSE(firstWindow.isEmpty());
    EXPECT_EQ(SendActivationRequest(firstWindow, kStatusRequest, 5000),
              QByteArray("activations=0 minimized=0 second=0"));

    Program second;
    ASSERT_TRUE(second.Start());
    const QString secondWindow = second.WaitForWindow();
    ASSERT_FALSE(secondWindow.isEmpty()) << "the second start should open its own window";
    EXPECT_EQ(second.Process().state(), QProcess::Running);
    EXPECT_EQ(SendActivationRequest(secondWindow, kStatusRequest, 5000),
              QByteArray("activations=0 minimized=0 second=1"));
    EXPECT_EQ(SendActivationRequest(firstWindow, kStatusRequest, 5000),
              QByteArray("activations=0 minimized=0 second=0"));
}

TEST(SecondStart, refusedByStoredZero_activatesTheFirstAndEndsQuietly) {
    ScopedRuntimeDir dir;
    SKIP_BESIDE_A_RUNNING_PROGRAM();
    test::ScopedSettingsFile settings;
    if (!keys::k2ndStart.Write(ProgramSettings(), 0))
        GTEST_SKIP() << "the settings store cannot hold values yet";

    Program first;
    ASSERT_TRUE(first.Start());
    const QString firstWindow = first.WaitForWindow();
    ASSERT_FALSE(firstWindow.isEmpty());
    const std::string storedBefore = test::SettingsStoreText();

    Program second;
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.Process().waitForFinished(30000));
    EXPECT_EQ(second.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.Process().exitCode(), 0);

    EXPECT_EQ(SendActivationRequest(firstWindow, kStatusRequest, 5000),
              QByteArray("activations=1 minimized=0 second=0"));
    EXPECT_EQ(test::SettingsStoreText(), storedBefore) << "a refused start stores nothing";
    // Nothing of the refused start is left listening; the first still is.
    EXPECT_FALSE(second.Listening());
    EXPECT_FALSE(QFileInfo::exists(second.ServerName())) << "no socket file left behind";
    EXPECT_TRUE(first.Listening());
}
