#include "core/FileBytes.h"

#include "core/CollectionFormat.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using namespace lh;

TEST(FileBytes, bytesAddedInPiecesSurviveEveryGrowthOfTheRoom) {
    FileBytes bytes;
    std::string expected;
    for (const std::size_t piece : {1u, 0u, 7u, 4096u, 3u, 100000u, 5u}) {
        char* room = bytes.Spare(piece);
        for (std::size_t i = 0; i < piece; ++i) {
            room[i] = static_cast<char>('a' + (expected.size() % 26));
            expected += room[i];
        }
        bytes.Added(piece);
        ASSERT_EQ(bytes.View(), expected) << piece;
    }
    // A read that brings fewer bytes than it had room for counts only those.
    bytes.Spare(64)[0] = '!';
    bytes.Added(1);
    EXPECT_EQ(bytes.Size(), expected.size() + 1);
    EXPECT_EQ(bytes.View().back(), '!');
    bytes.Clear();
    EXPECT_TRUE(bytes.Empty());
    EXPECT_EQ(bytes.View(), "");
}

TEST(FileBytes, neverCountsBytesBeyondItsRoom) {
    FileBytes bytes;
    bytes.Spare(4);
    bytes.Added(100);
    EXPECT_EQ(bytes.Size(), 4u);
}

TEST(ReadWholeFile, aFileThatTellsNoSizeIsReadInBlocks) {
    // Such files are the system's own, where it has them.
    const std::string path = "/proc/self/status";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "no file without a size here";
    FileBytes bytes;
    NullProgress progress;
    IoError error;
    ASSERT_TRUE(ReadWholeFile(path, bytes, progress, error));
    EXPECT_NE(bytes.View().find("Name:"), std::string_view::npos);
}
