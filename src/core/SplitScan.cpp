#include "SplitScan.h"

#include "InputOpen.h"
#include "LineFeed.h"
#include "ScanDecoder.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace lh {

namespace {

constexpr std::size_t kHeadroom = AddressScanner::kMaxHeldBack;

// Thrown through a waiting thread when the other side has given up.
struct ScanStopped {};

// A stretch of the file's text (code page 932) scanned as one, with room before it for bytes a
// scanner held back from the stretch before.
struct Piece {
    char* text = nullptr;
    std::size_t size = 0;
    std::uint64_t seq = 0;
    bool startsLineOpen = false; // the text before ended with an LF inside a line
    bool startsAfterCr = false;  // the text before ended with a CR
    bool continues = false;      // no line break in the piece before: this goes on with its line
    bool endsOpen = false;       // no line break here: the next piece goes on with this line
    bool last = false;           // the file's text ends here
    bool failed = false;         // the file could not be read past this
    std::int64_t fileBytes = -1; // progress in the file's own bytes, when the text is converted
};

// A block of the file as read.
struct Block {
    std::vector<char> bytes;
    Piece piece;

    char* Text() noexcept { return bytes.data() + kHeadroom; }
};

// What the scan of one block found.
struct BlockFinds {
    AddressBatch batch;
    std::size_t entriesBeforeLineEnd = 0;
    std::int64_t tooLongBeforeLineEnd = 0;
    bool lineEnded = false;
    bool ignoringAtEnd = false;

    // What it counts against the budget: its memory, and a share of its own that bounds how many
    // sets there are, even when nothing is found.
    std::size_t Bytes() const noexcept {
        return (std::size_t{4} << 10) + batch.arena.capacity() +
               batch.entries.capacity() * sizeof(AddressBatch::Entry);
    }
    void Clear() noexcept {
        batch.Clear();
        entriesBeforeLineEnd = 0;
        tooLongBeforeLineEnd = 0;
        lineEnded = ignoringAtEnd = false;
    }
};

// A scanner with its line rules, scanning blocks into Found sets.
class Lane final : public AddressSink, public LineFeed::LineEndWatch {
public:
    Lane(const SplitScan::MakeScanner& make, std::string prefix)
        : m_scanner(make(*this)), m_line(*m_scanner), m_prefix(std::move(prefix)) {}

    void Scan(const Piece& block, BlockFinds& found) {
        m_found = &found;
        std::size_t held = 0;
        if (block.continues) {
            held = m_heldSize;
            // The bytes before the piece are the block's headroom or the piece before, which
            // ends with these very bytes.
            std::memcpy(block.text - held, m_held, held);
        } else {
            m_line.Reset(block.startsLineOpen, block.startsAfterCr);
        }
        m_line.Watch(this);
        m_lineEndSeen = false;
        const char* begin = block.text - held;
        const std::size_t end = held + block.size;
        const std::size_t keep = m_line.Process(begin, end);
        m_heldSize = 0;
        if (block.last) {
            m_line.Finish(begin + end - keep, keep);
        } else if (block.endsOpen) {
            m_heldSize = keep;
            std::memcpy(m_held, begin + end - keep, keep);
        } else if (!block.failed) {
            m_line.EndAtBreak(begin + end - keep, keep);
        }
        if (!m_lineEndSeen) {
            found.entriesBeforeLineEnd = found.batch.entries.size();
            found.tooLongBeforeLineEnd = found.batch.tooLong;
        }
        found.lineEnded = m_lineEndSeen;
        found.ignoringAtEnd = m_line.Ignoring();
        const std::int64_t credit = m_line.TakeCredit();
        found.batch.progress = block.fileBytes >= 0 ? block.fileBytes : credit;
        m_found = nullptr;
    }

    void Found(std::string_view address) override { m_found->batch.Add(m_prefix, address); }
    void TooLong(std::uint64_t) override { ++m_found->batch.tooLong; }
    void FirstLineEnded() override {
        if (m_lineEndSeen)
            return;
        m_lineEndSeen = true;
        m_found->entriesBeforeLineEnd = m_found->batch.entries.size();
        m_found->tooLongBeforeLineEnd = m_found->batch.tooLong;
    }

private:
    std::unique_ptr<AddressScanner> m_scanner;
    LineFeed m_line;
    std::string m_prefix;
    BlockFinds* m_found = nullptr;
    bool m_lineEndSeen = false;
    char m_held[kHeadroom] = {};
    std::size_t m_heldSize = 0;
};

} // namespace

