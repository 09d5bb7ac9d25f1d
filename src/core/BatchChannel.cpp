#include "BatchChannel.h"

namespace lh {

BatchChannel::BatchChannel(std::size_t maxEntries, std::size_t maxBytes, std::size_t batches)
    : m_batches(batches == 0 ? 1 : batches) {
    for (AddressBatch& b : m_batches) {
        b.maxEntries = maxEntries;
        b.maxBytes = maxBytes;
        m_free.push_back(&b);
    }
}

AddressBatch* BatchChannel::TakeFree() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopped || !m_free.empty(); });
    if (m_stopped)
        return nullptr;
    AddressBatch* b = m_free.front();
    m_free.pop_front();
    return b;
}

bool BatchChannel::Send(AddressBatch* batch) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped)
            return false;
        m_filled.push_back(batch);
    }
    m_changed.notify_all();
    return true;
}

void BatchChannel::Close() {
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_changed.notify_all();
}

AddressBatch* BatchChannel::Receive() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_closed || !m_filled.empty(); });
    if (m_filled.empty())
        return nullptr;
    AddressBatch* b = m_filled.front();
    m_filled.pop_front();
    return b;
}

void BatchChannel::Release(AddressBatch* batch) {
    batch->Clear();
    {
        std::lock_guard lock(m_mutex);
        // The batch settled last is taken first: its memory is still in the cache, and when
        // many batches go round only those the reader runs ahead with stay in use.
        m_free.push_front(batch);
    }
    m_changed.notify_all();
}

void BatchChannel::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_changed.notify_all();
}

} // namespace lh
