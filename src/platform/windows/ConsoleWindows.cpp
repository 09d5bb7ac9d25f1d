#include "WinText.h"
#include "platform/Console.h"
#include "platform/FileSystem.h"
#include "platform/WideText.h"

#include <algorithm>
#include <io.h>
#include <shellapi.h>

namespace lh::platform {

namespace {

HANDLE ConsoleOf(std::FILE* stream) {
    const auto h = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    DWORD mode = 0;
    if (h == INVALID_HANDLE_VALUE || ::GetFileType(h) != FILE_TYPE_CHAR ||
        !::GetConsoleMode(h, &mode))
        return nullptr;
    return h;
}

bool HasWildcard(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

// Name order as Explorer's plain sort would give it for the same letters: case left aside.
bool NameLess(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
}

} // namespace

std::vector<std::string> ProgramArguments(int, char**) {
    std::vector<std::string> words;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide)
        return words;
    for (int i = 1; i < count; ++i)
        words.push_back(WideToUtf8(wide[i]));
    ::LocalFree(wide);
    return words;
}

std::vector<std::string> ExpandWildcards(const std::string& word) {
    const std::string folder = DirectoryPart(word);
    // Only the last name may hold a pattern; "C:*.txt" keeps its drive-relative form.
    if (!HasWildcard(FileNamePart(word)) || HasWildcard(folder))
        return {word};
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileExW(win::WidePath(word).c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return {word};
    std::vector<std::wstring> names;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.emplace_back(data.cFileName);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    if (names.empty())
        return {word};
    std::sort(names.begin(), names.end(), NameLess);
    // The folder as the user wrote it, so the names read back as they were typed.
    const std::string prefix = word.substr(0, word.size() - FileNamePart(word).size());
    std::vector<std::string> files;
    for (const std::wstring& name : names)
        files.push_back(prefix + WideToUtf8(name));
    return files;
}

bool IsTerminal(std::FILE* stream) {
    return ConsoleOf(stream) != nullptr;
}

bool WriteText(std::FILE* stream, std::string_view utf8) {
    const HANDLE console = ConsoleOf(stream);
    if (!console)
        return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
    // What went through the stream before must come out first.
    std::fflush(stream);
    const std::wstring wide = Utf8ToWide(utf8);
    std::size_t done = 0;
    while (done < wide.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
        DWORD written = 0;
        if (!::WriteConsoleW(console, wide.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace lh::platform
