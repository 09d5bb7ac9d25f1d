#include "platform/FileSystem.h"

namespace lh::platform {

std::string EffectivePath(std::string_view path) {
    return std::string(path);
}

} // namespace lh::platform
