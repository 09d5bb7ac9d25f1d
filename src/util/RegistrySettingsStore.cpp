#include "RegistrySettingsStore.h"

namespace lh {

namespace {
std::string SectionPath(std::string_view section) {
    std::string path(kProgramKey);
    path += '\\';
    path += section;
    return path;
}

constexpr platform::RootHive kUser = platform::RootHive::CurrentUser;
} // namespace

std::int32_t RegistrySettingsStore::ReadInteger(std::string_view section, std::string_view key,
                                                std::int32_t def) const {
    return platform::RegReadInteger(kUser, SectionPath(section), key, def);
}

bool RegistrySettingsStore::WriteInteger(std::string_view section, std::string_view key,
                                         std::int32_t value) {
    return platform::RegWriteInteger(kUser, SectionPath(section), key, value);
}

std::string RegistrySettingsStore::ReadText(std::string_view section, std::string_view key,
                                            const std::string& def) const {
    return platform::RegReadString(kUser, SectionPath(section), key, def);
}

bool RegistrySettingsStore::WriteText(std::string_view section, std::string_view key,
                                      std::string_view value) {
    return platform::RegWriteString(kUser, SectionPath(section), key, value);
}

std::string RegistrySettingsStore::ReadPath(std::string_view section, std::string_view key,
                                            const std::string& def) const {
    return platform::RegReadPath(kUser, SectionPath(section), key, def);
}

bool RegistrySettingsStore::WritePath(std::string_view section, std::string_view key,
                                      std::string_view value) {
    return platform::RegWritePath(kUser, SectionPath(section), key, value);
}

bool RegistrySettingsStore::HoldsAnySection() const {
    return platform::RegKeyHasSubKeys(kUser, kProgramKey);
}

void RegistrySettingsStore::BeginBatch() {
    platform::RegBeginGroup();
}

platform::StoreResult RegistrySettingsStore::EndBatch() {
    return platform::RegEndGroup();
}

} // namespace lh
