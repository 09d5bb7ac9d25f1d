#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

#include <unistd.h>

namespace lh::platform {

bool ReplaceKeepingBackup(const std::string& from, const std::string& to, const std::string& backup,
                          int& errorCode) {
    RemoveFile(backup);
    const bool kept = RenameFile(to, backup);
    if (!kept) {
        FileStat st;
        if (StatFile(to, st) && st.attributes.readOnly) {
            errorCode = 5;
            return false;
        }
    }
    if (MoveIntoPlace(from, to, errorCode))
        return true;
    if (kept)
        RenameFile(backup, to);
    return false;
}

void DiscardFile(const std::string& path) {
    ::unlink(path.c_str());
}

} // namespace lh::platform
