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
    EXPECT_EQ(tail.Count(), 0);
    t.PutRecords(0, std::move(tail)); // nothing to put
    EXPECT_EQ(t.RecordCount(), 3);
}

TEST(TableStoreDetach, scatteredRecordsTakenAtTheirRowsGoBackThereInFewOrManyRuns) {
    struct Case {
        const char* what;
        int records;
        int every; // every n-th record is taken
        bool announcedAsReset;
    };
    const Case cases[] = {
        {"few runs: one removal each", 12, 3, false},
        {"many runs: a reset", 400, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TableStore t;
        for (int i = 0; i < c.records; ++i)
            t.AppendRecord("n", "http://h/" + std::to_string(i), "", "");
        t.InsertEmptyRecord(1);
        (void)Holds(t, "x"); // builds the index, which must follow
        const std::string before = Addresses(t);
        // Every n-th record and the last one, so a run ends at the very end.
        std::vector<TableStore::Row> rows;
        std::string left;
        const TableStore::Row last = t.RecordCount() - 1;
        for (TableStore::Row r = 0; r <= last; ++r) {
            if (r % c.every == 1 || r == last)
                rows.push_back(r);
            else
                left += std::string(t.Text(r, TableStore::kAddress)) + ";";
        }

        struct ResetRecorder final : TableStore::Observer {
            void BeginReset() override { ++resets; }
            void RecordsAboutToBeRemoved(TableStore::Row, TableStore::Row) override { ++runs; }
            void RecordsAboutToBeInserted(TableStore::Row, TableStore::Row) override { ++runs; }
            int resets = 0;
            int runs = 0;
        } heard;
        t.AddObserver(&heard);
        const std::string gone(t.Text(rows[1], TableStore::kAddress));
        TableStore::Detached taken = t.TakeRecordsAt(rows);
        EXPECT_EQ(taken.Count(), static_cast<TableStore::Row>(rows.size()));
        EXPECT_EQ(Addresses(t), left);
        EXPECT_FALSE(Holds(t, gone));
        EXPECT_TRUE(Holds(t, "http://h/0"));

        t.PutRecordsAt(rows, std::move(taken));
        EXPECT_EQ(Addresses(t), before);
        EXPECT_TRUE(Holds(t, gone));
        EXPECT_EQ(heard.resets > 0, c.announcedAsReset);
        EXPECT_EQ(heard.runs > 0, !c.announcedAsReset);
        t.RemoveObserver(&heard);
    }
}

TEST(TableStoreDetach, rowsNotAscendingOrOutsideTheRecords_takeNothing) {
    TableStore t;
    for (const char* a : {"a", "b", "c"})
        t.AppendRecord("", a, "", "");
    for (const std::vector<TableStore::Row>& rows :
         {std::vector<TableStore::Row>{2, 1}, {0, 0}, {1, 3}, {-1}}) {
        EXPECT_EQ(t.TakeRecordsAt(rows).Count(), 0);
        EXPECT_EQ(Addresses(t), "a;b;c;");
    }
}
