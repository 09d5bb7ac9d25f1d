#include "TableStore.h"

#include "EightBytes.h"
#include "HashesAhead.h"
#include "RecordRoom.h"
#include "platform/Processors.h"
#include "util/Mbcs.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <new>
#include <optional>
#include <utility>

namespace lh {

// One record's four texts in a single allocation: lengths, then the bytes back to back. Keeps
// per-record overhead small for collections of a million entries.
struct TableStore::Record {
    std::uint32_t len[4];
    char* Data() noexcept { return reinterpret_cast<char*>(this + 1); }
    const char* Data() const noexcept { return reinterpret_cast<const char*>(this + 1); }
    std::string_view Get(int i) const noexcept {
        std::size_t off = 0;
        for (int k = 0; k < i; ++k)
            off += len[k];
        return std::string_view(Data() + off, len[i]);
    }
    // The room the record takes, what tells its block included.
    std::size_t Bytes() const noexcept {
        return RecordRoom::kOverheadBytes + sizeof(Record) + len[0] + len[1] + len[2] + len[3];
    }
};

void TableStore::RecordDeleter::operator()(Record* r) const noexcept {
    RecordRoom::Give(r);
}

namespace {

// Below this many records, starting a helper thread (about 0.1 ms) costs more than the hashing
// it takes over (about 8 ns a record).
constexpr std::size_t kHashAheadFrom = 32768;

using eight::FoldEightAscii;
using eight::kHighBits;
using eight::kOnes;
using eight::Load8;

constexpr std::uint64_t kMul = 0x9e3779b97f4a7c15ull;
constexpr std::uint64_t kMul2 = 0xc2b2ae3d27d4eb4full;

inline unsigned char FoldByte(unsigned char b) noexcept {
    return (b >= 'a' && b <= 'z') ? static_cast<unsigned char>(b - 'a' + 'A') : b;
}

// Folding only ever clears bit 0x20 of a byte, so texts that fold alike agree once that bit is
// cleared in every byte: a hash of the bytes without it is blind to letter case, needs no
// character walk, and merges only a few rare pairs such as '[' and '{'.
constexpr std::uint64_t kCaseBlind = ~(kOnes * 0x20);

inline std::uint64_t MixWord(std::uint64_t h, std::uint64_t w) noexcept {
    h = (h ^ (w & kCaseBlind)) * kMul;
    return h ^ (h >> 29);
}

// Spreads the bits so the low bits that pick a slot depend on every byte.
inline std::uint64_t Finish(std::uint64_t h) noexcept {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return h;
}

} // namespace

std::uint64_t TableStore::AddressHash(std::string_view address) noexcept {
    // Sixteen bytes per step in two independent lanes: a byte-wise hash, or one long chain of
    // multiplications, would cost more than the rest of a scan's lookup.
    const char* p = address.data();
    std::size_t n = address.size();
    std::uint64_t a = kMul ^ n;
    std::uint64_t b = kMul2;
    for (; n >= 16; p += 16, n -= 16) {
        a = MixWord(a, Load8(p));
        b = MixWord(b, Load8(p + 8));
    }
    if (n >= 8) {
        a = MixWord(a, Load8(p));
        p += 8;
        n -= 8;
    }
    if (n > 0) {
        std::uint64_t w = 0;
        if (address.size() >= 8)
            w = Load8(p + n - 8); // the last eight bytes, some of them hashed already
        else
            std::memcpy(&w, p, n);
        b = MixWord(b, w);
    }
    return Finish(a + std::rotl(b, 31));
}

bool TableStore::SameFolded(std::string_view a, std::string_view b) noexcept {
    const std::size_t n = a.size();
    if (n != b.size())
        return false;
    const char* x = a.data();
    const char* y = b.data();
    std::size_t i = 0;
    // While both are plain ASCII every byte is a character of its own: eight at a time.
    for (; n - i >= 8; i += 8) {
        const std::uint64_t v = Load8(x + i);
        const std::uint64_t w = Load8(y + i);
        if ((v | w) & kHighBits)
            break;
        if (FoldEightAscii(v) != FoldEightAscii(w))
            return false;
    }
    // From a character boundary on, the way AsciiUpper folds: both bytes of a double-byte
    // character kept, one-byte letters upper-cased. Texts that fold alike have their double-byte
    // characters in the same places, so walking the characters of one of them is enough.
    while (i < n) {
        const auto c = static_cast<unsigned char>(x[i]);
        if (i + 1 < n && IsSjisPair(c, static_cast<unsigned char>(x[i + 1]))) {
            if (x[i] != y[i] || x[i + 1] != y[i + 1])
                return false;
            i += 2;
        } else {
            if (FoldByte(c) != FoldByte(static_cast<unsigned char>(y[i])))
                return false;
            ++i;
        }
    }
    return true;
}

TableStore::RecordPtr TableStore::MakeRecord(std::string_view c1, std::string_view c2,
                                             std::string_view c3, std::string_view c4) {
    const std::size_t total = c1.size() + c2.size() + c3.size() + c4.size();
    if (total == 0)
        return nullptr;
    auto* r = static_cast<Record*>(m_room.Take(sizeof(Record) + total));
    r->len[0] = static_cast<std::uint32_t>(c1.size());
    r->len[1] = static_cast<std::uint32_t>(c2.size());
    r->len[2] = static_cast<std::uint32_t>(c3.size());
    r->len[3] = static_cast<std::uint32_t>(c4.size());
    char* out = r->Data();
    // Texts made back to back in one room (an import's) are copied in one piece.
    if (c2.data() == c1.data() + c1.size() && c3.data() == c2.data() + c2.size() &&
        c4.data() == c3.data() + c3.size()) {
        std::memcpy(out, c1.data(), total);
        return RecordPtr(r);
    }
    for (const std::string_view part : {c1, c2, c3, c4}) {
        if (!part.empty())
            std::memcpy(out, part.data(), part.size());
        out += part.size();
    }
    return RecordPtr(r);
}

TableStore::TableStore() = default;
TableStore::~TableStore() = default;
TableStore::TableStore(TableStore&&) noexcept = default;
TableStore& TableStore::operator=(TableStore&&) noexcept = default;

void TableStore::AddObserver(Observer* observer) {
    if (observer &&
        std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void TableStore::RemoveObserver(Observer* observer) noexcept {
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer),
                      m_observers.end());
}

std::string_view TableStore::Text(Row record, int field) const noexcept {
    if (record < 0 || record >= RecordCount() || field < 0 || field >= kFieldCount)
        return {};
    const Record* r = m_rows[static_cast<std::size_t>(record)].get();
    return r ? r->Get(field) : std::string_view();
}

std::array<std::string_view, TableStore::kFieldCount>
TableStore::RecordTexts(Row record) const noexcept {
    std::array<std::string_view, kFieldCount> texts{};
    if (record < 0 || record >= RecordCount())
        return texts;
    const Record* r = m_rows[static_cast<std::size_t>(record)].get();
    if (!r)
        return texts;
    const char* p = r->Data();
    for (int i = 0; i < kFieldCount; ++i) {
        texts[static_cast<std::size_t>(i)] = std::string_view(p, r->len[i]);
        p += r->len[i];
    }
    return texts;
}

void TableStore::SetText(Row record, int field, std::string_view text) {
    if (record < 0 || record >= RecordCount() || field < 0 || field >= kFieldCount)
        return;
    RecordPtr& slot = m_rows[static_cast<std::size_t>(record)];
    std::string_view cur[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i)
        cur[i] = slot ? slot->Get(i) : std::string_view();
    if (cur[field] == text)
        return;
    cur[field] = text;
    RecordPtr fresh = MakeRecord(cur[0], cur[1], cur[2], cur[3]);
    // The index holds the record itself, so the new record replaces the old one there.
    IndexRemove(slot.get());
    slot = std::move(fresh);
    IndexAdd(slot.get());
    Notify([&](Observer& o) { o.RecordsChanged(record, record); });
}

void TableStore::Clear() {
    Notify([](Observer& o) { o.BeginReset(); });
    m_rows.clear();
    m_indexSlots.clear();
    m_indexCount = 0;
    m_emptyAddressRecords = 0;
    m_indexBuilt = false;
    Notify([](Observer& o) { o.EndReset(); });
}

void TableStore::AppendRecord(std::string_view name, std::string_view address,
                              std::string_view access, std::string_view remark) {
    RecordPtr record = MakeRecord(name, address, access, remark);
    // Grow ahead (geometrically) so nothing can fail once views were told of the insertion.
    if (m_rows.size() == m_rows.capacity())
        m_rows.reserve(std::max<std::size_t>(16, m_rows.capacity() * 2));
    const Row at = RecordCount();
    Notify([&](Observer& o) { o.RecordsAboutToBeInserted(at, 1); });
    m_rows.push_back(std::move(record));
    IndexAdd(m_rows.back().get());
    Notify([&](Observer& o) { o.RecordsInserted(at, 1); });
}

void TableStore::AppendTakenRecord(TableStore& source, Row row) {
    AppendTaken(source, row, nullptr);
}

void TableStore::AppendTakenRecord(TableStore& source, Row row, std::uint64_t addressHash) {
    AppendTaken(source, row, &addressHash);
}

void TableStore::AppendTaken(TableStore& source, Row row, const std::uint64_t* addressHash) {
    if (&source == this || row < 0 || row >= source.RecordCount())
        return;
    if (m_rows.size() == m_rows.capacity())
        m_rows.reserve(std::max<std::size_t>(16, m_rows.capacity() * 2));
    RecordPtr& from = source.m_rows[static_cast<std::size_t>(row)];
    // The source's index points into the record's bytes: it lets go of them before they move.
    source.IndexRemove(from.get());
    RecordPtr record = std::move(from);
    source.IndexAdd(nullptr);
    source.Notify([&](Observer& o) { o.RecordsChanged(row, row); });
    const Row at = RecordCount();
    Notify([&](Observer& o) { o.RecordsAboutToBeInserted(at, 1); });
    m_rows.push_back(std::move(record));
    if (addressHash)
        IndexAdd(m_rows.back().get(), *addressHash);
    else
        IndexAdd(m_rows.back().get());
    Notify([&](Observer& o) { o.RecordsInserted(at, 1); });
}

TableStore::Row TableStore::AppendTakenRecords(TableStore& source, bool skipHeldAddresses) {
    if (&source == this || source.m_rows.empty())
        return 0;
    const std::size_t count = source.m_rows.size();
    if (skipHeldAddresses)
        EnsureIndex();
    // Hashing the addresses is most of entering many of them: a helper thread does it ahead of
    // the lookups, and starts while the room is taken.
    std::optional<HashesAhead> ahead;
    if (m_indexBuilt && count >= kHashAheadFrom && platform::SpareProcessors() > 0)
        ahead.emplace(count, [&incoming = source.m_rows](std::size_t first, std::size_t last,
                                                         std::uint64_t* out) {
            for (std::size_t r = first; r < last; ++r) {
                const Record* record = incoming[r].get();
                const std::string_view address =
                    record ? record->Get(kAddress) : std::string_view();
                out[r - first] = address.empty() ? 0 : AddressHash(address);
            }
        });
    // Everything that can fail is done before anything changes.
    m_rows.reserve(m_rows.size() + count);
    std::vector<unsigned char> held;
    std::size_t heldCount = 0;
    if (m_indexBuilt) {
        IndexReserve(m_indexCount + count);
        if (skipHeldAddresses)
            held.assign(count, 0);
        heldCount = IndexIncoming(source.m_rows, skipHeldAddresses, held,
                                  ahead && ahead->Started() ? &*ahead : nullptr);
    }
    // The helper reads the records: it is done before they move.
    if (ahead)
        ahead->Join();
    const auto moved = static_cast<Row>(count - heldCount);
    if (moved == 0)
        return 0;
    const Row at = RecordCount();
    Notify([&](Observer& o) { o.RecordsAboutToBeInserted(at, moved); });
    if (heldCount == 0) {
        for (RecordPtr& record : source.m_rows)
            m_rows.push_back(std::move(record));
    } else {
        for (std::size_t r = 0; r < count; ++r)
            if (!held[r])
                m_rows.push_back(std::move(source.m_rows[r]));
    }
    // The source's index points into the records' bytes: it lets go of them, and counts the
    // empty records left in their places.
    if (source.m_indexBuilt) {
        for (auto it = m_rows.end() - moved; it != m_rows.end(); ++it) {
            source.IndexRemove(it->get());
            source.IndexAdd(nullptr);
        }
    }
    Notify([&](Observer& o) { o.RecordsInserted(at, moved); });
    // Each run of records that left the source reads as changed there.
    if (!source.m_observers.empty()) {
        for (std::size_t r = 0; r < count;) {
            if (!held.empty() && held[r]) {
                ++r;
                continue;
            }
            std::size_t end = r + 1;
            while (end < count && (held.empty() || !held[end]))
                ++end;
            const auto first = static_cast<Row>(r);
            const auto last = static_cast<Row>(end - 1);
            source.Notify([&](Observer& o) { o.RecordsChanged(first, last); });
            r = end;
        }
    }
    return moved;
}

std::size_t TableStore::IndexIncoming(const std::vector<RecordPtr>& incoming, bool skipHeld,
                                      std::vector<unsigned char>& held, HashesAhead* ahead) {
    // Each address lands on a random entry of a large index: the entries of the records some
    // way ahead are asked for early, so their memory accesses overlap. A record's own work is a
    // small fraction of a miss on the index, so eight ahead still left the misses showing.
    constexpr std::size_t kAhead = 32;
    struct Pending {
        std::uint64_t hash = 0;
        std::string_view address;
    };
    Pending pending[kAhead];
    const std::size_t count = incoming.size();
    const std::size_t mask = m_indexSlots.size() - 1;
    const auto ask = [&](std::size_t r) {
        const Record* record = incoming[r].get();
        Pending& p = pending[r % kAhead];
        p.address = record ? record->Get(kAddress) : std::string_view();
        if (p.address.empty())
            return;
        p.hash = ahead ? ahead->Hash(r) : AddressHash(p.address);
        const std::size_t home = Tag(p.hash) & mask;
        __builtin_prefetch(&m_indexSlots[home]);
        __builtin_prefetch(&m_indexSlots[(home + 3) & mask]);
    };
    for (std::size_t r = 0; r < kAhead && r < count; ++r)
        ask(r);
    std::size_t heldCount = 0;
    for (std::size_t r = 0; r < count; ++r) {
        const Pending p = pending[r % kAhead];
        if (r + kAhead < count)
            ask(r + kAhead);
        if (p.address.empty()) {
            ++m_emptyAddressRecords;
            continue;
        }
        // One walk along the probe run both finds an equal address and ends at the free entry
        // a new one takes.
        const std::uint32_t tag = Tag(p.hash);
        std::size_t i = tag & mask;
        bool found = false;
        for (; m_indexSlots[i].tag; i = (i + 1) & mask) {
            const IndexSlot& slot = m_indexSlots[i];
            if (skipHeld && slot.tag == tag && slot.length == p.address.size() &&
                SameFolded(std::string_view(slot.address, slot.length), p.address)) {
                found = true;
                break;
            }
        }
        if (found) {
            held[r] = 1;
            ++heldCount;
            continue;
        }
        m_indexSlots[i] =
            IndexSlot{tag, static_cast<std::uint32_t>(p.address.size()), p.address.data()};
        ++m_indexCount;
    }
    return heldCount;
}

void TableStore::Reserve(Row records) {
    if (records <= 0)
        return;
    const auto more = static_cast<std::size_t>(records);
    m_rows.reserve(m_rows.size() + more);
    if (m_indexBuilt)
        IndexReserve(m_indexCount + more);
}

void TableStore::RemoveRecord(Row record) {
    if (record < 0 || record >= RecordCount())
        return;
    Notify([&](Observer& o) { o.RecordsAboutToBeRemoved(record, 1); });
    const auto idx = static_cast<std::size_t>(record);
    IndexRemove(m_rows[idx].get());
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(idx));
    Notify([&](Observer& o) { o.RecordsRemoved(record, 1); });
}

