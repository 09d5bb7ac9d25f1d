#pragma once

// The document's undo history: the steps done, the steps undone that can be redone, and the
// step at which the table matches its file (the clean state that the modified mark follows).

#include "EditStep.h"
#include "TableStore.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace lh {

class EditHistory {
public:
    // Oldest steps are forgotten beyond this many, so a long session does not hoard memory.
    static constexpr std::size_t kDefaultLimit = 1000;

    explicit EditHistory(std::size_t limit = kDefaultLimit);
    ~EditHistory();
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;
    EditHistory(EditHistory&&) noexcept;
    EditHistory& operator=(EditHistory&&) noexcept;

    // A step whose change was just made to `table`: it becomes the step to undo, and the
    // steps undone before it can no longer be redone. While a group is open it joins the group.
    void Add(std::unique_ptr<EditStep> step, const TableStore& table);

    // Steps added between BeginGroup and the matching EndGroup become one step named `name`
    // (groups may nest; the outermost one counts). A group that got no step adds nothing.
    void BeginGroup(std::string name);
    void EndGroup(const TableStore& table);

    bool CanUndo() const noexcept { return m_done > 0; }
    bool CanRedo() const noexcept { return m_done < m_steps.size(); }
    // Names of the step Undo and Redo would apply; empty when there is none.
    std::string UndoName() const;
    std::string RedoName() const;

    // Undoes the last step done / redoes the first step undone. False when there is none, or
    // when the table no longer has the records the step was made on: the history is then
    // forgotten instead of applied to the wrong records. `where` receives the step's record.
    bool Undo(TableStore& table, TableStore::Row* where = nullptr);
    bool Redo(TableStore& table, TableStore::Row* where = nullptr);

    // Forgets every step; the empty history is the clean state.
    void Clear();
    // The table now matches its file.
    void MarkClean() noexcept { m_clean = m_done; }
    // True when as many steps are done as when the table last matched its file.
    bool IsClean() const noexcept { return m_clean == m_done; }

    std::size_t StepCount() const noexcept { return m_steps.size(); }
    // Bytes the steps hold, for the memory benchmark.
    std::size_t MemoryUsage() const noexcept;

private:
    struct Entry {
        std::unique_ptr<EditStep> step;
        TableStore::Row recordsWhenDone = 0;
    };
    static constexpr std::size_t kNoCleanState = static_cast<std::size_t>(-1);

    void Append(Entry entry);
    // Drops every step after the table went its own way, keeping whether it matches its file.
    void Forget();

    std::vector<Entry> m_steps;
    // Steps 0..m_done-1 are done; the rest were undone.
    std::size_t m_done = 0;
    // The value of m_done when the table matched its file; kNoCleanState once no sequence of
    // undo and redo can bring that state back.
    std::size_t m_clean = 0;
    std::size_t m_limit;
    // The open group: its name, the steps gathered so far and how deeply it is nested.
    std::string m_groupName;
    std::vector<std::unique_ptr<EditStep>> m_group;
    int m_groupDepth = 0;
};

} // namespace lh
