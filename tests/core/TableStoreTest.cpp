#include "core/TableStore.h"

#include "core/ColumnHeadings.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using namespace lh;

namespace {

// The four texts of every record, as plain strings.
using Rows = std::vector<std::vector<std::string>>;

Rows Snapshot(const TableStore& t) {
    Rows rows;
    for (TableStore::Row r = 0; r < t.RecordCount(); ++r) {
        std::vector<std::string> texts;
        for (int f = 0; f < TableStore::kFieldCount; ++f)
            texts.emplace_back(t.Text(r, f));
        rows.push_back(std::move(texts));
    }
    return rows;
}

// Records every notification, so the order views rely on can be checked.
struct RecordingObserver : TableStore::Observer {
    const TableStore* store = nullptr;
    std::vector<std::string> events;
    void BeginReset() override { events.push_back("beginReset"); }
    void EndReset() override { events.push_back("endReset"); }
    void RecordsAboutToBeInserted(TableStore::Row first, TableStore::Row count) override {
        events.push_back("aboutInsert " + std::to_string(first) + " " + std::to_string(count) +
                         " records=" + std::to_string(store->RecordCount()));
    }
    void RecordsInserted(TableStore::Row first, TableStore::Row count) override {
        events.push_back("inserted " + std::to_string(first) + " " + std::to_string(count) +
                         " records=" + std::to_string(store->RecordCount()));
    }
    void RecordsAboutToBeRemoved(TableStore::Row first, TableStore::Row count) override {
        events.push_back("aboutRemove " + std::to_string(first) + " " + std::to_string(count) +
                         " records=" + std::to_string(store->RecordCount()));
    }
    void RecordsRemoved(TableStore::Row first, TableStore::Row count) override {
        events.push_back("removed " + std::to_string(first) + " " + std::to_string(count) +
                         " records=" + std::to_string(store->RecordCount()));
    }
    void RecordsChanged(TableStore::Row first, TableStore::Row last) override {
        events.push_back("changed " + std::to_string(first) + " " + std::to_string(last));
    }
};

} // namespace

TEST(TableStore, newStore_holdsNoRecordsAndHeadingsAreFixedTexts) {
    TableStore t;
    EXPECT_EQ(t.RecordCount(), 0);
    EXPECT_EQ(t.Text(0, TableStore::kName), "");
    EXPECT_EQ(kNumberHeading, "No.");
    EXPECT_EQ(FieldHeading(TableStore::kAddress), "URL/E-Mail");
    EXPECT_EQ(FieldHeading(TableStore::kName), "\x96\xBC\x91\x4F"); // 名前 in cp932
    EXPECT_EQ(FieldHeading(TableStore::kFieldCount), "");
}

TEST(TableStore, anyMixOfEdits_agreesWithAPlainListOfRecords) {
    // A plain vector of records is the reference; the store must agree after every step.
    std::mt19937 rng(1234);
    TableStore t;
    Rows ref;
    for (int step = 0; step < 3000; ++step) {
        const auto records = static_cast<TableStore::Row>(ref.size());
        // Now and then one past the end, which every change must ignore or treat as an append.
        const auto pick = [&] { return static_cast<TableStore::Row>(rng() % (records + 1)); };
        switch (rng() % 5) {
        case 0: {
            const std::string a = "http://h" + std::to_string(step);
            t.AppendRecord("n", a, "", "r");
            ref.push_back({"n", a, "", "r"});
            break;
        }
        case 1: {
            const TableStore::Row r = pick();
            t.RemoveRecord(r);
            if (r < records)
                ref.erase(ref.begin() + r);
            break;
        }
        case 2: {
            const TableStore::Row r = pick();
            t.InsertEmptyRecord(r);
            ref.insert(ref.begin() + r, {"", "", "", ""});
            break;
        }
        case 3: {
            const TableStore::Row r = pick();
            const int f = static_cast<int>(rng() % TableStore::kFieldCount);
            const std::string text = "x" + std::to_string(step);
            t.SetText(r, f, text);
            if (r < records)
                ref[static_cast<std::size_t>(r)][static_cast<std::size_t>(f)] = text;
            break;
        }
        default:
            t.AppendRecord({}, "typed" + std::to_string(step), {}, {});
            ref.push_back({"", "typed" + std::to_string(step), "", ""});
            break;
        }
        ASSERT_EQ(t.RecordCount(), static_cast<TableStore::Row>(ref.size())) << "step " << step;
    }
    EXPECT_EQ(Snapshot(t), ref);
}

