#pragma once

// The collection table: the one store of records that the grid shows and every command changes.
//
// Rows follow the grid: row 0 is the heading row, rows 1..RowCount()-2 the records, row
// RowCount()-1 the entry row. Column 0 is the number, which always equals the row index, so it is
// derived rather than stored. Columns 1..4 hold code page 932 bytes.
//
// The store keeps an index of the upper-cased addresses (column 2) of the record rows in step
// with every change, so the duplicate test of the scanners is a hash lookup.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lh {

class TableStore {
public:
    using Row = std::int64_t;
    static constexpr int kColumnCount = 5;

    // Observer hooks so a view can follow structural changes without rescanning. Each row
    // insertion or removal is announced before and reported after the change, the way item
    // views need it.
    struct Observer {
        virtual ~Observer() = default;
        virtual void BeginReset() {}
        virtual void EndReset() {}
        virtual void RowsAboutToBeInserted(Row /*first*/, Row /*count*/) {}
        virtual void RowsInserted(Row /*first*/, Row /*count*/) {} // after the fact
        virtual void RowsAboutToBeRemoved(Row /*first*/, Row /*count*/) {}
        virtual void RowsRemoved(Row /*first*/, Row /*count*/) {} // after the fact
        virtual void CellsChanged(Row /*firstRow*/, Row /*lastRow*/) {}
    };

    TableStore();
    ~TableStore();
    TableStore(const TableStore&) = delete;
    TableStore& operator=(const TableStore&) = delete;
    TableStore(TableStore&&) noexcept;
    TableStore& operator=(TableStore&&) noexcept;

    Row RowCount() const noexcept { return static_cast<Row>(m_rows.size()) + 1; }
    Row RecordCount() const noexcept { return RowCount() - 2; }
    Row EntryRow() const noexcept { return RowCount() - 1; }

    // Text of a cell. Row 0 gives the headings (cp932), column 0 the number.
    std::string Cell(Row row, int col) const;
    // Without allocation, for columns 1..4 of rows >= 1.
    std::string_view CellView(Row row, int col) const noexcept;
    // Sets column 1..4 of row >= 1. Other cells are fixed and ignored.
    void SetCell(Row row, int col, std::string_view text);

    // ClearTable: two rows, the entry row 1 empty.
    void Clear();
    // The entry row becomes a record and a new empty, numbered entry row follows it.
    void AppendRow();
    // Appends a record holding these columns 1..4 before the entry row (loading, scanning).
    void AppendRecord(std::string_view name, std::string_view address, std::string_view access,
                      std::string_view remark);
    // Makes room for this many more records, so a load does not regrow the store as it goes.
    void Reserve(Row records);
    // Shifts columns 1..4 of rows r+1.. up by one and drops the last row (record deletion).
    void DeleteRowShift(Row r);
    // Adds a last row and shifts columns 1..4 of rows r.. down by one, leaving row r empty.
    void InsertRowShift(Row r);

    // True when a record row holds an address whose upper-cased text equals prefix + key.
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
    // stays valid while its record row is neither edited nor deleted.
    std::string_view CandidateAddress(std::uint64_t hash) const;
    // True when the two texts agree but for the letter case the duplicate test ignores.
    static bool SameAddress(std::string_view a, std::string_view b) noexcept {
        return SameFolded(a, b);
    }
    // True when a record row holds an address whose upper-cased text equals that of `address`.
    bool HoldsAddress(std::string_view address, std::uint64_t hash) const;

    // Swaps contents with another store (a load fills a fresh store, then takes it over).
    void Swap(TableStore& other) noexcept;

    void SetObserver(Observer* observer) noexcept { m_observer = observer; }

    // Heading text of column `col` (cp932).
    static std::string_view Heading(int col) noexcept;

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
    // Record rows with an empty address are only counted.
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

    static RecordPtr MakeRecord(std::string_view c1, std::string_view c2, std::string_view c3,
                                std::string_view c4);
    void IndexAdd(const Record* record);
    void IndexRemove(const Record* record);

    // m_rows[i] is grid row i + 1; the last element is the entry row. Null means all empty.
    std::vector<RecordPtr> m_rows;
    // Record rows with a non-empty address; the entry row joins when it becomes a record.
    mutable std::vector<IndexSlot> m_indexSlots;
    mutable std::size_t m_indexCount = 0;
    mutable std::size_t m_emptyAddressRecords = 0;
    mutable bool m_indexBuilt = false;
    Observer* m_observer = nullptr;
};

} // namespace lh