void TableStore::InsertEmptyRecord(Row record) {
    if (record < 0 || record > RecordCount())
        return;
    Notify([&](Observer& o) { o.RecordsAboutToBeInserted(record, 1); });
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(record), RecordPtr());
    IndexAdd(nullptr); // an empty record
    Notify([&](Observer& o) { o.RecordsInserted(record, 1); });
}

TableStore::Detached TableStore::TakeRecords(Row first, Row count) {
    Detached taken;
    if (first < 0 || first >= RecordCount() || count <= 0)
        return taken;
    count = std::min(count, RecordCount() - first);
    const auto begin = m_rows.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end = begin + static_cast<std::ptrdiff_t>(count);
    taken.m_records.reserve(static_cast<std::size_t>(count));
    Notify([&](Observer& o) { o.RecordsAboutToBeRemoved(first, count); });
    for (auto it = begin; it != end; ++it) {
        IndexRemove(it->get());
        taken.m_records.push_back(std::move(*it));
    }
    m_rows.erase(begin, end);
    Notify([&](Observer& o) { o.RecordsRemoved(first, count); });
    return taken;
}

void TableStore::PutRecords(Row at, Detached&& records) {
    std::vector<RecordPtr> incoming = std::move(records.m_records);
    records.m_records.clear();
    if (incoming.empty())
        return;
    if (at < 0 || at > RecordCount())
        at = RecordCount();
    const auto count = static_cast<Row>(incoming.size());
    // Everything that can fail is done before views are told of the insertion.
    m_rows.reserve(m_rows.size() + incoming.size());
    if (m_indexBuilt)
        IndexReserve(m_indexCount + incoming.size());
    Notify([&](Observer& o) { o.RecordsAboutToBeInserted(at, count); });
    for (const RecordPtr& record : incoming)
        IndexAdd(record.get());
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(at),
                  std::make_move_iterator(incoming.begin()),
                  std::make_move_iterator(incoming.end()));
    Notify([&](Observer& o) { o.RecordsInserted(at, count); });
}

