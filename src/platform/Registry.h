#pragma once

// General level of the settings store: a root hive and a full key path ("\Software\...").
// On Windows these are the real registry calls; elsewhere a REGEDIT4-format text file that
// every call re-reads and that a write replaces atomically under a lock.
// Texts are code page 932 bytes, as the registry holds them.

#include <cstdint>
#include <string>
#include <string_view>

namespace lh::platform {

enum class RootHive { CurrentUser, LocalMachine };

std::string RegReadString(RootHive root, std::string_view keyPath, std::string_view name,
                          const std::string& def);
bool RegWriteString(RootHive root, std::string_view keyPath, std::string_view name,
                    std::string_view value);
std::int32_t RegReadInteger(RootHive root, std::string_view keyPath, std::string_view name,
                            std::int32_t def);
bool RegWriteInteger(RootHive root, std::string_view keyPath, std::string_view name,
                     std::int32_t value);
bool RegKeyHasSubKeys(RootHive root, std::string_view keyPath);

// Paths are the program's UTF-8 path strings, not code page 932 text; on Windows the registry
// keeps them as its own Unicode text, so a name code page 932 cannot hold survives too.
// Elsewhere they are stored as they are, like any text.
std::string RegReadPath(RootHive root, std::string_view keyPath, std::string_view name,
                        const std::string& def);
bool RegWritePath(RootHive root, std::string_view keyPath, std::string_view name,
                  std::string_view value);

// Where the Linux store lives: $LINKHIVE_SETTINGS, else $XDG_CONFIG_HOME/Tessella/Linkhive.reg.
std::string SettingsFilePath();

} // namespace lh::platform
