#pragma once

// A settings store held as text in the REGEDIT4 format: a "REGEDIT4" header line, sections
// "[HKEY_CURRENT_USER\Software\...]" and values ("Name"="text", "Name"=dword:0000000a,
// "Name"=hex(2):41,00, "Name"=hex:01,02). Parsing and writing only; no file or OS access.
//
// A file edited by hand may hold lines this parser does not understand. Those lines are kept
// verbatim in their place, so rewriting the file to change one value never loses what it held.
// Key paths and value names compare without regard to ASCII letter case, as in the registry.

#include "platform/Registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lh::platform {

namespace regtype {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kExpandSz = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
} // namespace regtype

// One stored value: its registry type and data bytes (a DWORD as 4 little-endian bytes).
struct RegValue {
    std::uint32_t type = regtype::kNone;
    std::string data;

    static RegValue Text(std::string_view text);
    static RegValue Dword(std::int32_t value);
    bool operator==(const RegValue&) const = default;
};

// The read rules shared by every backend. A text reads only from REG_SZ or REG_EXPAND_SZ (taken
// as it stands), ends at the first NUL and is missing when empty; an integer reads only from a
// REG_DWORD of exactly four bytes.
std::optional<std::string> RegValueText(const RegValue& value);
std::optional<std::int32_t> RegValueInteger(const RegValue& value);

class RegFile {
public:
    enum class SetResult { Unchanged, Changed, Refused };

    // Never fails: whatever cannot be parsed is kept as verbatim lines and marks the file damaged.
    // A carriage return counts as a blank wherever blanks may stand.
    static RegFile Parse(std::string_view text);
    // Lines read are written back byte for byte; new lines end like the file's first line (LF,
    // or CR LF). A file that lacked the header gets one in front of its old first line.
    std::string Serialize() const;

    // The value in effect (the last one, when a name occurs more than once), or null.
    const RegValue* Find(RootHive root, std::string_view keyPath, std::string_view name) const;
    // Stores a value, creating its section when needed. Earlier duplicates and unparseable lines
    // of the same name in that key are replaced. Refused when the key path or the name holds a
    // control character (they cannot be written on one line).
    SetResult Set(RootHive root, std::string_view keyPath, std::string_view name,
                  const RegValue& value);
    // True when some section lies below the key (the key then exists implicitly).
    bool HasSubKeys(RootHive root, std::string_view keyPath) const;

    // The file held lines that could not be parsed, or no header.
    bool IsDamaged() const noexcept { return m_damaged; }

private:
    struct Entry {
        std::string text;                // the line(s) as stored, without the final LF
        std::optional<std::string> name; // value name, also when the rest of the line is damaged
        std::optional<RegValue> value;   // set only for a fully parsed value line
    };
    struct Section {
        std::string header; // the "[...]" line; empty for the lines before the first section
        bool known = false; // header names a hive this store knows
        RootHive root = RootHive::CurrentUser;
        std::string path; // without leading or trailing backslashes
        std::vector<Entry> entries;
    };

    bool Matches(const Section& s, RootHive root, std::string_view path) const;
    // A line this object writes, in the file's line-end style ("\n" inside becomes "\r\n").
    std::string NewLine(std::string_view text) const;

    std::vector<Section> m_sections; // m_sections[0] holds the lines before the first section
    bool m_hasHeader = false;
    std::string m_headerLine; // as read, when the file had one
    bool m_crlf = false;      // the file's lines end with CR LF
    bool m_hasBom = false;
    bool m_damaged = false;
};

} // namespace lh::platform
