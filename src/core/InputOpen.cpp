#include "InputOpen.h"

#include "IoError.h"
#include "platform/InputFile.h"

namespace lh {

std::FILE* OpenForReading(const std::string& path, bool acceptStream, int& code) {
    platform::InputKind kind = platform::InputKind::Missing;
    std::FILE* f = platform::OpenInputFile(path, acceptStream, kind, code);
    if (f || code != 0)
        return f;
    switch (kind) {
    case platform::InputKind::Folder:
        code = kIoIsFolder;
        break;
    case platform::InputKind::Missing:
        code = 2;
        break;
    default:
        code = kIoNotRegularFile;
        break;
    }
    return nullptr;
}

} // namespace lh
