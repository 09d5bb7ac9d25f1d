#include "RecordRoom.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

namespace lh {

namespace {

// Set by the build: sanitized builds give each record an allocation of its own.
constexpr bool kEachRecordAlone = LINKHIVE_EACH_RECORD_ALONE != 0;

// 64 KiB less what the allocator keeps beside it, so that a block takes whole pages.
constexpr std::size_t kBlockBytes = (std::size_t{64} << 10) - 64;
// Longer pieces get an allocation of their own: the room a block leaves unused at its end
// stays small.
constexpr std::size_t kOwnAllocationFrom = kBlockBytes / 8;

std::atomic<std::size_t> g_liveBlocks{0};

} // namespace

// At the start of each block. Each piece of room begins with a pointer to its block, or null
// for an allocation of its own.
struct RecordRoom::Block {
    // While a room fills the block, kFilling less the pieces given back: the room counts the
    // pieces it hands out itself, with no atomic step for each, and settles when it lets go.
    // From then on, the pieces handed out and not given back.
    static constexpr std::size_t kFilling = std::size_t{1} << (sizeof(std::size_t) * 8 - 2);
    std::atomic<std::size_t> live{kFilling};

    // Takes `count` off; the block goes when nothing is left.
    static void Drop(Block* block, std::size_t count) noexcept {
        if (block->live.fetch_sub(count, std::memory_order_acq_rel) == count) {
            block->~Block();
            std::free(block);
            g_liveBlocks.fetch_sub(1, std::memory_order_relaxed);
        }
    }
};

RecordRoom::~RecordRoom() {
    LetGoOfBlock();
}

RecordRoom::RecordRoom(RecordRoom&& other) noexcept
    : m_block(std::exchange(other.m_block, nullptr)), m_used(std::exchange(other.m_used, 0)),
      m_handedOut(std::exchange(other.m_handedOut, 0)) {}

RecordRoom& RecordRoom::operator=(RecordRoom&& other) noexcept {
    if (this != &other) {
        LetGoOfBlock();
        m_block = std::exchange(other.m_block, nullptr);
        m_used = std::exchange(other.m_used, 0);
        m_handedOut = std::exchange(other.m_handedOut, 0);
    }
    return *this;
}

void RecordRoom::LetGoOfBlock() noexcept {
    if (m_block)
        Block::Drop(std::exchange(m_block, nullptr), Block::kFilling - m_handedOut);
    m_used = 0;
    m_handedOut = 0;
}

void* RecordRoom::Take(std::size_t bytes) {
    static_assert(kOverheadBytes == sizeof(Block*) && kOverheadBytes % 8 == 0);
    if (kEachRecordAlone || bytes >= kOwnAllocationFrom) {
        if (bytes > SIZE_MAX - kOverheadBytes)
            throw std::bad_alloc();
        void* const own = std::malloc(kOverheadBytes + bytes);
        if (!own)
            throw std::bad_alloc();
        *static_cast<Block**>(own) = nullptr;
        return static_cast<char*>(own) + kOverheadBytes;
    }
    const std::size_t piece = kOverheadBytes + ((bytes + 7) & ~std::size_t{7});
    if (!m_block || kBlockBytes - m_used < piece) {
        void* const memory = std::malloc(kBlockBytes);
        if (!memory)
            throw std::bad_alloc();
        g_liveBlocks.fetch_add(1, std::memory_order_relaxed);
        Block* const fresh = new (memory) Block;
        LetGoOfBlock();
        m_block = fresh;
        m_used = (sizeof(Block) + 7) & ~std::size_t{7};
    }
    char* const at = reinterpret_cast<char*>(m_block) + m_used;
    m_used += piece;
    ++m_handedOut;
    *reinterpret_cast<Block**>(at) = m_block;
    return at + kOverheadBytes;
}

void RecordRoom::Give(void* room) noexcept {
    if (!room)
        return;
    char* const at = static_cast<char*>(room) - kOverheadBytes;
    if (Block* const block = *reinterpret_cast<Block**>(at))
        Block::Drop(block, 1);
    else
        std::free(at);
}

std::size_t RecordRoom::LiveBlocks() noexcept {
    return g_liveBlocks.load(std::memory_order_relaxed);
}

} // namespace lh
