#include "platform/Registry.h"

#include "platform/FileSystem.h"

#include <cstdlib>

// Placeholder store that holds nothing: every read gives its default.
namespace lh::platform {

std::string RegReadString(RootHive, std::string_view, std::string_view, const std::string& def) {
    return def;
}
bool RegWriteString(RootHive, std::string_view, std::string_view, std::string_view) {
    return false;
}
std::int32_t RegReadInteger(RootHive, std::string_view, std::string_view, std::int32_t def) {
    return def;
}
bool RegWriteInteger(RootHive, std::string_view, std::string_view, std::int32_t) { return false; }
bool RegKeyHasSubKeys(RootHive, std::string_view) { return false; }

std::string SettingsFilePath() {
    if (const char* p = std::getenv("LINKHIVE_SETTINGS"); p && *p)
        return p;
    return ConfigHome() + "/Tessella/Linkhive.reg";
}

} // namespace lh::platform
