#pragma once

// Hands address batches from the thread that reads and scans a file to the thread that keeps
// the table, through a fixed set of batches that go round: the reader fills a free one, the
// keeper settles it and gives it back. However fast either side runs, memory stays at that set.

#include "AddressBatch.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

namespace lh {

class BatchChannel {
public:
    static constexpr std::size_t kBatches = 16;

    // Each batch is handed on at these sizes (see AddressBatch); `batches` of them go round.
    BatchChannel(std::size_t maxEntries, std::size_t maxBytes, std::size_t batches = kBatches);

    // Reader side. A free batch to fill; null once the keeper has stopped.
    AddressBatch* TakeFree();
    // Passes a filled batch on, in order; false once the keeper has stopped.
    bool Send(AddressBatch* batch);
    // No more batches will come.
    void Close();

    // Keeper side. The next filled batch, null when the reader has closed and all were taken.
    AddressBatch* Receive();
    // Gives a settled batch back for reuse.
    void Release(AddressBatch* batch);
    // The keeper will take no more: the reader's next call tells it to stop.
    void Stop();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<AddressBatch> m_batches;
    std::deque<AddressBatch*> m_free;
    std::deque<AddressBatch*> m_filled;
    bool m_closed = false;
    bool m_stopped = false;
};

} // namespace lh
