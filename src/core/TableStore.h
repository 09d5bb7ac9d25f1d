#pragma once

// The collection's records: the one store that the grid shows and every command changes.
//
// Records are indexed 0..RecordCount()-1 in document order; each holds four texts (Field) in
// code page 932 bytes. Headings, the entry row and the record numbers are the view's business.
//
// The store keeps an index of the upper-cased addresses of the records in step with every
// change, so the duplicate test of the scanners is a hash lookup.

#include "RecordRoom.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

class HashesAhead;

class TableStore {
public:
    // A record's index.
    using Row = std::int64_t;
    // The texts of a record, in the order the page and the grid show them.
    enum Field : int { kName = 0, kAddress = 1, kAccess = 2, kRemark = 3 };
    static constexpr int kFieldCount = 4;

    // Observer hooks so views can follow structural changes without rescanning. Each insertion
    // or removal of records is announced before and reported after the change, the way item
    // views need it; `first` is a record index.
    struct Observer {
        virtual ~Observer() = default;
        virtual void BeginReset() {}
        virtual void EndReset() {}
        virtual void RecordsAboutToBeInserted(Row /*first*/, Row /*count*/) {}
        virtual void RecordsInserted(Row /*first*/, Row /*count*/) {} // after the fact
        virtual void RecordsAboutToBeRemoved(Row /*first*/, Row /*count*/) {}
        virtual void RecordsRemoved(Row /*first*/, Row /*count*/) {} // after the fact
        virtual void RecordsChanged(Row /*first*/, Row /*last*/) {}
    };

    TableStore();
    ~TableStore();
    TableStore(const TableStore&) = delete;
    TableStore& operator=(const TableStore&) = delete;
    TableStore(TableStore&&) noexcept;
    TableStore& operator=(TableStore&&) noexcept;

    Row RecordCount() const noexcept { return static_cast<Row>(m_rows.size()); }

    // A text of a record, without allocation; empty outside the records and fields.
    std::string_view Text(Row record, int field) const noexcept;
    // The four texts of a record at once (a writer going through every record); empty outside
    // the records.
    std::array<std::string_view, kFieldCount> RecordTexts(Row record) const noexcept;
    // Sets a text of a record; ignored outside the records and fields.
    void SetText(Row record, int field, std::string_view text);

    // No records.
    void Clear();
    // Appends a record holding these texts (loading, scanning, typing into the entry row).
    void AppendRecord(std::string_view name, std::string_view address, std::string_view access,
                      std::string_view remark);
    // Moves record `row` of `source` to the end of this store without copying its texts (an
    // import hands over the records it staged); `source` keeps an empty record in its place.
    // Ignored when `row` is outside `source`'s records or `source` is this store.
    void AppendTakenRecord(TableStore& source, Row row);
    // The same with the record's AddressHash known already (an import that tested it for a
    // duplicate), so the index does not hash the address again.
    void AppendTakenRecord(TableStore& source, Row row, std::uint64_t addressHash);
    // Moves every record of `source` to the end of this store, in order and without copying
    // their texts, announced as one insertion (an import hands over all it staged); `source`
    // keeps empty records in their places. With `skipHeldAddresses`, a record whose address this
    // store holds already (HoldsAddress), or which an earlier record of `source` brought in,
    // stays behind in `source`; records without an address always move. The room is taken
    // first: when it cannot be had, nothing changes. The answer is the number of records moved.
    Row AppendTakenRecords(TableStore& source, bool skipHeldAddresses);
    // Makes room for this many more records, so a load does not regrow the store as it goes.
    void Reserve(Row records);
    // Removes a record; the ones after it move up by one.
    void RemoveRecord(Row record);
    // Inserts an empty record at `record` (0..RecordCount()); the ones from there move down.
    void InsertEmptyRecord(Row record);
    // Puts the records in the order `order` lists them: the record now at order[i] becomes
    // record i. `order` must name every record once; otherwise nothing changes and the answer
    // is false. The records themselves stay where they are in memory, so the address index
    // stays valid and a million records move in one pass over pointers.
    bool ReorderRecords(std::span<const std::size_t> order);

    // Records taken out of the store whole, so that they can be put back without a copy of
    // their texts (undo and redo of insertions, deletions and scans).
    class Detached;
    // Takes the records first..first+count-1 out (clipped to the records), announced as one
    // removal; the ones after them move up.
    Detached TakeRecords(Row first, Row count);
    // Puts records taken out before back in at `at` (0..RecordCount(), else the end), announced
    // as one insertion; `records` is left empty.
    void PutRecords(Row at, Detached&& records);
    // Takes out the records at `records` (indexes in ascending order, no repeats), in one pass
    // over the table however they lie, announced as a reset. Nothing is taken, and the answer is
    // empty, when an index repeats, goes back or lies outside the records.
    Detached TakeRecordsAt(std::span<const std::size_t> records);
    // Puts records taken by TakeRecordsAt back at the indexes they had (`records` as given to it;
    // one index per record), in one pass, announced as a reset; `taken` is left empty. False,
    // and nothing changes, when the indexes do not fit the records and the table.
    bool PutRecordsAt(std::span<const std::size_t> records, Detached&& taken);

