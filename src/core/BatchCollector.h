#pragma once

// The reading side of a scan: collects what the scanner finds into batches and hands each on
// when it is full. The reader's progress travels with the addresses found before it, so it is
// shown only once they are settled.

#include "AddressBatch.h"
#include "AddressSink.h"
#include "UserInterface.h"

#include <functional>
#include <string>
#include <string_view>

namespace lh {

class BatchCollector final : public AddressSink, public ProgressSink {
public:
    // Takes a batch to pass on; `last` when no more will follow. Returns the batch to fill
    // next (it may be the same one, emptied); it may throw to stop the scan.
    using Handoff = std::function<AddressBatch*(AddressBatch* filled, bool last)>;

    // Every address is stored as `prefix` + the text found.
    BatchCollector(std::string_view prefix, AddressBatch* first, Handoff handoff)
        : m_prefix(prefix), m_batch(first), m_handoff(std::move(handoff)) {}

    void Found(std::string_view address) override {
        m_batch->Add(m_prefix, address);
        if (m_batch->Full())
            HandOn(false);
    }
    void TooLong(std::uint64_t) override { ++m_batch->tooLong; }

    void ProgressStart(std::int64_t, const std::string&) override {}
    void ProgressStep(std::int64_t amount) override {
        m_batch->progress += amount;
        if (m_batch->Full())
            HandOn(false);
    }
    void ProgressEnd() override {}

    // Hands on what is left; call once, after the whole file.
    void Finish() {
        if (m_batch)
            HandOn(true);
    }

private:
    void HandOn(bool last) { m_batch = m_handoff(m_batch, last); }

    std::string m_prefix;
    AddressBatch* m_batch;
    Handoff m_handoff;
};

} // namespace lh
