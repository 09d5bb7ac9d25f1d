#include "util/MemorySettingsStore.h"

#include "util/SettingKeys.h"
#include "util/SettingsBatch.h"

#include <gtest/gtest.h>

using namespace lh;

namespace {

// The stand-in must answer as the registry does, or core tests would pass against rules the
// program never meets.
TEST(MemorySettingsStore, readsFollowTheRegistryRules) {
    MemorySettingsStore store;
    EXPECT_FALSE(store.HoldsAnySection());
    EXPECT_EQ(keys::kFontSize.Read(store), 10);

    keys::kFontSize.Write(store, 12);
    EXPECT_TRUE(store.HoldsAnySection());
    EXPECT_EQ(store.ReadInteger("FONT", "size", 0), 12); // names ignore ASCII letter case

    store.WriteText(sec::kOtherSet, "EndMsg", "1"); // a text where an integer is read
    EXPECT_EQ(keys::kEndMsg.Read(store), 0);
    store.WriteInteger(sec::kHistory, "MenuFile1", 5); // and the other way round
    EXPECT_EQ(keys::kMenuFile[0].ReadOr(store, "none"), "none");

    keys::kNumber.Write(store, "");
    EXPECT_EQ(keys::kNumber.Read(store), "1"); // an empty text is missing
    keys::kEndFile.Write(store, "/home/u/リンク集.htm");
    EXPECT_EQ(keys::kEndFile.Read(store), "/home/u/リンク集.htm");
}

TEST(MemorySettingsStore, failedBatchKeepsWhatWasStoredBefore) {
    struct Case {
        platform::StoreResult result;
        std::int32_t expected;
    };
    const Case cases[] = {
        {platform::StoreResult::Saved, 2},
        {platform::StoreResult::TooLarge, 1},
        {platform::StoreResult::Failed, 1},
    };
    for (const Case& c : cases) {
        MemorySettingsStore store;
        keys::kMainTop.Write(store, 1);
        store.FailNextBatch(c.result);
        SettingsBatch outer(store);
        {
            SettingsBatch inner(store); // nested batches store with the outermost
            keys::kMainTop.Write(store, 2);
            EXPECT_EQ(inner.Finish(), platform::StoreResult::Saved);
        }
        EXPECT_EQ(keys::kMainTop.Read(store), 2); // reads inside the batch see its writes
        EXPECT_EQ(outer.Finish(), c.result);
        EXPECT_EQ(keys::kMainTop.Read(store), c.expected);
        EXPECT_EQ(outer.Finish(), platform::StoreResult::Saved);
    }
}

} // namespace
