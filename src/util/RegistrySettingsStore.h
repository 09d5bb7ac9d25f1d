#pragma once

// The user's settings: HKEY_CURRENT_USER "\Software\Tessella\Linkhive\<section>", or its
// REGEDIT4 text file off Windows. No cache: every call opens the store, does one access and
// closes it again, so several instances see each other's writes.

#include "SettingsStore.h"

namespace lh {

inline constexpr const char* kProgramKey = "\\Software\\Tessella\\Linkhive";

class RegistrySettingsStore final : public SettingsStore {
public:
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t def) const override;
    bool WriteInteger(std::string_view section, std::string_view key, std::int32_t value) override;
    std::string ReadText(std::string_view section, std::string_view key,
                         const std::string& def) const override;
    bool WriteText(std::string_view section, std::string_view key, std::string_view value) override;
    std::string ReadPath(std::string_view section, std::string_view key,
                         const std::string& def) const override;
    bool WritePath(std::string_view section, std::string_view key, std::string_view value) override;
    bool HoldsAnySection() const override;
    void BeginBatch() override;
    platform::StoreResult EndBatch() override;
};

} // namespace lh
