#include "TestEnvironment.h"
#include "platform/AtomicFile.h"

#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>

namespace {

using lh::platform::AtomicFile;

// Bytes that show any piece lost, repeated or moved.
std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t x = 2463534242u;
    for (char& c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    return bytes;
}

TEST(AtomicFile, largeFileWrittenInUnevenPiecesArrivesWhole) {
    lh::test::TempDir dir;
    const std::string target = dir.File("big.htm");
    const std::string bytes = Pattern(21 * 1024 * 1024 + 7);
    AtomicFile file;
    lh::IoCode code;
    ASSERT_TRUE(file.Create(target, code)) << static_cast<int>(code.kind);
    // Small writes through the stream's buffer and blocks larger than it, over several steps
    // at which the system is asked to start writing back.
    const std::size_t pieces[] = {1, 4095, 300000, 3 * 1024 * 1024 + 1, 17, 1 << 20};
    std::size_t at = 0;
    for (std::size_t k = 0; at < bytes.size(); ++k) {
        const std::size_t n = std::min(pieces[k % std::size(pieces)], bytes.size() - at);
        ASSERT_EQ(std::fwrite(bytes.data() + at, 1, n, file.Stream()), n);
        at += n;
    }
    ASSERT_TRUE(file.Finish(code)) << static_cast<int>(code.kind);
    EXPECT_EQ(file.Identity().size, static_cast<std::int64_t>(bytes.size()));
    ASSERT_TRUE(file.Commit(code)) << static_cast<int>(code.kind);
    EXPECT_TRUE(lh::test::ReadFileBytes(target) == bytes);
}

TEST(AtomicFile, writeThatTheSystemRefusesFailsTheSaveAndLeavesTheTarget) {
    lh::test::TempDir dir;
    const std::string target = dir.File("kept.htm");
    {
        std::FILE* f = std::fopen(target.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("old", f);
        std::fclose(f);
    }
    // A file size limit makes write() fail with EFBIG part way, as a full disk would.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool finished = true;
    {
        AtomicFile file;
        lh::IoCode code;
        if (file.Create(target, code)) {
            const std::string bytes = Pattern(3 * 1024 * 1024);
            std::fwrite(bytes.data(), 1, bytes.size(), file.Stream());
            finished = file.Finish(code);
            EXPECT_NE(code.kind, lh::IoErrorKind::None);
        }
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(finished);
    EXPECT_EQ(lh::test::ReadFileBytes(target), "old");
}

} // namespace