TableStore::Detached TableStore::TakeRecordsAt(std::span<const std::size_t> records) {
    Detached taken;
    const std::size_t count = m_rows.size();
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i] >= count || (i > 0 && records[i] <= records[i - 1]))
            return taken;
    if (records.empty())
        return taken;
    taken.m_records.reserve(records.size());
    Notify([](Observer& o) { o.BeginReset(); });
    // Records move up over the gaps as the pass goes, so each moves once.
    std::size_t kept = records.front();
    std::size_t next = 0;
    for (std::size_t r = records.front(); r < count; ++r) {
        if (next < records.size() && records[next] == r) {
            IndexRemove(m_rows[r].get());
            taken.m_records.push_back(std::move(m_rows[r]));
            ++next;
        } else {
            m_rows[kept++] = std::move(m_rows[r]);
        }
    }
    m_rows.resize(kept);
    Notify([](Observer& o) { o.EndReset(); });
    return taken;
}

bool TableStore::PutRecordsAt(std::span<const std::size_t> records, Detached&& taken) {
    const std::size_t incoming = taken.m_records.size();
    if (records.size() != incoming)
        return false;
    const std::size_t total = m_rows.size() + incoming;
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i] >= total || (i > 0 && records[i] <= records[i - 1]))
            return false;
    if (incoming == 0)
        return true;
    // Everything that can fail is done before views are told of the change.
    m_rows.reserve(total);
    if (m_indexBuilt)
        IndexReserve(m_indexCount + incoming);
    Notify([](Observer& o) { o.BeginReset(); });
    const std::size_t oldCount = m_rows.size();
    m_rows.resize(total);
    // From the end backwards, so every record that stays moves down once, into room already
    // left by those behind it.
    std::size_t from = oldCount;
    std::size_t next = incoming;
    for (std::size_t to = total; to-- > records.front();) {
        if (next > 0 && records[next - 1] == to) {
            --next;
            IndexAdd(taken.m_records[next].get());
            m_rows[to] = std::move(taken.m_records[next]);
        } else {
            m_rows[to] = std::move(m_rows[--from]);
        }
    }
    taken.m_records.clear();
    Notify([](Observer& o) { o.EndReset(); });
    return true;
}