TEST(TableStore, addressIndex_followsEveryChange) {
    TableStore t;
    t.AppendRecord("a", "http://One", "", "");
    t.AppendRecord("b", "http://two", "", "");
    EXPECT_TRUE(t.AddressInTable("HTTP://ONE"));
    EXPECT_TRUE(t.AddressInTable("ONE", "HTTP://"));

    // Editing an address replaces its index entry.
    t.SetText(0, TableStore::kAddress, "http://uno");
    EXPECT_FALSE(t.AddressInTable("HTTP://ONE"));
    EXPECT_TRUE(t.AddressInTable("HTTP://UNO"));

    // An empty record counts for the empty address until it gets one.
    EXPECT_FALSE(t.AddressInTable(""));
    t.InsertEmptyRecord(2);
    EXPECT_TRUE(t.AddressInTable(""));
    t.SetText(2, TableStore::kAddress, "http://three");
    EXPECT_FALSE(t.AddressInTable(""));
    EXPECT_TRUE(t.AddressInTable("HTTP://THREE"));

    // Moving records keeps the entries; removing drops exactly the removed one.
    t.InsertEmptyRecord(0);
    EXPECT_TRUE(t.AddressInTable("HTTP://UNO"));
    t.RemoveRecord(1);
    EXPECT_FALSE(t.AddressInTable("HTTP://UNO"));
    EXPECT_TRUE(t.AddressInTable("HTTP://TWO"));

    t.Clear();
    EXPECT_FALSE(t.AddressInTable("HTTP://TWO"));
}

TEST(TableStore, duplicateAddresses_stayIndexedUntilTheLastGoes) {
    TableStore t;
    t.AppendRecord("", "http://same", "", "");
    t.AppendRecord("", "HTTP://SAME", "", "");
    t.RemoveRecord(0);
    EXPECT_TRUE(t.AddressInTable("HTTP://SAME"));
    t.RemoveRecord(0);
    EXPECT_FALSE(t.AddressInTable("HTTP://SAME"));
}

// The duplicate test folds exactly like AsciiUpper: one-byte letters only, never the second byte
// of a double-byte character, and never the non-letters that differ from a letter by its case bit.
TEST(TableStore, holdsAddress_ignoresOnlyTheCaseOfOneByteLetters) {
    struct Case {
        std::string stored;
        std::string probe;
        bool held;
    };
    const std::vector<Case> cases = {
        {"http://www.example.com/Path", "HTTP://WWW.EXAMPLE.COM/PATH", true},
        {"http://www.example.com/Path", "HTTP://WWW.EXAMPLE.COM/PATX", false},
        {"http://www.example.com/Path", "http://www.example.com/Pat", false},
        {"http://a[b", "HTTP://A{B", false},
        {"x@y^z", "X`Y~Z", false},
        {"\x82\x61", "\x82\x61", true},                     // a second byte in the letter range...
        {"\x82\x61", "\x82\x41", false},                    // ...is kept as it is
        {"http://w\x93\xFAxy", "HTTP://W\x93\xFAXY", true}, // letters after a double-byte one
        {"http://w\x93\xFAxy", "HTTP://W\x93\xFAXy", true},
        {"http://www.a\x93", "HTTP://WWW.A\x93", true}, // a lead byte at the very end
        {"http://abcdefgh\x82\x61ijklmnop", "HTTP://ABCDEFGH\x82\x61IJKLMNOP", true},
        {"http://abcdefgh\x82\x61ijklmnop", "HTTP://ABCDEFGH\x82\x41IJKLMNOP", false},
    };
    for (const Case& c : cases) {
        TableStore t;
        t.AppendRecord("", "http://other", "", "");
        t.AppendRecord("", c.stored, "", "");
        EXPECT_EQ(t.HoldsAddress(c.probe, TableStore::AddressHash(c.probe)), c.held)
            << c.stored << " / " << c.probe;
        t.RemoveRecord(1);
        EXPECT_FALSE(t.HoldsAddress(c.probe, TableStore::AddressHash(c.probe))) << c.probe;
    }
}

// A scan settles most of its addresses with the candidate alone, so the candidate must be the
// stored text the key agrees with, and nothing once that record is gone.
TEST(TableStore, candidateAddress_isTheStoredTextOfTheKeyOrNothing) {
    TableStore t;
    EXPECT_EQ(t.CandidateAddress(TableStore::AddressHash("HTTP://A/")), "");
    for (int i = 0; i < 1000; ++i)
        t.AppendRecord("name", "http://Site" + std::to_string(i) + "/", "", "");
    for (const std::string key : {"HTTP://SITE0/", "http://site999/", "Http://Site500/"}) {
        const std::string_view candidate = t.CandidateAddress(TableStore::AddressHash(key));
        EXPECT_TRUE(TableStore::SameAddress(candidate, key)) << key << " / " << candidate;
    }
    for (const std::string key : {"http://site1000/", "http://site0", "mailto:site1/"})
        EXPECT_EQ(t.CandidateAddress(TableStore::AddressHash(key)), "") << key;
    t.RemoveRecord(0);
    EXPECT_EQ(t.CandidateAddress(TableStore::AddressHash("http://site0/")), "");
}

