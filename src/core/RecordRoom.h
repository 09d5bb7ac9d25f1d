#pragma once

// Room for a table's records. A store makes records by the hundred thousand when a bookmark file
// is imported or a collection loaded, and one allocation for a block of some hundreds of them
// costs far less than one each. A block goes back once the last record in it does: records move
// between stores, may outlive the store that made them, and may be freed on any thread.
//
// A block stays as long as any record in it: a collection that loses most of its records keeps
// their blocks until the last record of each goes, as a heap keeps the pages its survivors hold.
//
// Records too large to share a block, and all records under the address sanitizer (so that a
// read past one is still caught), get an allocation of their own.

#include <cstddef>

namespace lh {

class RecordRoom {
public:
    // What each piece of room costs beyond the bytes asked for: it tells its block.
    static constexpr std::size_t kOverheadBytes = sizeof(void*);

    RecordRoom() noexcept = default;
    ~RecordRoom();
    RecordRoom(RecordRoom&& other) noexcept;
    RecordRoom& operator=(RecordRoom&& other) noexcept;
    RecordRoom(const RecordRoom&) = delete;
    RecordRoom& operator=(const RecordRoom&) = delete;

    // Room for `bytes` bytes at an 8-byte boundary; throws std::bad_alloc.
    void* Take(std::size_t bytes);
    // Gives back room that any RecordRoom's Take handed out, on any thread.
    static void Give(void* room) noexcept;
    // Blocks taken and not yet given back in the whole program, for tests.
    static std::size_t LiveBlocks() noexcept;

private:
    struct Block;

    void LetGoOfBlock() noexcept;

    Block* m_block = nullptr;    // the block being filled
    std::size_t m_used = 0;      // bytes of it handed out, its header included
    std::size_t m_handedOut = 0; // pieces of it handed out
};

} // namespace lh
