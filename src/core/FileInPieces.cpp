#include "FileInPieces.h"

#include "platform/FileSystem.h"
#include "platform/LargePages.h"

#include <algorithm>
#include <cerrno>

namespace lh {

bool FileInPieces::Open(const std::string& path, IoError& error) {
    IoCode code;
    m_file.reset(OpenForReading(path, false, code));
    if (!m_file) {
        error = {code, path};
        return false;
    }
    m_path = path;
    platform::FileStat st;
    if (platform::StatFile(path, st) && st.size > 0 && st.size < kLargestRead) {
        m_sizeWhenOpened = static_cast<std::size_t>(st.size);
        // One byte more than the file holds: a read that fills it tells that the file grew. The
        // room is taken before it is first touched, so that the advice still counts.
        const std::size_t room = m_sizeWhenOpened + 1;
        platform::AdviseLargePages(m_bytes.Spare(room), room);
    }
    return true;
}

FileInPieces::Step FileInPieces::Read(std::size_t most, bool inPlace) {
    m_lastRead = 0;
    if (m_ended)
        return Step::End;
    if (!m_file)
        return Step::Failed;
    if (inPlace) {
        const std::size_t room =
            m_sizeWhenOpened + 1 - std::min(m_bytes.Size(), m_sizeWhenOpened + 1);
        if (room == 0 || m_sizeWhenOpened == 0)
            return Step::Full;
        most = std::min(most, room);
    }
    most = std::max<std::size_t>(most, 1);
    char* const into = m_bytes.Spare(most);
    errno = 0;
    const std::size_t got = std::fread(into, 1, most, m_file.get());
    m_bytes.Added(got);
    m_lastRead = got;
    if (static_cast<std::int64_t>(m_bytes.Size()) >= kLargestRead) {
        m_error = {IoErrorKind::FileTooLarge, m_path};
        m_file.reset();
        return Step::Failed;
    }
    if (got == most)
        return Step::More;
    if (std::ferror(m_file.get())) {
        m_error = {platform::MapErrnoToIoCode(errno ? errno : EIO), m_path};
        m_file.reset();
        return Step::Failed;
    }
    m_file.reset();
    m_ended = true;
    return Step::End;
}

FileInPieces::Step FileInPieces::ReadRest(ProgressSink& progress) {
    for (;;) {
        // The rest of the room taken on opening in one go, pieces of kRestPiece past it.
        const std::size_t held = m_bytes.Size();
        const std::size_t most = m_sizeWhenOpened > 0 && held <= m_sizeWhenOpened
                                     ? m_sizeWhenOpened + 1 - held
                                     : kRestPiece;
        const Step step = Read(most, false);
        progress.ProgressStep(static_cast<std::int64_t>(m_lastRead));
        if (step != Step::More)
            return step;
    }
}

} // namespace lh