std::size_t TableStore::Detached::MemoryUsage() const noexcept {
    std::size_t total = m_records.capacity() * sizeof(RecordPtr);
    for (const auto& r : m_records)
        if (r)
            total += r->Bytes();
    return total;
}

bool TableStore::ReorderRecords(std::span<const std::size_t> order) {
    const std::size_t count = m_rows.size();
    if (order.size() != count)
        return false;
    std::vector<bool> seen(count, false);
    for (const std::size_t from : order) {
        if (from >= count || seen[from])
            return false;
        seen[from] = true;
    }
    std::vector<RecordPtr> reordered;
    reordered.reserve(count);
    Notify([](Observer& o) { o.BeginReset(); });
    for (const std::size_t from : order)
        reordered.push_back(std::move(m_rows[from]));
    m_rows.swap(reordered);
    Notify([](Observer& o) { o.EndReset(); });
    return true;
}

bool TableStore::AddressInTable(std::string_view upperKey, std::string_view prefix) const {
    if (prefix.empty())
        return HoldsAddress(upperKey, AddressHash(upperKey));
    std::string key;
    key.reserve(prefix.size() + upperKey.size());
    key.append(prefix).append(upperKey);
    return HoldsAddress(key, AddressHash(key));
}

void TableStore::PrefetchSlots(std::uint64_t hash) const {
    EnsureIndex();
    if (m_indexSlots.empty())
        return;
    // Most probe runs are a few entries long: the line of the home entry and, when the run may
    // cross into it, the next one.
    const std::size_t mask = m_indexSlots.size() - 1;
    const std::size_t home = Tag(hash) & mask;
    __builtin_prefetch(&m_indexSlots[home]);
    __builtin_prefetch(&m_indexSlots[(home + 3) & mask]);
}

