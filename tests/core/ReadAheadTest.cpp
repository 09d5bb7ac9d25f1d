#include "core/ReadAhead.h"

#include "TestEnvironment.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace lh;
using lh::test::TempDir;

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string Pattern(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return text;
}

} // namespace

// Block and request sizes that do and do not divide each other or the file, an empty file and
// one of exactly one block: the reader gets every byte once, in order, and then only the end.
TEST(ReadAhead, anyBlockAndRequestSizes_giveTheFileInOrderThenTheEnd) {
    struct Case {
        std::size_t fileSize;
        std::size_t blockSize;
        std::size_t requestSize;
    };
    const Case cases[] = {
        {0, 16, 16},      {1, 1, 1},        {4096, 4096, 4096},     {4096, 4096, 1000},
        {10000, 7, 4096}, {10000, 4096, 7}, {100003, 65536, 65536}, {1003, 0, 3},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string text = Pattern(c.fileSize);
        const std::string path = dir.File("f" + std::to_string(c.fileSize) + ".bin");
        test::WriteFileBytes(path, text);
        FilePtr file(std::fopen(path.c_str(), "rb"));
        ASSERT_TRUE(file);
        ReadAhead ahead(file.get(), c.blockSize);
        std::string got;
        std::string piece(c.requestSize, '\0');
        for (int guard = 0; guard < 1000000; ++guard) {
            const std::int64_t n = ahead.Read(piece.data(), piece.size());
            ASSERT_GE(n, 0);
            if (n == 0)
                break;
            got.append(piece.data(), static_cast<std::size_t>(n));
        }
        EXPECT_EQ(got, text) << c.fileSize << " / " << c.blockSize << " / " << c.requestSize;
        EXPECT_EQ(ahead.Read(piece.data(), piece.size()), 0);
    }
}

// A reader that stops early (the end-of-file byte of a scan) must not wait for the thread to
// read the rest of the file.
TEST(ReadAhead, readerStoppingEarly_endsWithoutReadingOn) {
    TempDir dir;
    const std::string path = dir.File("big.bin");
    test::WriteFileBytes(path, Pattern(1 << 20));
    for (int reads = 0; reads < 3; ++reads) {
        FilePtr file(std::fopen(path.c_str(), "rb"));
        ASSERT_TRUE(file);
        {
            ReadAhead ahead(file.get(), 4096);
            char piece[100];
            for (int i = 0; i < reads; ++i)
                EXPECT_EQ(ahead.Read(piece, sizeof piece), 100);
        }
        EXPECT_LE(std::ftell(file.get()), 3 * 4096);
    }
}
