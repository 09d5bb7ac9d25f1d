#include "Portable.h"
#include "TestEnvironment.h"
#include "platform/Registry.h"
#include "platform/WideText.h"
#include "util/RegistrySettingsStore.h"
#include "util/SettingKeys.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace lh;

namespace {

RegistrySettingsStore& UserStore() {
    static RegistrySettingsStore store;
    return store;
}

constexpr const char* kSetupKey = "\\Software\\Tessella\\Linkhive\\Setup";

// The value as the registry holds it, read past the program's own layer.
std::wstring RawText(const wchar_t* subKey, const wchar_t* name) {
    wchar_t buf[512] = {};
    DWORD size = sizeof buf - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, subKey, name, RRF_RT_REG_SZ, &type, buf, &size) !=
        ERROR_SUCCESS)
        return L"(none)";
    return buf;
}

class RegistryWindows : public ::testing::Test {
protected:
    test::ScopedSettingsFile m_store;
};

// Document text is code page 932 and is stored as the characters it stands for, the way any
// other program reads the key, whatever the system code page is.
TEST_F(RegistryWindows, cp932TextIsStoredAsItsCharacters) {
    const std::string cp932 = "2026\x94\x4E"; // "2026年"
    ASSERT_TRUE(
        platform::RegWriteString(platform::RootHive::CurrentUser, kSetupKey, "InstDay", cp932));
    EXPECT_EQ(RawText(L"Software\\Tessella\\Linkhive\\Setup", L"InstDay"), L"2026\u5E74");
    EXPECT_EQ(platform::RegReadString(platform::RootHive::CurrentUser, kSetupKey, "InstDay", "-"),
              cp932);
}

TEST_F(RegistryWindows, textCp932CannotHoldReadsAsTheDefault) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Tessella\\Linkhive\\Setup", 0,
                                nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t text[] = L"caf\u00E9";
    ::RegSetValueExW(key, L"InstDay", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    ::RegCloseKey(key);
    EXPECT_EQ(platform::RegReadString(platform::RootHive::CurrentUser, kSetupKey, "InstDay", "-"),
              "-");
}

// Paths are UTF-8 and keep characters code page 932 has no form for.
TEST_F(RegistryWindows, pathsKeepEveryScript) {
    const std::string path = "C:\\資料\\café 한.htm";
    ASSERT_TRUE(keys::kEndFile.Write(UserStore(), path));
    EXPECT_EQ(keys::kEndFile.Read(UserStore()), path);
    EXPECT_EQ(RawText(L"Software\\Tessella\\Linkhive\\History", L"EndFile"),
              platform::Utf8ToWide(path));
    EXPECT_EQ(keys::kOpenDir.Read(UserStore()), platform::ProgramDir()); // unset: the default
}

TEST_F(RegistryWindows, integersAndSubKeysAsTheRegistryHasThem) {
    EXPECT_FALSE(platform::RegKeyHasSubKeys(platform::RootHive::CurrentUser, kProgramKey));
    ASSERT_TRUE(UserStore().WriteInteger("Position", "MainTop", -1));
    EXPECT_EQ(UserStore().ReadInteger("Position", "MainTop", 7), -1);
    EXPECT_EQ(UserStore().ReadText("Position", "MainTop", "text"), "text"); // wrong type: default
    EXPECT_TRUE(platform::RegKeyHasSubKeys(platform::RootHive::CurrentUser, kProgramKey));
}

// Tests write a stand-in for the current user's hive; the real one is never touched.
TEST(RegistryRedirection, testsNeverWriteTheRealHive) {
    const std::string marker = "marker-" + std::to_string(::GetCurrentProcessId());
    ASSERT_TRUE(UserStore().WriteInteger("OtherSet", marker, 1));
    EXPECT_EQ(UserStore().ReadInteger("OtherSet", marker, 0), 1);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    DWORD value = 0;
    DWORD size = sizeof value;
    const LSTATUS real = ::RegGetValueW(
        HKEY_CURRENT_USER, L"Software\\Tessella\\Linkhive\\OtherSet",
        platform::Utf8ToWide(marker).c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size);
    test::UseFreshSettingsStore({});
    EXPECT_NE(real, ERROR_SUCCESS);
}

} // namespace
