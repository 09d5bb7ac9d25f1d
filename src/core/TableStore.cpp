#include "TableStore.h"

#include "util/Mbcs.h"

#include <cstdlib>
#include <cstring>
#include <new>

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
};

void TableStore::RecordDeleter::operator()(Record* r) const noexcept {
    std::free(r);
}

TableStore::RecordPtr TableStore::MakeRecord(std::string_view c1, std::string_view c2,
                                             std::string_view c3, std::string_view c4) {
    const std::size_t total = c1.size() + c2.size() + c3.size() + c4.size();
    if (total == 0)
        return nullptr;
    void* mem = std::malloc(sizeof(Record) + total);
    if (!mem)
        throw std::bad_alloc();
    auto* r = static_cast<Record*>(mem);
    const std::string_view parts[4] = {c1, c2, c3, c4};
    char* out = r->Data();
    for (int i = 0; i < 4; ++i) {
        r->len[i] = static_cast<std::uint32_t>(parts[i].size());
        if (!parts[i].empty())
            std::memcpy(out, parts[i].data(), parts[i].size());
        out += parts[i].size();
    }
    return RecordPtr(r);
}

TableStore::TableStore() {
    m_rows.emplace_back();
}
TableStore::~TableStore() = default;
TableStore::TableStore(TableStore&&) noexcept = default;
TableStore& TableStore::operator=(TableStore&&) noexcept = default;

std::string_view TableStore::Heading(int col) noexcept {
    // cp932 bytes of "No.", "名前", "URL/E-Mail", "ｱｸｾｽ日時", "備考".
    static constexpr std::string_view headings[kColumnCount] = {
        "No.", "\x96\xBC\x91\x4F", "URL/E-Mail", "\xB1\xB8\xBE\xBD\x93\xFA\x8E\x9E",
        "\x94\xF5\x8D\x6C"};
    return (col >= 0 && col < kColumnCount) ? headings[col] : std::string_view();
}

std::string_view TableStore::CellView(Row row, int col) const noexcept {
    if (row < 1 || row >= RowCount() || col < 1 || col > 4)
        return {};
    const Record* r = m_rows[static_cast<std::size_t>(row - 1)].get();
    return r ? r->Get(col - 1) : std::string_view();
}

std::string TableStore::Cell(Row row, int col) const {
    if (row == 0)
        return std::string(Heading(col));
    if (col == 0)
        return (row >= 1 && row < RowCount()) ? std::to_string(row) : std::string();
    return std::string(CellView(row, col));
}

void TableStore::SetCell(Row row, int col, std::string_view text) {
    if (row < 1 || row >= RowCount() || col < 1 || col > 4)
        return;
    RecordPtr& slot = m_rows[static_cast<std::size_t>(row - 1)];
    std::string_view cur[4];
    for (int i = 0; i < 4; ++i)
        cur[i] = slot ? slot->Get(i) : std::string_view();
    if (cur[col - 1] == text)
        return;
    const bool isRecord = row < EntryRow();
    if (isRecord && col == 2)
        IndexRemove(cur[1]);
    cur[col - 1] = text;
    RecordPtr fresh = MakeRecord(cur[0], cur[1], cur[2], cur[3]);
    if (isRecord && col == 2)
        IndexAdd(text);
    slot = std::move(fresh);
    if (m_observer)
        m_observer->CellsChanged(row, row);
}

void TableStore::Clear() {
    if (m_observer)
        m_observer->BeginReset();
    m_rows.clear();
    m_rows.emplace_back();
    m_addressIndex.clear();
    if (m_observer)
        m_observer->EndReset();
}

void TableStore::AppendRow() {
    // The entry row becomes a record: its address now counts for the duplicate test. A row
    // without any text is a record with an empty address, and the index says so too.
    const Record* entry = m_rows.back().get();
    IndexAdd(entry ? entry->Get(1) : std::string_view());
    m_rows.emplace_back();
    if (m_observer)
        m_observer->RowsInserted(RowCount() - 1, 1);
}

void TableStore::AppendRecord(std::string_view name, std::string_view address,
                              std::string_view access, std::string_view remark) {
    m_rows.back() = MakeRecord(name, address, access, remark);
    IndexAdd(address);
    m_rows.emplace_back();
    if (m_observer) {
        m_observer->CellsChanged(RowCount() - 2, RowCount() - 2);
        m_observer->RowsInserted(RowCount() - 1, 1);
    }
}

void TableStore::Reserve(Row records) {
    if (records <= 0)
        return;
    const auto more = static_cast<std::size_t>(records);
    m_rows.reserve(m_rows.size() + more);
    m_addressIndex.reserve(m_addressIndex.size() + more);
}

void TableStore::DeleteRowShift(Row r) {
    if (r < 1 || r > RowCount() - 2)
        return;
    const auto idx = static_cast<std::size_t>(r - 1);
    const Record* rec = m_rows[idx].get();
    IndexRemove(rec ? rec->Get(1) : std::string_view());
    // The entry row stays last, so it still does not count for the duplicate test.
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(idx));
    if (m_observer)
        m_observer->RowsRemoved(r, 1);
}

void TableStore::InsertRowShift(Row r) {
    if (r < 1 || r >= RowCount() - 1)
        return;
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(r - 1), RecordPtr());
    IndexAdd({});
    if (m_observer)
        m_observer->RowsInserted(r, 1);
}

bool TableStore::AddressInTable(std::string_view upperKey, std::string_view prefix) const {
    if (m_addressIndex.empty())
        return false;
    if (prefix.empty())
        return m_addressIndex.find(upperKey) != m_addressIndex.end();
    std::string key;
    key.reserve(prefix.size() + upperKey.size());
    key.append(prefix);
    key.append(upperKey);
    return m_addressIndex.find(key) != m_addressIndex.end();
}

void TableStore::Swap(TableStore& other) noexcept {
    if (m_observer)
        m_observer->BeginReset();
    m_rows.swap(other.m_rows);
    m_addressIndex.swap(other.m_addressIndex);
    if (m_observer)
        m_observer->EndReset();
}

void TableStore::IndexAdd(std::string_view address) {
    ++m_addressIndex[AsciiUpper(address)];
}

void TableStore::IndexRemove(std::string_view address) {
    const auto it = m_addressIndex.find(AsciiUpper(address));
    if (it == m_addressIndex.end())
        return;
    if (--it->second == 0)
        m_addressIndex.erase(it);
}

std::size_t TableStore::MemoryUsage() const noexcept {
    std::size_t total = m_rows.capacity() * sizeof(RecordPtr);
    for (const auto& r : m_rows)
        if (r)
            total += sizeof(Record) + r->len[0] + r->len[1] + r->len[2] + r->len[3];
    return total;
}

} // namespace lh
