#pragma once

// Section level of the settings store: HKEY_CURRENT_USER "\Software\Tessella\Linkhive\<section>".
// No cache: every call opens the store, does one access and closes it again. Reads never fail
// (they give the default); writes report success, which callers may ignore.

#include <cstdint>
#include <string>
#include <string_view>

namespace lh {

inline constexpr const char* kProgramKey = "\\Software\\Tessella\\Linkhive";

std::string ReadSetString(std::string_view section, std::string_view key, const std::string& def);
bool WriteSetString(std::string_view section, std::string_view key, std::string_view value);
std::int32_t ReadSetInteger(std::string_view section, std::string_view key, std::int32_t def);
bool WriteSetInteger(std::string_view section, std::string_view key, std::int32_t value);
// Texts that are file paths (the platform's path strings, not code page 932 text).
std::string ReadSetPath(std::string_view section, std::string_view key, const std::string& def);
bool WriteSetPath(std::string_view section, std::string_view key, std::string_view value);

} // namespace lh
