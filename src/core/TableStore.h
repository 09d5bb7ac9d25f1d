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
#include <unordered_map>
#include <vector>

namespace lh {

class TableStore {
public:
    using Row = std::int64_t;
    static constexpr int kColumnCount = 5;

    // Observer hooks so a view can follow structural changes without rescanning.
    struct Observer {
        virtual ~Observer() = default;
        virtual void BeginReset() {}
        virtual void EndReset() {}
        virtual void RowsInserted(Row /*first*/, Row /*count*/) {} // after the fact
        virtual void RowsRemoved(Row /*first*/, Row /*count*/) {}  // after the fact
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

    // Swaps contents with another store (a load fills a fresh store, then takes it over).
    void Swap(TableStore& other) noexcept;

    void SetObserver(Observer* observer) noexcept { m_observer = observer; }

    // Heading text of column `col` (cp932).
    static std::string_view Heading(int col) noexcept;

    // Bytes held by the records' texts and their bookkeeping, for the memory benchmark.
    std::size_t MemoryUsage() const noexcept;

private:
    struct Record;
    struct RecordDeleter {
        void operator()(Record* r) const noexcept;
    };
    using RecordPtr = std::unique_ptr<Record, RecordDeleter>;

    static RecordPtr MakeRecord(std::string_view c1, std::string_view c2, std::string_view c3,
                                std::string_view c4);
    void IndexAdd(std::string_view address);
    void IndexRemove(std::string_view address);

    // Hashes views and strings alike, so a lookup needs no key string of its own. Deliberately
    // not noexcept: that lets the standard library keep each key's hash beside it, so a lookup
    // never rehashes the keys it walks past.
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };

    // m_rows[i] is grid row i + 1; the last element is the entry row. Null means all empty.
    std::vector<RecordPtr> m_rows;
    std::unordered_map<std::string, std::uint32_t, KeyHash, std::equal_to<>> m_addressIndex;
    Observer* m_observer = nullptr;
};

} // namespace lh