    // True when a record holds an address whose upper-cased text equals prefix + key.
    bool AddressInTable(std::string_view upperKey, std::string_view prefix = {}) const;

    // The same test in steps, for a caller with many addresses at hand (a scan): hash each one
    // once and start the memory accesses of a batch of lookups together, so they overlap, and
    // only later ask. Letter case is ignored the way AsciiUpper folds, so `address` need not be
    // upper-cased.
    static std::uint64_t AddressHash(std::string_view address) noexcept;
    // First step, as soon as the hash is known: asks for the index entries the lookup starts at,
    // without waiting for them.
    void PrefetchSlots(std::uint64_t hash) const;
    // Second step, once those entries have had time to arrive: the stored address the lookup
    // would compare first (empty when none), whose text is asked for. When it agrees with the
    // key (SameAddress), the table holds the key: a hit then needs no second walk. The view
    // stays valid while its record is neither edited nor deleted.
    std::string_view CandidateAddress(std::uint64_t hash) const;
    // True when the two texts agree but for the letter case the duplicate test ignores.
    static bool SameAddress(std::string_view a, std::string_view b) noexcept {
        return SameFolded(a, b);
    }
    // True when a record holds an address whose upper-cased text equals that of `address`.
    bool HoldsAddress(std::string_view address, std::uint64_t hash) const;

    // Swaps contents with another store (a load fills a fresh store, then takes it over).
    void Swap(TableStore& other) noexcept;

    // Observers are told of every later change until they are removed; the store does not own
    // them. Adding one twice has no further effect.
    void AddObserver(Observer* observer);
    void RemoveObserver(Observer* observer) noexcept;

    // Bytes held by the records' texts and their bookkeeping (the address index included), for
    // the memory benchmark.
    std::size_t MemoryUsage() const noexcept;

private:
    struct Record;
    struct RecordDeleter {
        void operator()(Record* r) const noexcept;
    };
    using RecordPtr = std::unique_ptr<Record, RecordDeleter>;

    // The address index: a flat open-addressing table pointing at the records' own address
    // bytes, keyed by a hash blind to letter case, so it holds no copy of any text and a lookup
    // touches the slot and the address only. Folding happens on the fly when comparing.
    // Records with an empty address are only counted.
    struct IndexSlot {
        std::uint32_t tag = 0; // low half of the hash, never 0; 0: free
        std::uint32_t length = 0;
        const char* address = nullptr; // inside the record, which the slot does not own
    };
    static std::uint32_t Tag(std::uint64_t hash) noexcept {
        return static_cast<std::uint32_t>(hash) | 1u;
    }
    static bool SameFolded(std::string_view a, std::string_view b) noexcept;
    void IndexReserve(std::size_t records) const;
    void IndexInsertSlot(const IndexSlot& slot) const;
    // Built at the first lookup, then kept in step: a load fills a store without paying for
    // an index that only scans and duplicate tests need.
    void EnsureIndex() const;
    void IndexAddBuilt(const Record* record) const;
    void IndexAddBuilt(const Record* record, std::uint64_t addressHash) const;

    // A record of these texts, in room from m_room.
    RecordPtr MakeRecord(std::string_view c1, std::string_view c2, std::string_view c3,
                         std::string_view c4);
    void IndexAdd(const Record* record);
    void IndexAdd(const Record* record, std::uint64_t addressHash);
    void AppendTaken(TableStore& source, Row row, const std::uint64_t* addressHash);
    // The index side of AppendTakenRecords, room for them taken already: enters the addresses
    // of `incoming` and, with `skipHeld`, marks in `held` (one flag per record) those found
    // held instead. Answers how many were marked. `ahead`, when given, hands the addresses'
    // hashes over.
    std::size_t IndexIncoming(const std::vector<RecordPtr>& incoming, bool skipHeld,
                              std::vector<unsigned char>& held, HashesAhead* ahead);
    void IndexRemove(const Record* record);

    template <typename Call> void Notify(Call call) const {
        for (Observer* observer : m_observers)
            call(*observer);
    }

    // One element per record; null means all four texts are empty.
    std::vector<RecordPtr> m_rows;
    // Records with a non-empty address.
    mutable std::vector<IndexSlot> m_indexSlots;
    mutable std::size_t m_indexCount = 0;
    mutable std::size_t m_emptyAddressRecords = 0;
    mutable bool m_indexBuilt = false;
    std::vector<Observer*> m_observers;
    // Where this store's new records are put.
    RecordRoom m_room;
};

class TableStore::Detached {
public:
    Detached() = default;
    Row Count() const noexcept { return static_cast<Row>(m_records.size()); }
    // Bytes held, counted as TableStore::MemoryUsage counts them.
    std::size_t MemoryUsage() const noexcept;

private:
    friend class TableStore;
    std::vector<RecordPtr> m_records;
};

} // namespace lh
