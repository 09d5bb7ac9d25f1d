#include "Settings.h"

#include "platform/Registry.h"

namespace lh {

namespace {
std::string SectionPath(std::string_view section) {
    std::string path(kProgramKey);
    path += '\\';
    path += section;
    return path;
}
} // namespace

std::string ReadSetString(std::string_view section, std::string_view key, const std::string& def) {
    return platform::RegReadString(platform::RootHive::CurrentUser, SectionPath(section), key, def);
}

bool WriteSetString(std::string_view section, std::string_view key, std::string_view value) {
    return platform::RegWriteString(platform::RootHive::CurrentUser, SectionPath(section), key,
                                    value);
}

std::int32_t ReadSetInteger(std::string_view section, std::string_view key, std::int32_t def) {
    return platform::RegReadInteger(platform::RootHive::CurrentUser, SectionPath(section), key,
                                    def);
}

bool WriteSetInteger(std::string_view section, std::string_view key, std::int32_t value) {
    return platform::RegWriteInteger(platform::RootHive::CurrentUser, SectionPath(section), key,
                                     value);
}

std::string ReadSetPath(std::string_view section, std::string_view key, const std::string& def) {
    return platform::RegReadPath(platform::RootHive::CurrentUser, SectionPath(section), key, def);
}

bool WriteSetPath(std::string_view section, std::string_view key, std::string_view value) {
    return platform::RegWritePath(platform::RootHive::CurrentUser, SectionPath(section), key,
                                  value);
}

} // namespace lh
