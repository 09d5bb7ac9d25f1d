#include "platform/FileWriteLock.h"

#include "TestEnvironment.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using namespace lh::platform;
using lh::test::TempDir;
using lh::test::WriteFileBytes;
using Result = FileWriteLock::Result;

TEST(FileWriteLock, secondWriterIsBusyUntilTheFirstLetsGo) {
    TempDir dir;
    const std::string existing = dir.File("links.htm");
    WriteFileBytes(existing, "x");
    // A file that does not exist yet is guarded through its folder.
    for (const std::string& path : {existing, dir.File("new.htm")}) {
        SCOPED_TRACE(path);
        FileWriteLock first;
        FileWriteLock second;
        ASSERT_EQ(first.Acquire(path, 0), Result::Acquired);
        EXPECT_TRUE(first.Held());
        int waits = 0;
        EXPECT_EQ(second.Acquire(path, 50, [&] { ++waits; }), Result::Busy);
        EXPECT_EQ(waits, 1);
        EXPECT_FALSE(second.Held());
        first.Release();
        EXPECT_EQ(second.Acquire(path, 0), Result::Acquired);
    }
}

TEST(FileWriteLock, waiterLocksTheFileTheNameStandsForOnceTheWriterIsDone) {
    TempDir dir;
    const std::string path = dir.File("links.htm");
    WriteFileBytes(path, "old");
    FileWriteLock writer;
    ASSERT_EQ(writer.Acquire(path, 0), Result::Acquired);
    std::atomic<bool> waiting{false};
    FileWriteLock waiter;
    Result got = Result::Unavailable;
    std::thread t([&] { got = waiter.Acquire(path, -1, [&] { waiting = true; }); });
    while (!waiting)
        std::this_thread::yield();
    // The writer moves its new version into place, then lets go of the old one.
    WriteFileBytes(path + ".new", "new");
    std::filesystem::rename(path + ".new", path);
    writer.Release();
    t.join();
    EXPECT_EQ(got, Result::Acquired);
    // The waiter holds the new file's lock, not the replaced file's.
    FileWriteLock third;
    EXPECT_EQ(third.Acquire(path, 0), Result::Busy);
}
