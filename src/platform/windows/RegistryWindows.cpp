#include "WinText.h"
#include "platform/RegFile.h"
#include "platform/Registry.h"
#include "platform/WideText.h"

#include <optional>
#include <string>
#include <vector>

// The real registry, through the wide functions. Every call opens the key, does one access and
// closes it again, so another instance's writes are seen at once. The registry holds Unicode
// text: the program's texts are code page 932 and are converted as such, explicitly, whatever
// the system code page is; paths are UTF-8 like everywhere in the program.
namespace lh::platform {

namespace {

constexpr UINT kCp932 = 932;

HKEY RootKey(RootHive root) {
    return root == RootHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The registry takes paths relative to the root; ours start with "\" to say "from the root".
std::wstring SubKey(std::string_view keyPath) {
    while (!keyPath.empty() && keyPath.front() == '\\')
        keyPath.remove_prefix(1);
    while (!keyPath.empty() && keyPath.back() == '\\')
        keyPath.remove_suffix(1);
    return Utf8ToWide(keyPath);
}

std::optional<std::wstring> WideFromCp932(std::string_view text) {
    if (text.empty())
        return std::wstring();
    const int size = static_cast<int>(text.size());
    const int n =
        ::MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), n);
    return wide;
}

// Text code page 932 cannot hold counts as unreadable, like a value of the wrong type.
std::optional<std::string> Cp932FromWide(std::wstring_view wide) {
    if (wide.empty())
        return std::string();
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int n = ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                                        nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return std::nullopt;
    std::string text(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), size, text.data(), n, nullptr,
                          &usedDefault);
    return text;
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
        return ::RegOpenKeyExW(RootKey(root), SubKey(keyPath).c_str(), 0, access, &m_key) ==
               ERROR_SUCCESS;
    }
    bool Create(RootHive root, std::string_view keyPath) {
        return ::RegCreateKeyExW(RootKey(root), SubKey(keyPath).c_str(), 0, nullptr,
                                 REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &m_key,
                                 nullptr) == ERROR_SUCCESS;
    }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// A text value as the registry holds it, up to its first NUL; empty when it cannot be read or
// is no text (REG_SZ or REG_EXPAND_SZ, the latter taken as it stands). The size is asked first
// and the read repeated while another process grows the value between the two calls.
std::optional<std::wstring> QueryText(RootHive root, std::string_view keyPath,
                                      std::string_view name) {
    OpenKey key;
    if (!key.Open(root, keyPath, KEY_QUERY_VALUE))
        return std::nullopt;
    const std::wstring wideName = Utf8ToWide(name);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (::RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            return std::nullopt;
        std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = size;
        const LSTATUS rc = ::RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, &type,
                                              reinterpret_cast<BYTE*>(buf.data()), &got);
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::nullopt;
        std::wstring text(buf.data(), got / sizeof(wchar_t));
        if (const std::size_t nul = text.find(L'\0'); nul != std::wstring::npos)
            text.resize(nul);
        return text;
    }
    return std::nullopt;
}

bool SetText(RootHive root, std::string_view keyPath, std::string_view name,
             const std::wstring& text) {
    OpenKey key;
    if (!key.Create(root, keyPath))
        return false;
    // REG_SZ data carry their terminating NUL.
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (bytes > MAXDWORD)
        return false;
    return ::RegSetValueExW(key.Get(), Utf8ToWide(name).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
}

} // namespace

std::string RegReadString(RootHive root, std::string_view keyPath, std::string_view name,
                          const std::string& def) {
    const std::optional<std::wstring> wide = QueryText(root, keyPath, name);
    if (!wide || wide->empty())
        return def;
    return Cp932FromWide(*wide).value_or(def);
}

bool RegWriteString(RootHive root, std::string_view keyPath, std::string_view name,
                    std::string_view value) {
    const std::optional<std::wstring> wide = WideFromCp932(value.substr(0, value.find('\0')));
    return wide && SetText(root, keyPath, name, *wide);
}

std::string RegReadPath(RootHive root, std::string_view keyPath, std::string_view name,
                        const std::string& def) {
    const std::optional<std::wstring> wide = QueryText(root, keyPath, name);
    return wide && !wide->empty() ? WideToUtf8(*wide) : def;
}

bool RegWritePath(RootHive root, std::string_view keyPath, std::string_view name,
                  std::string_view value) {
    return SetText(root, keyPath, name, Utf8ToWide(value.substr(0, value.find('\0'))));
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
    if (::RegQueryValueExW(key.Get(), Utf8ToWide(name).c_str(), nullptr, &type,
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
    return ::RegSetValueExW(key.Get(), Utf8ToWide(name).c_str(), 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
}

bool RegKeyHasSubKeys(RootHive root, std::string_view keyPath) {
    OpenKey key;
    if (!key.Open(root, keyPath, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS))
        return false;
    DWORD subKeys = 0;
    if (::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        return subKeys > 0;
    // Some hives refuse the summary; asking for the first subkey answers the same question.
    wchar_t nameBuf[256];
    DWORD nameLen = 256;
    const LSTATUS rc =
        ::RegEnumKeyExW(key.Get(), 0, nameBuf, &nameLen, nullptr, nullptr, nullptr, nullptr);
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
