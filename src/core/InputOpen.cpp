#include "InputOpen.h"

#include "IoError.h"
#include "platform/InputFile.h"

namespace lh {

std::FILE* OpenForReading(const std::string& path, bool acceptStream, IoCode& code) {
    platform::InputKind kind = platform::InputKind::Missing;
    std::FILE* f = platform::OpenInputFile(path, acceptStream, kind, code);
    if (f || code)
        return f;
    switch (kind) {
    case platform::InputKind::Folder:
        code = IoErrorKind::IsFolder;
        break;
    case platform::InputKind::Missing:
        code = IoErrorKind::NotFound;
        break;
    default:
        code = IoErrorKind::NotRegularFile;
        break;
    }
    return nullptr;
}

std::int64_t ReadInputFile(void* file, char* into, std::size_t size) {
    auto* stream = static_cast<std::FILE*>(file);
    const std::size_t got = std::fread(into, 1, size, stream);
    if (got == 0 && std::ferror(stream))
        return -1;
    return static_cast<std::int64_t>(got);
}

} // namespace lh
