#pragma once

// Where the program keeps its settings: named values in sections, each an integer or a text.
// Core code takes a store from its caller, so the program uses the user's registry and tests an
// in-memory store. Reads never fail (they give the default); writes report success, which
// callers may ignore.

#include "platform/Registry.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace lh {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual std::int32_t ReadInteger(std::string_view section, std::string_view key,
                                     std::int32_t def) const = 0;
    virtual bool WriteInteger(std::string_view section, std::string_view key,
                              std::int32_t value) = 0;
    // Code page 932 text. An empty stored text reads as missing.
    virtual std::string ReadText(std::string_view section, std::string_view key,
                                 const std::string& def) const = 0;
    virtual bool WriteText(std::string_view section, std::string_view key,
                           std::string_view value) = 0;
    // Texts that are file paths (the platform's path strings, not code page 932 text).
    virtual std::string ReadPath(std::string_view section, std::string_view key,
                                 const std::string& def) const = 0;
    virtual bool WritePath(std::string_view section, std::string_view key,
                           std::string_view value) = 0;

    // False until the program stored anything: its first start finds no section.
    virtual bool HoldsAnySection() const = 0;

    // Writes between the two calls reach the store together or not at all (see SettingsBatch).
    virtual void BeginBatch() = 0;
    virtual platform::StoreResult EndBatch() = 0;
};

} // namespace lh
