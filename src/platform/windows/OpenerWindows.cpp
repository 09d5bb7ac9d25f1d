#include "WinText.h"
#include "platform/Opener.h"
#include "platform/WideText.h"

#include <shellapi.h>

namespace lh::platform {

namespace {
bool ShellOpen(const std::string& file, const std::string& parameters) {
    // Wide all the way: the system code page would garble any name it cannot hold.
    const std::wstring wideFile = Utf8ToWide(file);
    const std::wstring wideParameters = Utf8ToWide(parameters);
    const auto r = reinterpret_cast<INT_PTR>(::ShellExecuteW(
        nullptr, L"open", wideFile.c_str(),
        wideParameters.empty() ? nullptr : wideParameters.c_str(), nullptr, SW_SHOW));
    return r > 32;
}
} // namespace

bool OpenWithDefaultHandler(const std::string& target, const std::vector<std::string>& parameters) {
    if (target.empty())
        return false;
    if (const std::string opener = win::EnvironmentText(L"LINKHIVE_OPENER"); !opener.empty()) {
        std::vector<std::string> args{target};
        args.insert(args.end(), parameters.begin(), parameters.end());
        return ShellOpen(opener, JoinWindowsArguments(args));
    }
    return ShellOpen(target, JoinWindowsArguments(parameters));
}

} // namespace lh::platform
