#pragma once

// A regular file read into FileBytes a piece at a time, so that work on its first bytes can go on
// while the rest is still being read. Room for the whole file, at the size it had when opened,
// is taken at once: while the file keeps that size, the bytes read never move.

#include "FileBytes.h"
#include "InputOpen.h"
#include "IoError.h"
#include "UserInterface.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace lh {

class FileInPieces {
public:
    enum class Step {
        More,   // a piece was read; more may follow
        End,    // the file is read to its end
        Full,   // the room taken on opening is full: the file has grown since (only in place)
        Failed, // a read error, or a file of kLargestRead or more (Error() says which)
    };

    // Files of 1 GiB and more are refused: other programs' exports are a few tens of megabytes.
    static constexpr std::int64_t kLargestRead = std::int64_t{1} << 30;

    // Opens a regular file (see OpenForReading) and takes the room for it.
    bool Open(const std::string& path, IoError& error);
    // The file's size when opened; 0 when it was not known.
    std::size_t SizeWhenOpened() const noexcept { return m_sizeWhenOpened; }

    // Reads up to `most` more bytes (at least one). `inPlace` keeps the bytes read where they
    // are: the read then stops at the room taken on opening (Full).
    Step Read(std::size_t most, bool inPlace);
    // Reads all that is left, the room growing as needed, stepping `progress` by each piece.
    Step ReadRest(ProgressSink& progress);
    // Bytes the last Read added.
    std::size_t LastRead() const noexcept { return m_lastRead; }

    const FileBytes& Bytes() const noexcept { return m_bytes; }
    FileBytes TakeBytes() noexcept {
        FileBytes taken = std::move(m_bytes);
        m_bytes.Clear();
        return taken;
    }
    // Set when Read failed.
    const IoError& Error() const noexcept { return m_error; }

private:
    static constexpr std::size_t kRestPiece = std::size_t{1} << 20;

    InputFile m_file;
    std::string m_path;
    FileBytes m_bytes;
    std::size_t m_sizeWhenOpened = 0;
    std::size_t m_lastRead = 0;
    bool m_ended = false; // read to the end: further reads find nothing more
    IoError m_error;
};

} // namespace lh
