#include "core/TableStore.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using namespace lh;

namespace {

// Columns 1..4 of every row below the headings, as plain strings.
using Rows = std::vector<std::vector<std::string>>;

Rows Snapshot(const TableStore& t) {
    Rows rows;
    for (TableStore::Row r = 1; r < t.RowCount(); ++r)
        rows.push_back({t.Cell(r, 1), t.Cell(r, 2), t.Cell(r, 3), t.Cell(r, 4)});
    return rows;
}

void ExpectNumberedWithEmptyEntryRow(const TableStore& t) {
    for (TableStore::Row r = 1; r < t.RowCount(); ++r)
        ASSERT_EQ(t.Cell(r, 0), std::to_string(r)) << "row " << r;
    for (int c = 1; c <= 4; ++c)
        EXPECT_EQ(t.Cell(t.EntryRow(), c), "") << "entry row column " << c;
}

// Records every notification, so the order views rely on can be checked.
struct RecordingObserver : TableStore::Observer {
    const TableStore* store = nullptr;
    std::vector<std::string> events;
    void BeginReset() override { events.push_back("beginReset"); }
    void EndReset() override { events.push_back("endReset"); }
    void RowsAboutToBeInserted(TableStore::Row first, TableStore::Row count) override {
        events.push_back("aboutInsert " + std::to_string(first) + " " + std::to_string(count) +
                         " rows=" + std::to_string(store->RowCount()));
    }
    void RowsInserted(TableStore::Row first, TableStore::Row count) override {
        events.push_back("inserted " + std::to_string(first) + " " + std::to_string(count) +
                         " rows=" + std::to_string(store->RowCount()));
    }
    void RowsAboutToBeRemoved(TableStore::Row first, TableStore::Row count) override {
        events.push_back("aboutRemove " + std::to_string(first) + " " + std::to_string(count) +
                         " rows=" + std::to_string(store->RowCount()));
    }
    void RowsRemoved(TableStore::Row first, TableStore::Row count) override {
        events.push_back("removed " + std::to_string(first) + " " + std::to_string(count) +
                         " rows=" + std::to_string(store->RowCount()));
    }
    void CellsChanged(TableStore::Row first, TableStore::Row last) override {
        events.push_back("cells " + std::to_string(first) + " " + std::to_string(last));
    }
};

} // namespace

TEST(TableStore, newStore_hasHeadingAndNumberedEntryRow) {
    TableStore t;
    EXPECT_EQ(t.RowCount(), 2);
    EXPECT_EQ(t.Cell(1, 0), "1");
    EXPECT_EQ(t.Cell(0, 2), "URL/E-Mail");
    EXPECT_EQ(t.Cell(0, 1), "\x96\xBC\x91\x4F"); // 名前 in cp932
}

TEST(TableStore, anyMixOfEdits_keepsNumbersByPositionAndAnEmptyEntryRow) {
    // A plain vector of rows is the reference; the store must agree after every step.
    std::mt19937 rng(1234);
    TableStore t;
    Rows ref{{"", "", "", ""}};
    for (int step = 0; step < 3000; ++step) {
        const auto records = static_cast<TableStore::Row>(ref.size()) - 1;
        const auto pick = [&] {
            return records > 0 ? static_cast<TableStore::Row>(rng() % records) + 1 : 1;
        };
        switch (rng() % 5) {
        case 0: {
            const std::string a = "http://h" + std::to_string(step);
            t.AppendRecord("n", a, "", "r");
            ref.back() = {"n", a, "", "r"};
            ref.push_back({"", "", "", ""});
            break;
        }
        case 1: {
            const TableStore::Row r = pick();
            t.DeleteRowShift(r);
            if (records > 0)
                ref.erase(ref.begin() + (r - 1));
            break;
        }
        case 2: {
            const TableStore::Row r = pick();
            t.InsertRowShift(r);
            if (records > 0)
                ref.insert(ref.begin() + (r - 1), {"", "", "", ""});
            break;
        }
        case 3: {
            const TableStore::Row r = pick();
            const int c = static_cast<int>(rng() % 4) + 1;
            const std::string text = "x" + std::to_string(step);
            t.SetCell(r, c, text);
            if (records > 0)
                ref[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)] = text;
            break;
        }
        default:
            // Typing into the entry row turns it into a record with a new entry row.
            t.SetCell(t.EntryRow(), 2, "typed" + std::to_string(step));
            t.AppendRow();
            ref.back()[1] = "typed" + std::to_string(step);
            ref.push_back({"", "", "", ""});
            break;
        }
        ASSERT_EQ(t.RowCount(), static_cast<TableStore::Row>(ref.size()) + 1) << "step " << step;
    }
    EXPECT_EQ(Snapshot(t), ref);
    ExpectNumberedWithEmptyEntryRow(t);
}

