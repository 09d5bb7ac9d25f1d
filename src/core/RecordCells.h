#pragma once

// The records as the whole-collection operations (find, the view's order, duplicates) read
// them: how many there are and one cell at a time, so any store plugs in without copying its
// texts. Records are counted from 0 in collection order.

#include <cstddef>
#include <functional>
#include <string_view>
#include <utility>

namespace lh {

// The grid's columns, numbered as the grid counts them.
enum class GridColumn : int { Number = 0, Name = 1, Address = 2, Access = 3, Remark = 4 };

class RecordCells {
public:
    // The code page 932 text of a record's cell (never asked for the number column); it must
    // stay valid while the operation that asked runs.
    using Reader = std::function<std::string_view(std::size_t record, GridColumn column)>;

    RecordCells(std::size_t count, Reader reader) : m_count(count), m_reader(std::move(reader)) {}

    std::size_t Count() const noexcept { return m_count; }
    std::string_view Cell(std::size_t record, GridColumn column) const {
        return m_reader(record, column);
    }

private:
    std::size_t m_count;
    Reader m_reader;
};

} // namespace lh
