#include "core/TableStore.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace lh;

namespace {

class Recorder final : public TableStore::Observer {
public:
    void RecordsAboutToBeInserted(TableStore::Row first, TableStore::Row count) override {
        heard.push_back("insert " + std::to_string(first) + "+" + std::to_string(count));
    }
    void RecordsAboutToBeRemoved(TableStore::Row first, TableStore::Row count) override {
        heard.push_back("remove " + std::to_string(first) + "+" + std::to_string(count));
    }
    std::vector<std::string> heard;
};

std::string Addresses(const TableStore& t) {
    std::string s;
    for (TableStore::Row r = 0; r < t.RecordCount(); ++r)
        s += std::string(t.Text(r, TableStore::kAddress)) + ";";
    return s;
}

bool Holds(const TableStore& t, const std::string& address) {
    return t.HoldsAddress(address, TableStore::AddressHash(address));
}

} // namespace

TEST(TableStoreDetach, recordsTakenOutAndPutBackAreTheSameAndTheIndexFollows) {
    TableStore t;
    for (const char* a : {"a", "b", "c", "d", "e"})
        t.AppendRecord("n", a, "", "r");
    t.InsertEmptyRecord(2);
    (void)Holds(t, "c"); // builds the index, which the moves must keep in step
    Recorder recorder;
    t.AddObserver(&recorder);

    TableStore::Detached taken = t.TakeRecords(1, 3);
    EXPECT_EQ(taken.Count(), 3);
    EXPECT_EQ(Addresses(t), "a;d;e;");
    EXPECT_FALSE(Holds(t, "B"));
    EXPECT_FALSE(Holds(t, ""));
    EXPECT_GT(taken.MemoryUsage(), 0u);

    t.PutRecords(1, std::move(taken));
    EXPECT_EQ(Addresses(t), "a;b;;c;d;e;");
    EXPECT_EQ(t.Text(1, TableStore::kRemark), "r");
    EXPECT_TRUE(Holds(t, "B"));
    EXPECT_TRUE(Holds(t, ""));
    EXPECT_EQ(recorder.heard, (std::vector<std::string>{"remove 1+3", "insert 1+3"}));
    t.RemoveObserver(&recorder);
}

TEST(TableStoreDetach, rangesOutsideTheRecordsAreClippedOrIgnored) {
    TableStore t;
    for (const char* a : {"a", "b", "c"})
        t.AppendRecord("", a, "", "");
    EXPECT_EQ(t.TakeRecords(3, 1).Count(), 0);
    EXPECT_EQ(t.TakeRecords(-1, 2).Count(), 0);
    EXPECT_EQ(t.TakeRecords(0, 0).Count(), 0);
    TableStore::Detached tail = t.TakeRecords(1, 100);
    EXPECT_EQ(tail.Count(), 2);
    EXPECT_EQ(Addresses(t), "a;");
    // Beyond the end means at the end.
    t.PutRecords(50, std::move(tail));
    EXPECT_EQ(Addresses(t), "a;b;c;");
    // PutRecords promises to leave what it was given empty.
    // NOLINTNEXTLINE(bugprone-use-after-move)
    EXPECT_EQ(tail.Count(), 0);
    t.PutRecords(0, std::move(tail)); // NOLINT(bugprone-use-after-move): nothing to put
    EXPECT_EQ(t.RecordCount(), 3);
}

