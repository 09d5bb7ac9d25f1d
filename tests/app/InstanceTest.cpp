#include "ProgramProcess.h"
#include "TestEnvironment.h"
#include "app/ActivationChannel.h"
#include "dialogs/ProgramSettings.h"
#include "platform/InstanceGuard.h"
#include "util/SettingKeys.h"

#include <QDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace lh;

using test::Program;
using test::ScopedRuntimeDir;

TEST(InstanceGuard, existsExactlyWhileSomeoneHoldsIt) {
    ScopedRuntimeDir dir;
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
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        platform::InstanceGuard guard;
        guard.Acquire();
        const char byte = 1;
        (void)!::write(ready[1], &byte, 1);
        ::pause(); // held until killed
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_TRUE(platform::InstanceGuard::Exists());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(platform::InstanceGuard::Exists());
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(SecondStart, withNothingStored_runsBesideTheFirst) {
    ScopedRuntimeDir dir;
    test::ScopedSettingsFile settings;
    Program first;
    ASSERT_TRUE(first.Start());
    const QString firstWindow = first.WaitForWindow(dir);
    ASSERT_FALSE(firstWindow.isEmpty());
    EXPECT_EQ(SendActivationRequest(firstWindow, kStatusRequest, 5000),
              QByteArray("activations=0 minimized=0 second=0"));

    Program second;
    ASSERT_TRUE(second.Start());
    const QString secondWindow = second.WaitForWindow(dir);
    ASSERT_FALSE(secondWindow.isEmpty()) << "the second start should open its own window";
    EXPECT_EQ(second.Process().state(), QProcess::Running);
    EXPECT_EQ(SendActivationRequest(secondWindow, kStatusRequest, 5000),
              QByteArray("activations=0 minimized=0 second=1"));
    EXPECT_EQ(SendActivationRequest(firstWindow, kStatusRequest, 5000),
              QByteArray("activations=0 minimized=0 second=0"));
}

TEST(SecondStart, refusedByStoredZero_activatesTheFirstAndEndsQuietly) {
    ScopedRuntimeDir dir;
    test::ScopedSettingsFile settings;
    if (!keys::k2ndStart.Write(ProgramSettings(), 0))
        GTEST_SKIP() << "the settings store cannot hold values yet";

    Program first;
    ASSERT_TRUE(first.Start());
    const QString firstWindow = first.WaitForWindow(dir);
    ASSERT_FALSE(firstWindow.isEmpty());
    const std::string storedBefore = test::ReadFileBytes(settings.Path());

    Program second;
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.Process().waitForFinished(30000));
    EXPECT_EQ(second.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.Process().exitCode(), 0);

    EXPECT_EQ(SendActivationRequest(firstWindow, kStatusRequest, 5000),
              QByteArray("activations=1 minimized=0 second=0"));
    EXPECT_EQ(test::ReadFileBytes(settings.Path()), storedBefore)
        << "a refused start stores nothing";
    // Nothing of the refused start is left listening.
    const QStringList sockets =
        QDir(dir.Path()).entryList({QStringLiteral("TLinkhiveMainForm.*")}, QDir::System);
    EXPECT_EQ(sockets.size(), 1);
}
