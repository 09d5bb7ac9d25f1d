#include "ReadAhead.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace lh {

ReadAhead::ReadAhead(std::FILE* file, std::size_t blockSize) : m_file(file) {
    for (Block& b : m_blocks)
        b.bytes.resize(blockSize < 1 ? 1 : blockSize);
    m_thread = std::thread(&ReadAhead::Fill, this);
}

ReadAhead::~ReadAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void ReadAhead::Fill() {
    for (std::size_t next = 0;; next ^= 1) {
        Block& b = m_blocks[next];
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stop || !b.ready; });
            if (m_stop)
                return;
        }
        // The block is the thread's alone until it is marked ready.
        errno = 0;
        const std::size_t got = std::fread(b.bytes.data(), 1, b.bytes.size(), m_file);
        const bool failed = got < b.bytes.size() && std::ferror(m_file);
        const int error = errno;
        const bool last = got < b.bytes.size();
        {
            std::lock_guard lock(m_mutex);
            b.filled = got;
            b.failed = failed;
            b.error = error;
            b.last = last;
            b.ready = true;
        }
        m_changed.notify_all();
        if (last)
            return;
    }
}

std::int64_t ReadAhead::Read(char* into, std::size_t size) {
    for (;;) {
        if (m_ended)
            return 0;
        Block& b = m_blocks[m_current];
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return b.ready; });
        }
        if (m_taken < b.filled) {
            const std::size_t n = std::min(size, b.filled - m_taken);
            std::memcpy(into, b.bytes.data() + m_taken, n);
            m_taken += n;
            return static_cast<std::int64_t>(n);
        }
        if (b.failed) {
            errno = b.error;
            return -1;
        }
        if (b.last) {
            m_ended = true;
            return 0;
        }
        // This block is used up: the thread may fill it again while the other is given out.
        {
            std::lock_guard lock(m_mutex);
            b.ready = false;
        }
        m_changed.notify_all();
        m_current ^= 1;
        m_taken = 0;
    }
}

} // namespace lh
