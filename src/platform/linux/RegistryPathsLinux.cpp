#include "platform/Registry.h"

namespace lh::platform {

// The text store keeps bytes as they are; a path needs nothing of its own.
std::string RegReadPath(RootHive root, std::string_view keyPath, std::string_view name,
                        const std::string& def) {
    return RegReadString(root, keyPath, name, def);
}

bool RegWritePath(RootHive root, std::string_view keyPath, std::string_view name,
                  std::string_view value) {
    return RegWriteString(root, keyPath, name, value);
}

} // namespace lh::platform
