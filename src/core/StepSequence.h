#pragma once

// Several steps taken back and made again as one (a drop of several files and links, a command
// that changes the records in more than one way).

#include "EditStep.h"

#include <memory>
#include <string>
#include <vector>

namespace lh {

class StepSequence final : public EditStep {
public:
    // `steps` in the order they were done.
    StepSequence(std::string name, std::vector<std::unique_ptr<EditStep>> steps);

    void Undo(TableStore& table) override;
    void Redo(TableStore& table) override;
    TableStore::Row RecordCountChange() const noexcept override;
    TableStore::Row Where() const noexcept override;
    std::size_t MemoryUsage() const noexcept override;

private:
    std::vector<std::unique_ptr<EditStep>> m_steps;
};

} // namespace lh