struct SplitScan::Shared {
    Shared(MakeScanner make, std::string prefixText, Sizes chosen)
        : makeScanner(std::move(make)), prefix(std::move(prefixText)), sizes(chosen) {
        sizes.blockBytes = std::max<std::size_t>(sizes.blockBytes, 1);
        sizes.blocks = std::max<std::size_t>(sizes.blocks, 2);
    }

    MakeScanner makeScanner;
    std::string prefix;
    Sizes sizes;

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Block> blocks;
    std::deque<Block*> free;
    std::deque<Block*> ready;                     // read, waiting to be scanned, in file order
    std::deque<std::unique_ptr<BlockFinds>> done; // by seq - nextSettle; null while not scanned
    std::vector<std::unique_ptr<BlockFinds>> spare;
    std::size_t heldBytes = 0; // of the sets in `done`
    std::uint64_t nextSettle = 0;
    std::uint64_t blockCount = 0; // known once readerDone
    bool readerDone = false;
    bool stopped = false;
    bool preparing = true; // the calling thread is in `prepare`

    // The reader's side, read by the caller only after the reader has ended.
    ReadResult read;
    std::exception_ptr readerError;

    void Reset() {
        blocks.clear();
        blocks.resize(sizes.blocks);
        free.clear();
        for (Block& b : blocks) {
            b.bytes.resize(kHeadroom + sizes.blockBytes);
            free.push_back(&b);
        }
        ready.clear();
        done.clear();
        heldBytes = 0;
        nextSettle = 0;
        blockCount = 0;
        readerDone = stopped = false;
        preparing = true;
        read = {};
        readerError = nullptr;
    }

    // With the lock held: whether a block may be scanned now. The block to be settled next
    // always may, so the budget never stops the scan.
    bool MayScan(const Piece& p) const noexcept {
        return p.seq == nextSettle ||
               heldBytes < (preparing ? sizes.aheadBytes : sizes.settlingAheadBytes);
    }

    // With the lock held.
    std::unique_ptr<BlockFinds> TakeSpare() {
        if (spare.empty())
            return std::make_unique<BlockFinds>();
        std::unique_ptr<BlockFinds> f = std::move(spare.back());
        spare.pop_back();
        return f;
    }

    // Scans `piece` on `lane` with the lock released, then files what it found; the lock is
    // held on entry and on return.
    void ScanPiece(std::unique_lock<std::mutex>& lock, Lane& lane, const Piece& piece) {
        std::unique_ptr<BlockFinds> found = TakeSpare();
        lock.unlock();
        try {
            lane.Scan(piece, *found);
        } catch (...) {
            lock.lock();
            throw;
        }
        lock.lock();
        const std::size_t slot = static_cast<std::size_t>(piece.seq - nextSettle);
        if (done.size() <= slot)
            done.resize(slot + 1);
        heldBytes += found->Bytes();
        done[slot] = std::move(found);
        changed.notify_all();
    }

    // ScanPiece for a whole block, which is free again afterwards.
    void ScanBlock(std::unique_lock<std::mutex>& lock, Lane& lane, Block& block) {
        ScanPiece(lock, lane, block.piece);
        free.push_back(&block);
        changed.notify_all();
    }

    void ReaderBody(const std::string& path, EncodingChoice encoding, bool acceptStream);
    void ReadBlocks(ScanDecoder& decoder, Lane& chainLane, Lane& lane);
    void SettleAll(Lane& lane, const Settle& settle);
};

void SplitScan::Shared::ReaderBody(const std::string& path, EncodingChoice encoding,
                                   bool acceptStream) {
    try {
        InputFile file(OpenForReading(path, acceptStream, read.errorCode));
        if (!file) {
            read.ok = false;
        } else {
            // Reads go straight into the blocks; a stream buffer would only copy twice.
            std::setvbuf(file.get(), nullptr, _IONBF, 0);
            ScanDecoder decoder(&ReadInputFile, file.get(), encoding, sizes.blockBytes);
            Lane chainLane(makeScanner, prefix);
            Lane lane(makeScanner, prefix);
            ReadBlocks(decoder, chainLane, lane);
            read.encoding = decoder.Encoding();
        }
    } catch (const ScanStopped&) {
    } catch (...) {
        readerError = std::current_exception();
    }
    std::lock_guard lock(mutex);
    readerDone = true;
    changed.notify_all();
}

