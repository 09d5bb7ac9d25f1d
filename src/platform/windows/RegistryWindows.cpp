#include "platform/RegFile.h"
#include "platform/Registry.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <optional>
#include <string>
#include <vector>
#include <windows.h>

// The real registry. Every call opens the key, does one access and closes it again, so another
// instance's writes are seen at once. Texts are the ANSI code page's bytes, as stored.
namespace lh::platform {

namespace {

HKEY RootKey(RootHive root) {
    return root == RootHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The registry takes paths relative to the root; ours start with "\" to say "from the root".
std::string SubKey(std::string_view keyPath) {
    while (!keyPath.empty() && keyPath.front() == '\\')
        keyPath.remove_prefix(1);
    while (!keyPath.empty() && keyPath.back() == '\\')
        keyPath.remove_suffix(1);
    return std::string(keyPath);
}

// Closes the key on every path out of a call.
class OpenKey {
public:
    OpenKey() = default;
    ~OpenKey() {
        if (m_key)
            ::RegCloseKey(m_key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    bool Open(RootHive root, std::string_view keyPath, REGSAM access) {
        return ::RegOpenKeyExA(RootKey(root), SubKey(keyPath).c_str(), 0, access, &m_key) ==
               ERROR_SUCCESS;
    }
    bool Create(RootHive root, std::string_view keyPath) {
        return ::RegCreateKeyExA(RootKey(root), SubKey(keyPath).c_str(), 0, nullptr,
                                 REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &m_key,
                                 nullptr) == ERROR_SUCCESS;
    }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// The whole value with its type; empty when it cannot be read. The size is asked first and the
// read repeated while another process grows the value between the two calls.
std::optional<RegValue> QueryValue(HKEY key, const std::string& name) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (::RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        RegValue v;
        v.type = type;
        if (size == 0)
            return v;
        std::vector<BYTE> buf(size);
        DWORD got = size;
        const LSTATUS rc = ::RegQueryValueExA(key, name.c_str(), nullptr, &type, buf.data(), &got);
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc != ERROR_SUCCESS)
            return std::nullopt;
        v.type = type;
        v.data.assign(reinterpret_cast<const char*>(buf.data()), got);
        return v;
    }
    return std::nullopt;
}

} // namespace

std::string RegReadString(RootHive root, std::string_view keyPath, std::string_view name,
                          const std::string& def) {
    OpenKey key;
    if (!key.Open(root, keyPath, KEY_QUERY_VALUE))
        return def;
    const auto v = QueryValue(key.Get(), std::string(name));
    if (!v)
        return def;
    return RegValueText(*v).value_or(def);
}

bool RegWriteString(RootHive root, std::string_view keyPath, std::string_view name,
                    std::string_view value) {
    OpenKey key;
    if (!key.Create(root, keyPath))
        return false;
    // REG_SZ data carry their terminating NUL.
    std::string data(value);
    data += '\0';
    if (data.size() > MAXDWORD)
        return false;
    return ::RegSetValueExA(key.Get(), std::string(name).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.data()),
                            static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

std::int32_t RegReadInteger(RootHive root, std::string_view keyPath, std::string_view name,
                            std::int32_t def) {
    OpenKey key;
    if (!key.Open(root, keyPath, KEY_QUERY_VALUE))
        return def;
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    // Data longer than four bytes fail with ERROR_MORE_DATA; shorter data are not a DWORD.
    if (::RegQueryValueExA(key.Get(), std::string(name).c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return def;
    return static_cast<std::int32_t>(value);
}

bool RegWriteInteger(RootHive root, std::string_view keyPath, std::string_view name,
                     std::int32_t value) {
    OpenKey key;
    if (!key.Create(root, keyPath))
        return false;
    const DWORD data = static_cast<DWORD>(value);
    return ::RegSetValueExA(key.Get(), std::string(name).c_str(), 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
}

bool RegKeyHasSubKeys(RootHive root, std::string_view keyPath) {
    OpenKey key;
    if (!key.Open(root, keyPath, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS))
        return false;
    DWORD subKeys = 0;
    if (::RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        return subKeys > 0;
    // Some hives refuse the summary; asking for the first subkey answers the same question.
    char nameBuf[256];
    DWORD nameLen = sizeof nameBuf;
    const LSTATUS rc =
        ::RegEnumKeyExA(key.Get(), 0, nameBuf, &nameLen, nullptr, nullptr, nullptr, nullptr);
    return rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA;
}

// The registry stores each value as it is written and has no file to outgrow, so a group has
// nothing to gather: it only reports.
void RegBeginGroup() {}

StoreResult RegEndGroup() {
    return StoreResult::Saved;
}

// The registry needs no file; the path exists for the text store used elsewhere.
std::string SettingsFilePath() {
    return {};
}

} // namespace lh::platform
