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

// How a group of settings accesses ended.
enum class StoreResult {
    Saved,    // every write of the group is stored (or there was nothing to store)
    TooLarge, // the store is too large to read: it was left as it is and nothing was stored
    Failed,   // the store could not be written (protected, disk full, ...): nothing was stored
};

// Groups the reads and writes between the two calls into one read-modify-write of the store,
// for callers that write many values at once: one lock held throughout, one parse, one
// replacement, so the group lands whole or not at all and another instance never sees half of
// it. Reads inside the group see its writes. Groups nest; the outermost end stores. For the
// user-interface thread only. Where every write is stored at once by the system, the group
// only reports.
void RegBeginGroup();
StoreResult RegEndGroup();

// Where the Linux store lives: $LINKHIVE_SETTINGS, else $XDG_CONFIG_HOME/Tessella/Linkhive.reg.
std::string SettingsFilePath();

} // namespace lh::platform
