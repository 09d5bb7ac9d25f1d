#include "core/TableStore.h"

#include <cctype>
#include <gtest/gtest.h>
#include <set>
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
    void RecordsChanged(TableStore::Row first, TableStore::Row last) override {
        heard.push_back("change " + std::to_string(first) + "-" + std::to_string(last));
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

TEST(TableStoreDetach, takenRecordsArriveAsOneInsertionWithoutTheAddressesHeldAlready) {
    TableStore target;
    target.AppendRecord("", "http://a/", "", "");
    target.AppendRecord("empty address", "", "", "");
    Recorder targetHeard;
    target.AddObserver(&targetHeard);
    TableStore source;
    // A repeat of the target's address, then one of the file's own; records without an address
    // (one of them wholly empty) are never repeats. The two double-byte characters differ only
    // in bit 0x20 of their second byte, which letter case never touches.
    for (const char* a :
         {"HTTP://A/", "http://b/", "http://B/", "", "", "http://c/", "\x83\x61", "\x83\x41"})
        source.AppendRecord(*a ? "n" : "", a, "", *a ? "" : "r");
    source.SetText(4, TableStore::kRemark, "");
    (void)Holds(source, "x"); // the source's index too must let go of what leaves it
    Recorder sourceHeard;
    source.AddObserver(&sourceHeard);

    EXPECT_EQ(target.AppendTakenRecords(source, true), 6);
    EXPECT_EQ(Addresses(target), "http://a/;;http://b/;;;http://c/;\x83\x61;\x83\x41;");
    EXPECT_EQ(target.Text(2, TableStore::kName), "n");
    EXPECT_EQ(target.Text(3, TableStore::kRemark), "r");
    EXPECT_EQ(targetHeard.heard, (std::vector<std::string>{"insert 2+6"}));
    for (const char* a : {"http://C/", "\x83\x61", "\x83\x41", ""})
        EXPECT_TRUE(Holds(target, a)) << a;
    // The repeats stay behind; the records taken leave empty ones.
    EXPECT_EQ(Addresses(source), "HTTP://A/;;http://B/;;;;;;");
    EXPECT_EQ(sourceHeard.heard, (std::vector<std::string>{"change 1-1", "change 3-7"}));
    EXPECT_TRUE(Holds(source, "http://b/"));
    EXPECT_FALSE(Holds(source, "http://c/"));

    // The index entries are the records': removing them removes the addresses.
    target.RemoveRecord(5);
    EXPECT_FALSE(Holds(target, "http://c/"));
    target.RemoveObserver(&targetHeard);
    source.RemoveObserver(&sourceHeard);
}

TEST(TableStoreDetach, takenRecordsKeptWithTheirRepeatsAreAllIndexed) {
    // With the target's index built before the move, or first built after it.
    for (const bool indexedBefore : {true, false}) {
        TableStore target;
        target.AppendRecord("", "http://a/", "", "");
        if (indexedBefore)
            (void)Holds(target, "x");
        TableStore source;
        for (const char* a : {"HTTP://A/", "http://a/", ""})
            source.AppendRecord("", a, "", "");
        EXPECT_EQ(target.AppendTakenRecords(source, false), 3) << indexedBefore;
        EXPECT_EQ(Addresses(target), "http://a/;HTTP://A/;http://a/;;") << indexedBefore;
        EXPECT_EQ(Addresses(source), ";;;") << indexedBefore;
        for (int left = 3; left > 0; --left) {
            EXPECT_TRUE(Holds(target, "http://A/")) << indexedBefore << left;
            target.RemoveRecord(0);
        }
        EXPECT_FALSE(Holds(target, "http://A/")) << indexedBefore;
        EXPECT_TRUE(Holds(target, "")) << indexedBefore;
    }
}

TEST(TableStoreDetach, takingFromItselfOrFromAnEmptyStoreChangesNothing) {
    TableStore target;
    target.AppendRecord("", "http://a/", "", "");
    Recorder heard;
    target.AddObserver(&heard);
    TableStore empty;
    TableStore allHeld;
    allHeld.AppendRecord("", "HTTP://A/", "", "");
    EXPECT_EQ(target.AppendTakenRecords(target, true), 0);
    EXPECT_EQ(target.AppendTakenRecords(target, false), 0);
    EXPECT_EQ(target.AppendTakenRecords(empty, false), 0);
    EXPECT_EQ(target.AppendTakenRecords(allHeld, true), 0);
    EXPECT_EQ(Addresses(target), "http://a/;");
    EXPECT_EQ(Addresses(allHeld), "HTTP://A/;");
    EXPECT_EQ(heard.heard.size(), 0u);
    target.RemoveObserver(&heard);
}

TEST(TableStoreDetach, repeatsCloserThanTheLookupsAheadStayBehind) {
    // Lookups are started some records ahead of the one entered: a repeat right behind its first
    // must still find it, whether the run ends short of that distance, at it or past it.
    for (const int distinct : {1, 15, 16, 17, 31, 32, 33, 100}) {
        TableStore target;
        TableStore source;
        std::string expected;
        for (int i = 0; i < distinct; ++i) {
            const std::string address = "http://page/" + std::to_string(i) + "/";
            source.AppendRecord("", address, "", "");
            source.AppendRecord("", "HTTP://PAGE/" + std::to_string(i) + "/", "", "");
            expected += address + ";";
        }
        EXPECT_EQ(target.AppendTakenRecords(source, true), distinct) << distinct;
        EXPECT_EQ(Addresses(target), expected) << distinct;
        EXPECT_EQ(source.RecordCount(), 2 * distinct) << distinct;
    }
}

TEST(TableStoreDetach, aLongRunOfTakenRecordsKeepsTheFirstOfEveryAddress) {
    // Long enough for the addresses to be hashed on a second thread where one is free; the
    // outcome is the same either way.
    TableStore target;
    for (int i = 0; i < 50; ++i)
        target.AppendRecord("", "http://held/" + std::to_string(i * 997) + "/", "", "");
    TableStore source;
    std::vector<std::string> expected;
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i)
        seen.insert("HTTP://HELD/" + std::to_string(i * 997) + "/");
    for (int i = 0; i < 40000; ++i) {
        std::string address;
        if (i % 1000 == 999)
            address = ""; // never a repeat
        else if (i % 997 == 0)
            address = "HTTP://held/" + std::to_string(i) + "/";
        else if (i >= 20000 && i % 7 == 0)
            address = "HTTP://PAGE/" + std::to_string(i - 20000) + "/";
        else
            address = "http://page/" + std::to_string(i) + "/";
        source.AppendRecord("n", address, "", "");
        std::string upper = address;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (address.empty() || seen.insert(upper).second)
            expected.push_back(address);
    }
    const TableStore::Row before = target.RecordCount();
    ASSERT_EQ(target.AppendTakenRecords(source, true),
              static_cast<TableStore::Row>(expected.size()));
    std::size_t wrong = 0;
    for (std::size_t k = 0; k < expected.size(); ++k)
        wrong += target.Text(before + static_cast<TableStore::Row>(k), TableStore::kAddress) !=
                 expected[k];
    EXPECT_EQ(wrong, 0u);
    EXPECT_TRUE(Holds(target, "http://PAGE/39997/"));
    EXPECT_TRUE(Holds(target, "http://HELD/997/"));
}
