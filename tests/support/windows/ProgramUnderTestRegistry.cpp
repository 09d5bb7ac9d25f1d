// Linked into the copy of the program that the two-process tests start on Windows. Windows has
// no per-process settings file: before main runs, the current user's registry is redirected to
// the test's scratch key (LINKHIVE_TEST_REGISTRY_KEY, set by the test's settings store), so the
// program reads what the test prepared and stores where the test looks, never in the real
// settings. Without the key it refuses to run.

#include "platform/WideText.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

std::wstring ScratchKeyPath() {
    const wchar_t* name = L"LINKHIVE_TEST_REGISTRY_KEY";
    const DWORD n = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0)
        return {};
    std::wstring path(n, L'\0');
    const DWORD got = ::GetEnvironmentVariableW(name, path.data(), n);
    path.resize(got < n ? got : 0);
    return path;
}

[[noreturn]] void Refuse(const char* why) {
    std::fprintf(stderr, "program under test: %s\n", why);
    std::_Exit(3);
}

struct RedirectCurrentUser {
    RedirectCurrentUser() {
        const std::wstring path = ScratchKeyPath();
        // Only the tests' own keys: anything else could be the user's real settings.
        if (path.rfind(L"Software\\LinkhiveTests\\", 0) != 0)
            Refuse("LINKHIVE_TEST_REGISTRY_KEY names no test key under Software\\LinkhiveTests");
        HKEY scratch = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &scratch, nullptr) != ERROR_SUCCESS ||
            ::RegOverridePredefKey(HKEY_CURRENT_USER, scratch) != ERROR_SUCCESS)
            Refuse(("cannot redirect the registry to " + lh::platform::WideToUtf8(path)).c_str());
        ::RegCloseKey(scratch);
    }
};

const RedirectCurrentUser g_redirect;

} // namespace
