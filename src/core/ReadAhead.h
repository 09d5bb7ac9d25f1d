#pragma once

// Reads a regular file on a second thread, one block ahead of its reader, so the reading (mostly
// the system's copy out of its cache) overlaps the work on the block before. The reader gets the
// same bytes, in the same pieces, as from reading the file itself; memory stays two blocks.
//
// Only for regular files: a pipe could block the thread in a read nobody waits for any more.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace lh {

class ReadAhead {
public:
    ReadAhead(std::FILE* file, std::size_t blockSize);
    // Stops the thread after the read it is in.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Up to `size` bytes into `into`; the count, 0 at the end, -1 on a read error with errno set
    // as the failed read left it.
    std::int64_t Read(char* into, std::size_t size);

private:
    struct Block {
        std::vector<char> bytes;
        std::size_t filled = 0;
        bool ready = false;  // filled by the thread, not yet given out in full
        bool last = false;   // the file ends after these bytes
        bool failed = false; // a read failed after these bytes
        int error = 0;       // the errno it left
    };

    void Fill();

    std::FILE* m_file;
    Block m_blocks[2];
    std::size_t m_current = 0; // the block the reader takes from
    std::size_t m_taken = 0;   // bytes of it given out
    bool m_ended = false;      // the last block has been given out
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace lh