TEST(TableStore, addressIndex_followsEveryChange) {
    TableStore t;
    t.AppendRecord("a", "http://One", "", "");
    t.AppendRecord("b", "http://two", "", "");
    EXPECT_TRUE(t.AddressInTable("HTTP://ONE"));
    EXPECT_TRUE(t.AddressInTable("ONE", "HTTP://"));

    // Editing an address replaces its index entry.
    t.SetCell(1, 2, "http://uno");
    EXPECT_FALSE(t.AddressInTable("HTTP://ONE"));
    EXPECT_TRUE(t.AddressInTable("HTTP://UNO"));

    // The entry row counts only once it has become a record.
    t.SetCell(t.EntryRow(), 2, "http://three");
    EXPECT_FALSE(t.AddressInTable("HTTP://THREE"));
    t.AppendRow();
    EXPECT_TRUE(t.AddressInTable("HTTP://THREE"));

    // Shifting rows keeps the entries; deleting drops exactly the deleted one.
    t.InsertRowShift(1);
    EXPECT_TRUE(t.AddressInTable("HTTP://UNO"));
    t.DeleteRowShift(2);
    EXPECT_FALSE(t.AddressInTable("HTTP://UNO"));
    EXPECT_TRUE(t.AddressInTable("HTTP://TWO"));

    t.Clear();
    EXPECT_FALSE(t.AddressInTable("HTTP://TWO"));
}

TEST(TableStore, duplicateAddresses_stayIndexedUntilTheLastGoes) {
    TableStore t;
    t.AppendRecord("", "http://same", "", "");
    t.AppendRecord("", "HTTP://SAME", "", "");
    t.DeleteRowShift(1);
    EXPECT_TRUE(t.AddressInTable("HTTP://SAME"));
    t.DeleteRowShift(1);
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
        t.DeleteRowShift(2);
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
    t.DeleteRowShift(1);
    EXPECT_EQ(t.CandidateAddress(TableStore::AddressHash("http://site0/")), "");
}

TEST(TableStore, fixedCellsAndOutOfRangeRows_areIgnored) {
    TableStore t;
    t.SetCell(0, 1, "heading");
    t.SetCell(1, 0, "99");
    t.SetCell(5, 1, "beyond");
    t.DeleteRowShift(1); // the entry row cannot be deleted
    t.InsertRowShift(1); // nor can a row be inserted above it
    EXPECT_EQ(t.RowCount(), 2);
    EXPECT_EQ(t.Cell(1, 0), "1");
    EXPECT_EQ(t.Cell(0, 1), std::string(TableStore::Heading(1)));
    EXPECT_EQ(t.Cell(1, 1), "");
}

TEST(TableStore, observer_isToldBeforeAndAfterEachStructuralChange) {
    TableStore t;
    RecordingObserver o;
    o.store = &t;
    t.SetObserver(&o);

    t.AppendRecord("n", "http://a", "", "");
    t.InsertRowShift(1);
    t.DeleteRowShift(2);
    t.SetCell(t.EntryRow(), 1, "x");
    t.AppendRow();
    t.Clear();

    const std::vector<std::string> expected{"cells 1 1",
                                            "aboutInsert 2 1 rows=2",
                                            "inserted 2 1 rows=3",
                                            "aboutInsert 1 1 rows=3",
                                            "inserted 1 1 rows=4",
                                            "aboutRemove 2 1 rows=4",
                                            "removed 2 1 rows=3",
                                            "cells 2 2",
                                            "aboutInsert 3 1 rows=3",
                                            "inserted 3 1 rows=4",
                                            "beginReset",
                                            "endReset"};
    EXPECT_EQ(o.events, expected);
    t.SetObserver(nullptr);
}

TEST(TableStore, swap_takesOverAFreshlyLoadedTable) {
    TableStore shown;
    shown.AppendRecord("old", "http://old", "", "");
    TableStore loaded;
    loaded.AppendRecord("new1", "http://new1", "", "");
    loaded.AppendRecord("new2", "http://new2", "", "");
    shown.Swap(loaded);
    EXPECT_EQ(shown.RecordCount(), 2);
    EXPECT_EQ(shown.Cell(2, 1), "new2");
    EXPECT_TRUE(shown.AddressInTable("HTTP://NEW1"));
    EXPECT_FALSE(shown.AddressInTable("HTTP://OLD"));
    ExpectNumberedWithEmptyEntryRow(shown);
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