std::string_view TableStore::CandidateAddress(std::uint64_t hash) const {
    EnsureIndex();
    if (m_indexSlots.empty())
        return {};
    // The first entry of the probe run with the key's tag is almost always the one the lookup
    // would compare; its text may straddle two cache lines.
    const std::size_t mask = m_indexSlots.size() - 1;
    const std::uint32_t tag = Tag(hash);
    for (std::size_t i = tag & mask; m_indexSlots[i].tag; i = (i + 1) & mask) {
        const IndexSlot& slot = m_indexSlots[i];
        if (slot.tag == tag) {
            __builtin_prefetch(slot.address);
            __builtin_prefetch(slot.address + slot.length - 1);
            return std::string_view(slot.address, slot.length);
        }
    }
    return {};
}

bool TableStore::HoldsAddress(std::string_view address, std::uint64_t hash) const {
    EnsureIndex();
    if (address.empty())
        return m_emptyAddressRecords > 0;
    if (m_indexCount == 0)
        return false;
    const std::size_t mask = m_indexSlots.size() - 1;
    const std::uint32_t tag = Tag(hash);
    for (std::size_t i = tag & mask; m_indexSlots[i].tag; i = (i + 1) & mask) {
        const IndexSlot& slot = m_indexSlots[i];
        if (slot.tag == tag && slot.length == address.size() &&
            SameFolded(std::string_view(slot.address, slot.length), address))
            return true;
    }
    return false;
}

