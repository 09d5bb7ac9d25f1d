#pragma once

// Hands batches from a producing thread to a consuming one through a fixed set that goes round:
// the producer fills a free batch, the consumer uses it and gives it back. However fast either
// side runs, memory stays at that set. `Batch` needs Clear().

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

namespace lh {

template <typename Batch> class BatchRing {
public:
    explicit BatchRing(std::size_t batches) : m_batches(batches == 0 ? 1 : batches) {
        for (Batch& b : m_batches)
            m_free.push_back(&b);
    }

    // Producer side. A free batch to fill; null once the consumer has stopped.
    Batch* TakeFree() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stopped || !m_free.empty(); });
        if (m_stopped)
            return nullptr;
        Batch* b = m_free.front();
        m_free.pop_front();
        return b;
    }
    // Passes a filled batch on, in order; false once the consumer has stopped.
    bool Send(Batch* batch) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopped)
                return false;
            m_filled.push_back(batch);
        }
        m_changed.notify_all();
        return true;
    }
    // Filled batches the consumer has not taken yet: how far ahead the producer is.
    std::size_t Waiting() {
        std::lock_guard lock(m_mutex);
        return m_filled.size();
    }
    // No more batches will come.
    void Close() {
        {
            std::lock_guard lock(m_mutex);
            m_closed = true;
        }
        m_changed.notify_all();
    }

    // Consumer side. The next filled batch, null when the producer has closed and all were
    // taken.
    Batch* Receive() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_closed || !m_filled.empty(); });
        if (m_filled.empty())
            return nullptr;
        Batch* b = m_filled.front();
        m_filled.pop_front();
        return b;
    }
    // The next filled batch when one is there now; null otherwise (Receive tells whether any
    // will come).
    Batch* TryReceive() {
        std::lock_guard lock(m_mutex);
        if (m_filled.empty())
            return nullptr;
        Batch* b = m_filled.front();
        m_filled.pop_front();
        return b;
    }
    // Gives a used batch back for reuse; the one given back last is filled first, while its
    // memory is still in the cache.
    void Release(Batch* batch) {
        batch->Clear();
        {
            std::lock_guard lock(m_mutex);
            m_free.push_front(batch);
        }
        m_changed.notify_all();
    }
    // The consumer takes no more: the producer's next call tells it to stop.
    void Stop() {
        {
            std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Batch> m_batches;
    std::deque<Batch*> m_free;
    std::deque<Batch*> m_filled;
    bool m_closed = false;
    bool m_stopped = false;
};

} // namespace lh
