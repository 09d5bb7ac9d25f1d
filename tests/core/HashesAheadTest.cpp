#include "core/HashesAhead.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

using namespace lh;

namespace {

std::uint64_t HashOf(std::size_t i) {
    return i * 0x9e3779b97f4a7c15ull + 1;
}

} // namespace

TEST(HashesAhead, handsOverEveryHashInOrderWhereverTheBlocksEnd) {
    for (const std::size_t count : {0u, 1u, 1023u, 1024u, 1025u, 5000u}) {
        std::vector<std::pair<std::size_t, std::size_t>> blocks;
        HashesAhead ahead(count, [&](std::size_t first, std::size_t last, std::uint64_t* out) {
            blocks.emplace_back(first, last);
            for (std::size_t i = first; i < last; ++i)
                out[i - first] = HashOf(i);
        });
        if (!ahead.Started())
            GTEST_SKIP() << "no second thread here";
        std::size_t wrong = 0;
        for (std::size_t i = 0; i < count; ++i)
            wrong += ahead.Hash(i) != HashOf(i);
        ahead.Join();
        EXPECT_EQ(wrong, 0u) << count;
        // Each item hashed once, in order.
        std::size_t next = 0;
        for (const auto& [first, last] : blocks) {
            EXPECT_EQ(first, next) << count;
            EXPECT_GT(last, first) << count;
            next = last;
        }
        EXPECT_EQ(next, count);
    }
}

TEST(HashesAhead, aCallerThatGivesUpEarlyEndsTheHelperBeforeTheItemsGo) {
    std::vector<std::uint64_t> items(200000);
    for (std::size_t i = 0; i < items.size(); ++i)
        items[i] = HashOf(i);
    std::size_t hashed = 0;
    {
        HashesAhead ahead(items.size(),
                          [&](std::size_t first, std::size_t last, std::uint64_t* out) {
                              for (std::size_t i = first; i < last; ++i)
                                  out[i - first] = items[i];
                              hashed = last;
                          });
        if (ahead.Started()) {
            EXPECT_EQ(ahead.Hash(3), HashOf(3));
        }
    }
    // The helper is gone: what it did is final, and never beyond the items.
    EXPECT_LE(hashed, items.size());
    items.clear();
}