void SplitScan::Shared::ReadBlocks(ScanDecoder& decoder, Lane& chainLane, Lane& lane) {
    // Text after the last line break of a block, which begins the next block.
    std::vector<char> tail;
    bool lastByteWasCr = false; // the byte before the next block's text
    bool lineOpen = false;      // the next block starts inside a line, after an LF
    bool continues = false;
    std::uint64_t fileBytes = 0;
    std::uint64_t seq = 0;
    for (bool more = true; more;) {
        Block* block = nullptr;
        {
            std::unique_lock lock(mutex);
            for (;;) {
                if (stopped)
                    throw ScanStopped{};
                // Help with the scanning when the other side falls behind, or when there is
                // nothing to read into. The latest block is taken: the other side settles in
                // file order, so it had best scan the earliest itself.
                if (!ready.empty() && (ready.size() >= 2 || free.empty()) &&
                    MayScan(ready.back()->piece)) {
                    Block* b = ready.back();
                    ready.pop_back();
                    ScanBlock(lock, lane, *b);
                    continue;
                }
                if (!free.empty())
                    break;
                changed.wait(lock);
            }
            block = free.front();
            free.pop_front();
        }
        Piece& piece = block->piece;
        char* text = block->Text();
        piece.text = text;
        piece.seq = seq++;
        piece.startsLineOpen = lineOpen;
        piece.startsAfterCr = lastByteWasCr;
        piece.continues = continues;
        piece.last = piece.failed = piece.endsOpen = false;
        if (!tail.empty())
            std::memcpy(text, tail.data(), tail.size());
        std::size_t size = tail.size();
        tail.clear();
        const std::size_t capacity = sizes.blockBytes;
        while (size < capacity) {
            errno = 0;
            const std::int64_t got = decoder.Read(text + size, capacity - size);
            if (got < 0) {
                const int err = errno;
                read.ok = false;
                read.errorCode =
                    err != 0 ? platform::MapErrnoToIoCode(err) : IoCode(IoErrorKind::ReadPastEnd);
                piece.failed = true;
                break;
            }
            if (got == 0) {
                piece.last = true;
                break;
            }
            const std::size_t fresh = static_cast<std::size_t>(got);
            const void* eof = std::memchr(text + size, kEndOfFileMark, fresh);
            if (eof) {
                size = static_cast<std::size_t>(static_cast<const char*>(eof) - text);
                piece.last = true;
                break;
            }
            size += fresh;
        }
        if (decoder.Converting()) {
            piece.fileBytes = static_cast<std::int64_t>(decoder.FileBytesRead() - fileBytes);
            fileBytes = decoder.FileBytesRead();
        } else {
            piece.fileBytes = -1;
        }
        more = !piece.last && !piece.failed;
        std::size_t cut = size;
        if (more) {
            // After the last line break; none: the line goes on into the next block.
            cut = 0;
            for (std::size_t chunkEnd = size; chunkEnd > 0 && cut == 0;) {
                const std::size_t chunkBegin = chunkEnd > 4096 ? chunkEnd - 4096 : 0;
                const char* from = text + chunkBegin;
                const std::size_t n = chunkEnd - chunkBegin;
                if (std::memchr(from, '\n', n) || std::memchr(from, '\r', n)) {
                    for (std::size_t i = chunkEnd; i > chunkBegin; --i)
                        if (text[i - 1] == '\n' || text[i - 1] == '\r') {
                            cut = i;
                            break;
                        }
                }
                chunkEnd = chunkBegin;
            }
            piece.endsOpen = cut == 0;
            if (cut == 0) {
                cut = size;
            } else {
                tail.assign(text + cut, text + size);
                const bool crBefore = cut >= 2 ? text[cut - 2] == '\r' : lastByteWasCr;
                lastByteWasCr = text[cut - 1] == '\r';
                // An LF right after a CR belongs to that line end.
                lineOpen = text[cut - 1] == '\n' && !crBefore;
            }
            if (piece.endsOpen) {
                lastByteWasCr = size > 0 && text[size - 1] == '\r';
                lineOpen = true;
            }
            continues = piece.endsOpen;
        }
        piece.size = cut;
        std::unique_lock lock(mutex);
        if (!piece.continues && !piece.endsOpen) {
            ready.push_back(block);
            changed.notify_all();
            continue;
        }
        // A line across blocks: scanned here, in order, as a single scanner would, in pieces
        // whose finds are handed on one by one.
        const std::size_t pieceBytes = std::max<std::size_t>(sizes.pieceBytes, 1);
        for (std::size_t from = 0;;) {
            Piece part = piece;
            part.text = text + from;
            part.size = std::min(pieceBytes, cut - from);
            const bool lastPart = from + part.size == cut;
            if (from > 0) {
                part.seq = seq++;
                part.continues = true;
            }
            if (!lastPart) {
                part.endsOpen = true;
                part.last = part.failed = false;
                if (part.fileBytes >= 0)
                    part.fileBytes = 0; // the block's file bytes go with its last piece
            }
            changed.wait(lock, [&] { return stopped || MayScan(part); });
            if (stopped)
                throw ScanStopped{};
            ScanPiece(lock, chainLane, part);
            if (lastPart)
                break;
            from += part.size;
        }
        free.push_back(block);
        changed.notify_all();
    }
    // Help until everything read has been scanned.
    std::unique_lock lock(mutex);
    blockCount = seq;
    while (!ready.empty()) {
        if (stopped)
            throw ScanStopped{};
        if (!MayScan(ready.back()->piece)) {
            changed.wait(lock);
            continue;
        }
        Block* b = ready.back();
        ready.pop_back();
        ScanBlock(lock, lane, *b);
    }
}

