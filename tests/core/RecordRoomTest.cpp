#include "core/RecordRoom.h"

#include "core/TableStore.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace lh;

namespace {

struct Piece {
    char* bytes;
    std::size_t size;
    char fill;
};

// Pieces from none to far past a block's share for one record, each filled with its own byte,
// small and large mixed.
std::vector<Piece> TakePieces(RecordRoom& room, int count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<Piece> pieces;
    for (int i = 0; i < count; ++i) {
        const std::size_t size = i % 97 == 0 ? 20000 + random() % 50000 : random() % 300;
        Piece piece{static_cast<char*>(room.Take(size)), size, static_cast<char>('A' + i % 26)};
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(piece.bytes) % 8, 0u) << size;
        std::memset(piece.bytes, piece.fill, size);
        pieces.push_back(piece);
    }
    return pieces;
}

bool Intact(const Piece& piece) {
    return std::all_of(piece.bytes, piece.bytes + piece.size,
                       [&piece](char c) { return c == piece.fill; });
}

} // namespace

TEST(RecordRoom, piecesOutliveTheirRoomAndEveryBlockGoesBackWithItsLastPiece) {
    const std::size_t before = RecordRoom::LiveBlocks();
    std::vector<Piece> pieces;
    {
        RecordRoom room;
        pieces = TakePieces(room, 5000, 1);
    }
    std::shuffle(pieces.begin(), pieces.end(), std::mt19937(2));
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        ASSERT_TRUE(Intact(pieces[i])) << i;
        RecordRoom::Give(pieces[i].bytes);
    }
    EXPECT_EQ(RecordRoom::LiveBlocks(), before);
}

TEST(RecordRoom, piecesTakenOnTwoThreadsAndGivenOnAThirdAllGoBack) {
    const std::size_t before = RecordRoom::LiveBlocks();
    std::vector<Piece> first;
    std::vector<Piece> second;
    std::thread a([&first] {
        RecordRoom room;
        first = TakePieces(room, 3000, 3);
    });
    std::thread b([&second] {
        RecordRoom room;
        second = TakePieces(room, 3000, 4);
    });
    a.join();
    b.join();
    std::thread([&] {
        for (const std::vector<Piece>* pieces : {&first, &second})
            for (const Piece& piece : *pieces) {
                EXPECT_TRUE(Intact(piece));
                RecordRoom::Give(piece.bytes);
            }
    }).join();
    EXPECT_EQ(RecordRoom::LiveBlocks(), before);
}

TEST(RecordRoom, aMovedRoomGoesOnFillingTheSameBlock) {
    const std::size_t before = RecordRoom::LiveBlocks();
    std::optional<RecordRoom> first(std::in_place);
    void* a = first->Take(40);
    RecordRoom second(std::move(*first));
    first.reset();
    void* b = second.Take(40);
    RecordRoom third;
    third = std::move(second);
    void* c = third.Take(40);
    // Without the sanitizer's allocations of their own, all three share one block.
    EXPECT_LE(RecordRoom::LiveBlocks() - before, 1u);
    for (void* piece : {a, b, c})
        RecordRoom::Give(piece);
    EXPECT_LE(RecordRoom::LiveBlocks() - before, 1u);
    third = RecordRoom();
    EXPECT_EQ(RecordRoom::LiveBlocks(), before);
}

TEST(RecordRoom, piecesGivenBackWhileTheirBlockIsFilledLeaveItInUse) {
    const std::size_t before = RecordRoom::LiveBlocks();
    RecordRoom room;
    for (int round = 0; round < 3; ++round) {
        std::vector<Piece> pieces = TakePieces(room, 20, 5 + static_cast<unsigned>(round));
        for (const Piece& piece : pieces) {
            EXPECT_TRUE(Intact(piece));
            RecordRoom::Give(piece.bytes);
        }
    }
    std::vector<Piece> last = TakePieces(room, 20, 9);
    room = RecordRoom();
    for (const Piece& piece : last) {
        EXPECT_TRUE(Intact(piece));
        RecordRoom::Give(piece.bytes);
    }
    EXPECT_EQ(RecordRoom::LiveBlocks(), before);
}

TEST(RecordRoom, recordsTakenOverByAnotherStoreOutliveTheStoreThatMadeThem) {
    const std::size_t before = RecordRoom::LiveBlocks();
    {
        TableStore kept;
        {
            TableStore staged;
            for (int i = 0; i < 2000; ++i)
                staged.AppendRecord("name " + std::to_string(i),
                                    "http://example.com/" + std::to_string(i), "",
                                    std::string(static_cast<std::size_t>(i % 7) * 3000, 'r'));
            EXPECT_EQ(kept.AppendTakenRecords(staged, true), 2000);
            staged.SetText(0, TableStore::kName, "left behind");
        }
        ASSERT_EQ(kept.RecordCount(), 2000);
        for (TableStore::Row r = 0; r < kept.RecordCount(); r += 97) {
            EXPECT_EQ(kept.Text(r, TableStore::kAddress),
                      "http://example.com/" + std::to_string(r));
            EXPECT_EQ(kept.Text(r, TableStore::kRemark).size(),
                      static_cast<std::size_t>(r % 7) * 3000);
        }
        kept.SetText(5, TableStore::kName, "changed");
        kept.RemoveRecord(6);
        EXPECT_EQ(kept.Text(5, TableStore::kName), "changed");
    }
    EXPECT_EQ(RecordRoom::LiveBlocks(), before);
}