TEST(TableStore, outOfRangeRecordsAndFields_areIgnored) {
    TableStore t;
    t.AppendRecord("keep", "", "", "");
    t.SetText(-1, TableStore::kName, "before");
    t.SetText(1, TableStore::kName, "beyond");
    t.SetText(0, -1, "no field");
    t.SetText(0, TableStore::kFieldCount, "no field");
    t.RemoveRecord(1);
    t.RemoveRecord(-1);
    t.InsertEmptyRecord(2);
    t.InsertEmptyRecord(-1);
    EXPECT_EQ(t.RecordCount(), 1);
    EXPECT_EQ(t.Text(0, TableStore::kName), "keep");
    EXPECT_EQ(t.Text(0, TableStore::kFieldCount), "");
    EXPECT_EQ(t.Text(1, TableStore::kName), "");
}

TEST(TableStore, observers_areEachToldBeforeAndAfterEachStructuralChange) {
    TableStore t;
    RecordingObserver first;
    RecordingObserver second;
    first.store = &t;
    second.store = &t;
    t.AddObserver(&first);
    t.AddObserver(&second);
    t.AddObserver(&first); // once is enough

    t.AppendRecord("n", "http://a", "", "");
    t.InsertEmptyRecord(0);
    t.RemoveRecord(1);
    t.SetText(0, TableStore::kName, "x");
    t.SetText(0, TableStore::kName, "x"); // no change, no word
    t.Clear();
    t.RemoveObserver(&second);
    t.AppendRecord("n", "http://b", "", "");

    const std::vector<std::string> told{"aboutInsert 0 1 records=0",
                                        "inserted 0 1 records=1",
                                        "aboutInsert 0 1 records=1",
                                        "inserted 0 1 records=2",
                                        "aboutRemove 1 1 records=2",
                                        "removed 1 1 records=1",
                                        "changed 0 0",
                                        "beginReset",
                                        "endReset"};
    std::vector<std::string> toldFirst = told;
    toldFirst.push_back("aboutInsert 0 1 records=0");
    toldFirst.push_back("inserted 0 1 records=1");
    EXPECT_EQ(first.events, toldFirst);
    EXPECT_EQ(second.events, told);
    t.RemoveObserver(&first);
}

TEST(TableStore, swap_takesOverAFreshlyLoadedTable) {
    TableStore shown;
    shown.AppendRecord("old", "http://old", "", "");
    TableStore loaded;
    loaded.AppendRecord("new1", "http://new1", "", "");
    loaded.AppendRecord("new2", "http://new2", "", "");
    shown.Swap(loaded);
    EXPECT_EQ(shown.RecordCount(), 2);
    EXPECT_EQ(shown.Text(1, TableStore::kName), "new2");
    EXPECT_TRUE(shown.AddressInTable("HTTP://NEW1"));
    EXPECT_FALSE(shown.AddressInTable("HTTP://OLD"));
    EXPECT_EQ(loaded.Text(0, TableStore::kName), "old");
}

TEST(TableStore, memoryPerRecord_staysCloseToItsText) {
    TableStore t;
    const std::string address(40, 'a');
    for (int i = 0; i < 10000; ++i)
        t.AppendRecord("name", address, "2024/01/01 00:00:00", "");
    const std::size_t text = 4 + 40 + 19;
    const std::size_t perRecord = t.MemoryUsage() / 10000;
    // Lengths, the row pointer and one index node: a fixed few dozen bytes beside the text.
    EXPECT_LE(perRecord, text + 72) << "bytes per record " << perRecord;
}

TEST(TableStore, reorderRecords_movesEveryRecordAndKeepsTheAddressIndex) {
    TableStore t;
    t.AppendRecord("a", "http://a", "", "");
    t.AppendRecord("", "", "", ""); // an empty record moves like any other
    t.AppendRecord("c", "http://C", "2024/01/01 00:00:00", "r");
    EXPECT_TRUE(t.AddressInTable("HTTP://A")); // the index is built before the move
    RecordingObserver seen;
    seen.store = &t;
    t.AddObserver(&seen);
    const std::vector<std::size_t> order = {2, 0, 1};
    ASSERT_TRUE(t.ReorderRecords(order));
    EXPECT_EQ(Snapshot(t), (Rows{{"c", "http://C", "2024/01/01 00:00:00", "r"},
                                 {"a", "http://a", "", ""},
                                 {"", "", "", ""}}));
    EXPECT_EQ(seen.events, (std::vector<std::string>{"beginReset", "endReset"}));
    EXPECT_TRUE(t.AddressInTable("HTTP://C"));
    t.RemoveRecord(0); // the index still finds the moved record's own bytes to remove
    EXPECT_FALSE(t.AddressInTable("HTTP://C"));
    EXPECT_TRUE(t.AddressInTable("HTTP://A"));
    t.RemoveObserver(&seen);
}

TEST(TableStore, reorderRecords_refusesAnythingButAPermutation) {
    TableStore t;
    t.AppendRecord("a", "http://a", "", "");
    t.AppendRecord("b", "http://b", "", "");
    const Rows before = Snapshot(t);
    const std::vector<std::vector<std::size_t>> bad = {{0}, {0, 0}, {1, 2}, {0, 1, 1}, {}};
    for (const auto& order : bad) {
        EXPECT_FALSE(t.ReorderRecords(order));
        EXPECT_EQ(Snapshot(t), before);
    }
}
