#include "platform/AtomicFile.h"

namespace lh::platform {

bool IsSameFile(const std::string& a, const std::string& b) {
    const FileIdentity first = ReadFileIdentity(a);
    const FileIdentity second = ReadFileIdentity(b);
    return first.exists && second.exists && first.device == second.device &&
           first.fileNumber == second.fileNumber;
}

} // namespace lh::platform