void TableStore::Swap(TableStore& other) noexcept {
    Notify([](Observer& o) { o.BeginReset(); });
    m_rows.swap(other.m_rows);
    m_indexSlots.swap(other.m_indexSlots);
    std::swap(m_indexCount, other.m_indexCount);
    std::swap(m_emptyAddressRecords, other.m_emptyAddressRecords);
    std::swap(m_indexBuilt, other.m_indexBuilt);
    Notify([](Observer& o) { o.EndReset(); });
}

void TableStore::IndexReserve(std::size_t records) const {
    // At most three quarters full keeps probe runs short with a well-spread hash.
    if (records * 4 <= m_indexSlots.size() * 3)
        return;
    std::size_t want = 16;
    while (want * 3 < records * 4)
        want *= 2;
    if (want <= m_indexSlots.size())
        return;
    std::vector<IndexSlot> old;
    old.swap(m_indexSlots);
    m_indexSlots.assign(want, IndexSlot{});
    for (const IndexSlot& slot : old)
        if (slot.tag)
            IndexInsertSlot(slot);
}

void TableStore::IndexInsertSlot(const IndexSlot& slot) const {
    const std::size_t mask = m_indexSlots.size() - 1;
    std::size_t i = slot.tag & mask;
    while (m_indexSlots[i].tag)
        i = (i + 1) & mask;
    m_indexSlots[i] = slot;
}

