// Writes the arguments it was started with, one UTF-8 line each, to the file named by
// LINKHIVE_TEST_RECORD: what a program started by the opener really received.
#include <cstdio>
#include <string>
// shellapi.h needs what windows.h declares.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

int main() {
    wchar_t record[1024];
    const DWORD n = ::GetEnvironmentVariableW(L"LINKHIVE_TEST_RECORD", record, 1024);
    if (n == 0 || n >= 1024)
        return 1;
    int count = 0;
    wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::string text;
    for (int i = 1; args && i < count; ++i) {
        char buf[4096];
        const int len =
            ::WideCharToMultiByte(CP_UTF8, 0, args[i], -1, buf, sizeof buf, nullptr, nullptr);
        text += std::string(buf, len > 0 ? len - 1 : 0) + "\n";
    }
    const std::wstring part = std::wstring(record) + L".part";
    std::FILE* f = _wfopen(part.c_str(), L"wb");
    if (!f)
        return 1;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return ::MoveFileExW(part.c_str(), record, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