void SplitScan::Shared::SettleAll(Lane& lane, const Settle& settle) {
    // Whether the line open where the next block starts has had a NUL.
    bool ignoring = false;
    std::unique_lock lock(mutex);
    for (;;) {
        if (!done.empty() && done.front()) {
            std::unique_ptr<BlockFinds> found = std::move(done.front());
            done.pop_front();
            heldBytes -= found->Bytes();
            ++nextSettle;
            changed.notify_all();
            lock.unlock();
            if (ignoring) {
                std::vector<AddressBatch::Entry>& entries = found->batch.entries;
                entries.erase(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(
                                                                     found->entriesBeforeLineEnd));
                found->batch.tooLong -= found->tooLongBeforeLineEnd;
            }
            ignoring = found->lineEnded ? found->ignoringAtEnd : (ignoring || found->ignoringAtEnd);
            settle(found->batch);
            found->Clear();
            lock.lock();
            // Kept for reuse, with their memory: no more are ever alive than the budget allows.
            spare.push_back(std::move(found));
            continue;
        }
        if (!ready.empty() && MayScan(ready.front()->piece)) {
            Block* b = ready.front();
            ready.pop_front();
            ScanBlock(lock, lane, *b);
            continue;
        }
        if (readerDone && ready.empty() && nextSettle >= blockCount)
            return;
        changed.wait(lock);
    }
}

SplitScan::SplitScan(MakeScanner makeScanner, std::string prefix, Sizes sizes)
    : m_shared(std::make_unique<Shared>(std::move(makeScanner), std::move(prefix), sizes)) {}

SplitScan::~SplitScan() = default;

SplitScan::Run SplitScan::ScanFile(const std::string& path, EncodingChoice encoding,
                                   bool acceptStream, const std::function<bool()>& prepare,
                                   const Settle& settle, ReadResult& result) {
    Shared& s = *m_shared;
    s.Reset();
    std::thread reader;
    try {
        reader = std::thread(
            [&s, &path, encoding, acceptStream] { s.ReaderBody(path, encoding, acceptStream); });
    } catch (const std::system_error&) {
        return Run::NotStarted;
    }
    const auto stop = [&] {
        {
            std::lock_guard lock(s.mutex);
            s.stopped = true;
        }
        s.changed.notify_all();
        reader.join();
    };
    try {
        if (prepare && !prepare()) {
            stop();
            return Run::NotPrepared;
        }
        {
            std::lock_guard lock(s.mutex);
            s.preparing = false;
        }
        Lane lane(s.makeScanner, s.prefix);
        s.SettleAll(lane, settle);
    } catch (...) {
        stop();
        throw;
    }
    reader.join();
    result = s.read;
    if (s.readerError)
        std::rethrow_exception(s.readerError);
    return Run::Done;
}

} // namespace lh