void TableStore::EnsureIndex() const {
    if (m_indexBuilt)
        return;
    m_indexBuilt = true;
    m_indexSlots.clear();
    m_indexCount = 0;
    m_emptyAddressRecords = 0;
    IndexReserve(m_rows.size());
    for (const RecordPtr& record : m_rows)
        IndexAddBuilt(record.get());
}

void TableStore::IndexAdd(const Record* record) {
    if (m_indexBuilt)
        IndexAddBuilt(record);
}

void TableStore::IndexAdd(const Record* record, std::uint64_t addressHash) {
    if (m_indexBuilt)
        IndexAddBuilt(record, addressHash);
}

void TableStore::IndexAddBuilt(const Record* record) const {
    const std::string_view address = record ? record->Get(1) : std::string_view();
    IndexAddBuilt(record, address.empty() ? 0 : AddressHash(address));
}

void TableStore::IndexAddBuilt(const Record* record, std::uint64_t addressHash) const {
    const std::string_view address = record ? record->Get(1) : std::string_view();
    if (address.empty()) {
        ++m_emptyAddressRecords;
        return;
    }
    IndexReserve(m_indexCount + 1);
    IndexInsertSlot(
        IndexSlot{Tag(addressHash), static_cast<std::uint32_t>(address.size()), address.data()});
    ++m_indexCount;
}

void TableStore::IndexRemove(const Record* record) {
    if (!m_indexBuilt)
        return;
    const std::string_view address = record ? record->Get(1) : std::string_view();
    if (address.empty()) {
        if (m_emptyAddressRecords > 0)
            --m_emptyAddressRecords;
        return;
    }
    if (m_indexSlots.empty())
        return;
    const std::size_t mask = m_indexSlots.size() - 1;
    std::size_t i = Tag(AddressHash(address)) & mask;
    while (m_indexSlots[i].tag && m_indexSlots[i].address != address.data())
        i = (i + 1) & mask;
    if (!m_indexSlots[i].tag)
        return;
    // Backward-shift deletion: pull later members of the probe run into the hole, so lookups
    // never need tombstones.
    std::size_t hole = i;
    for (std::size_t j = (hole + 1) & mask; m_indexSlots[j].tag; j = (j + 1) & mask) {
        const std::size_t home = m_indexSlots[j].tag & mask;
        const bool movable = (hole <= j) ? (home <= hole || home > j) : (home <= hole && home > j);
        if (movable) {
            m_indexSlots[hole] = m_indexSlots[j];
            hole = j;
        }
    }
    m_indexSlots[hole] = IndexSlot{};
    --m_indexCount;
}

std::size_t TableStore::MemoryUsage() const noexcept {
    std::size_t total = m_rows.capacity() * sizeof(RecordPtr);
    for (const auto& r : m_rows)
        if (r)
            total += r->Bytes();
    total += m_indexSlots.capacity() * sizeof(IndexSlot);
    return total;
}

} // namespace lh