TEST(TableStoreDetach, aRecordTakenIntoAnotherStoreMovesWithItsIndexEntry) {
    TableStore source;
    source.AppendRecord("one", "http://a/", "2024/05/01 9:05:08", "r1");
    source.AppendRecord("two", "http://b/", "", "");
    (void)Holds(source, "x"); // the source's index too must let go of what leaves it
    TableStore target;
    target.AppendRecord("", "http://c/", "", "");
    (void)Holds(target, "x");
    Recorder heard;
    target.AddObserver(&heard);

    target.AppendTakenRecord(source, 0);
    EXPECT_EQ(Addresses(target), "http://c/;http://a/;");
    EXPECT_EQ(target.Text(1, TableStore::kName), "one");
    EXPECT_EQ(target.Text(1, TableStore::kAccess), "2024/05/01 9:05:08");
    EXPECT_EQ(target.Text(1, TableStore::kRemark), "r1");
    EXPECT_TRUE(Holds(target, "HTTP://A/"));
    EXPECT_EQ(heard.heard, (std::vector<std::string>{"insert 1+1"}));
    // The source keeps an empty record where the moved one was.
    EXPECT_EQ(Addresses(source), ";http://b/;");
    EXPECT_FALSE(Holds(source, "http://a/"));
    EXPECT_TRUE(Holds(source, ""));
    EXPECT_TRUE(Holds(source, "http://B/"));

    // Taken with its hash known already, the record is found like one the store hashed itself,
    // and leaves its store again without a trace.
    target.AppendTakenRecord(source, 1, TableStore::AddressHash("http://b/"));
    EXPECT_EQ(Addresses(target), "http://c/;http://a/;http://b/;");
    EXPECT_TRUE(Holds(target, "HTTP://B/"));
    target.RemoveRecord(2);
    EXPECT_FALSE(Holds(target, "http://b/"));
    heard.heard.clear();

    // Rows outside the source, and a store taking from itself, change nothing.
    target.AppendTakenRecord(source, 2);
    target.AppendTakenRecord(source, -1);
    target.AppendTakenRecord(target, 0);
    EXPECT_EQ(Addresses(target), "http://c/;http://a/;");
    EXPECT_EQ(heard.heard.size(), 0u);
    target.RemoveObserver(&heard);
}

TEST(TableStoreDetach, scatteredRecordsTakenAndPutBackKeepTheirPlacesAndTheIndex) {
    TableStore t;
    for (const char* a : {"a", "b", "c", "d", "e", "f"})
        t.AppendRecord("n", a, "", "r");
    t.InsertEmptyRecord(3);
    (void)Holds(t, "c");
    const std::vector<std::size_t> places = {0, 3, 4, 6};

    TableStore::Detached taken = t.TakeRecordsAt(places);
    EXPECT_EQ(taken.Count(), 4);
    EXPECT_EQ(Addresses(t), "b;c;e;");
    EXPECT_FALSE(Holds(t, "A"));
    EXPECT_FALSE(Holds(t, "F"));
    EXPECT_FALSE(Holds(t, ""));
    EXPECT_TRUE(Holds(t, "E"));

    EXPECT_TRUE(t.PutRecordsAt(places, std::move(taken)));
    EXPECT_EQ(Addresses(t), "a;b;c;;d;e;f;");
    for (const char* a : {"a", "d", "e", "f", ""})
        EXPECT_TRUE(Holds(t, a)) << a;
}

TEST(TableStoreDetach, scatteredPlacesThatDoNotFitChangeNothing) {
    TableStore t;
    for (const char* a : {"a", "b", "c"})
        t.AppendRecord("n", a, "", "");
    using Places = std::vector<std::size_t>;
    for (const Places& bad : {Places{1, 1}, Places{2, 0}, Places{3}, Places{}}) {
        EXPECT_EQ(t.TakeRecordsAt(bad).Count(), 0);
        EXPECT_EQ(Addresses(t), "a;b;c;");
    }
    // Places past the end of the table the records would make, or not one per record.
    for (const Places& bad : {Places{3}, Places{0, 1}, Places{}}) {
        TableStore::Detached one = t.TakeRecordsAt(Places{1});
        ASSERT_EQ(Addresses(t), "a;c;");
        EXPECT_FALSE(t.PutRecordsAt(bad, std::move(one)));
        EXPECT_EQ(Addresses(t), "a;c;");
        t.InsertEmptyRecord(1);
        t.SetText(1, TableStore::kAddress, "b");
    }
    TableStore::Detached one = t.TakeRecordsAt(Places{1});
    EXPECT_TRUE(t.PutRecordsAt(Places{2}, std::move(one)));
    EXPECT_EQ(Addresses(t), "a;c;b;");
}
