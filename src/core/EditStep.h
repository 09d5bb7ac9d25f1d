#pragma once

// One change of the records that the user can take back and make again. A step is recorded
// after its change was made to the table, so it starts out done; Undo and Redo then alternate.
// A new kind of change is a new subclass, recorded with Document::RecordStep.

#include "TableStore.h"

#include <cstddef>
#include <string>
#include <utility>

namespace lh {

class EditStep {
public:
    // `name` is what the Edit menu shows after "元に戻す" and "やり直し" (UTF-8).
    explicit EditStep(std::string name) : m_name(std::move(name)) {}
    virtual ~EditStep() = default;
    EditStep(const EditStep&) = delete;
    EditStep& operator=(const EditStep&) = delete;

    const std::string& Name() const noexcept { return m_name; }

    virtual void Undo(TableStore& table) = 0;
    virtual void Redo(TableStore& table) = 0;
    // Records the step adds to the table when done (negative: removes), so the history can tell
    // a table that no longer matches its steps before it applies one.
    virtual TableStore::Row RecordCountChange() const noexcept = 0;
    // The record the window shows after the step was undone or redone (-1: none).
    virtual TableStore::Row Where() const noexcept = 0;
    // Bytes the step takes, itself included.
    virtual std::size_t MemoryUsage() const noexcept = 0;

private:
    std::string m_name;
};

} // namespace lh
