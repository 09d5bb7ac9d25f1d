#include "core/DuplicateRemoval.h"

#include "CollectionSnapshot.h"
#include "core/RecordCommands.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace lh;

namespace {

using test::CollectionTexts;
using test::Snapshot;

// Records named by their place, so the test sees which of equal addresses stayed.
void Fill(Document& doc, const std::vector<std::string>& addresses) {
    for (std::size_t i = 0; i < addresses.size(); ++i)
        doc.Table().AppendRecord("n" + std::to_string(i), addresses[i],
                                 i % 2 ? "2024/01/02 03:04" : "", "r" + std::to_string(i));
    doc.ResetState({});
}

std::vector<std::string> Names(const TableStore& table) {
    std::vector<std::string> names;
    for (TableStore::Row r = 0; r < table.RecordCount(); ++r)
        names.emplace_back(table.Text(r, TableStore::kName));
    return names;
}

bool Holds(const TableStore& table, const std::string& address) {
    return table.HoldsAddress(address, TableStore::AddressHash(address));
}

struct DedupeCase {
    const char* what;
    std::vector<std::string> addresses;
    std::vector<std::string> kept; // names of the records left
    TableStore::Row firstRemoved;
};

} // namespace

// Remove duplicates, then undo and redo it twice: each time the whole collection is exactly the
// one before or the one after, and the duplicate test sees what the table holds.
TEST(RemoveDuplicateRecords, undoPutsEveryRecordBackAtItsPlaceAndRedoTakesThemAgain) {
    const std::vector<DedupeCase> cases = {
        {"duplicates of the first record, the last one among them",
         {"http://a/", "http://b/", "http://a/", "http://c/", "http://a/"},
         {"n0", "n1", "n3"},
         2},
        {"every record after the first repeats it",
         {"mailto:x@y", "mailto:x@y", "mailto:x@y", "mailto:x@y"},
         {"n0"},
         1},
        {"letter case folded, the first spelling stays",
         {"HTTP://Q.EXAMPLE/", "http://p/", "http://q.example/", "Http://Q.Example/"},
         {"n0", "n1"},
         2},
        {"empty addresses never count, also between duplicates",
         {"", "http://a/", "", "http://a/", ""},
         {"n0", "n1", "n2", "n4"},
         3},
        {"double-byte characters whose second byte is a letter are not folded",
         {"http://\x83\x61/", "http://\x83\x41/", "HTTP://\x83\x41/", "http://\x83\x61/"},
         {"n0", "n1"},
         2},
        {"a stray lead byte before a blank leaves the letter after it folded",
         {"http://\x83 a", "http://\x83 A",
          "http://\x83"
          "a"},
         {"n0", "n2"},
         1},
    };
    for (const DedupeCase& c : cases) {
        SCOPED_TRACE(c.what);
        Document doc;
        Fill(doc, c.addresses);
        (void)Holds(doc.Table(), "x"); // an index that the removal must keep in step
        const CollectionTexts before = Snapshot(doc.Table());

        const DuplicatesRemoved removed = RemoveDuplicateRecords(doc);
        EXPECT_EQ(removed.count, c.addresses.size() - c.kept.size());
        EXPECT_EQ(removed.first, c.firstRemoved);
        EXPECT_EQ(Names(doc.Table()), c.kept);
        const CollectionTexts after = Snapshot(doc.Table());
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(doc.Edits().UndoName(), kRemoveDuplicatesStepName);
        EXPECT_EQ(RemoveDuplicateRecords(doc).count, 0u) << "nothing is left to remove";

        for (int round = 0; round < 2; ++round) {
            TableStore::Row where = -2;
            ASSERT_TRUE(doc.Undo(&where));
            EXPECT_EQ(Snapshot(doc.Table()), before);
            EXPECT_FALSE(doc.IsModified());
            EXPECT_EQ(where, c.firstRemoved);
            for (const std::string& address : c.addresses)
                EXPECT_TRUE(Holds(doc.Table(), address)) << address;
            ASSERT_TRUE(doc.Redo());
            EXPECT_EQ(Snapshot(doc.Table()), after);
            EXPECT_TRUE(doc.IsModified());
            for (const std::string& address : c.addresses)
                EXPECT_TRUE(Holds(doc.Table(), address)) << address;
        }
    }
}

TEST(RemoveDuplicateRecords, withoutDuplicatesRecordsNoStepAndLeavesTheDocumentClean) {
    for (const std::vector<std::string>& addresses : std::vector<std::vector<std::string>>{
             {}, {"http://a/", "http://b/", "", ""}, {"http://a/", "http://a/ "}}) {
        Document doc;
        Fill(doc, addresses);
        const CollectionTexts before = Snapshot(doc.Table());
        EXPECT_EQ(RemoveDuplicateRecords(doc).count, 0u);
        EXPECT_EQ(Snapshot(doc.Table()), before);
        EXPECT_FALSE(doc.IsModified());
        EXPECT_FALSE(doc.Edits().CanUndo());
    }
}

// The removal follows an edit, and undoing it first lets the edit be undone in turn.
TEST(RemoveDuplicateRecords, undoneAfterAnEditBothComeBackInOrder) {
    Document doc;
    Fill(doc, {"http://a/", "http://b/", "HTTP://B/"});
    const CollectionTexts original = Snapshot(doc.Table());
    ASSERT_TRUE(CommitCellText(doc, 0, TableStore::kAddress, "http://B/"));
    const CollectionTexts edited = Snapshot(doc.Table());
    ASSERT_EQ(RemoveDuplicateRecords(doc).count, 2u);
    EXPECT_EQ(Names(doc.Table()), (std::vector<std::string>{"n0"}));
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(Snapshot(doc.Table()), edited);
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(Snapshot(doc.Table()), original);
    EXPECT_FALSE(doc.IsModified());
}

TEST(DuplicatesRemovedText, countsWithGroupsAndNamesTheWholeCollectionUnderAFilter) {
    EXPECT_EQ(DuplicatesRemovedText(3, false), "3 件の重複を削除しました。");
    EXPECT_EQ(DuplicatesRemovedText(400000, false), "400,000 件の重複を削除しました。");
    EXPECT_EQ(DuplicatesRemovedText(0, false), "重複したアドレスのレコードはありません。");
    EXPECT_EQ(DuplicatesRemovedText(1, true),
              "1 件の重複を削除しました。\n"
              "(絞り込み表示に関係なく、すべてのレコードを対象にしました。)");
}
