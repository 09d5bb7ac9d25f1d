#include "WinText.h"
#include "platform/FileSystem.h"
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

bool StartsAsProgram(const std::string& target) {
    // What the shell runs rather than opens: the extensions of PATHEXT and a few more it starts
    // the same way, judged by the name the system opens ("prog.EXE." is prog.EXE).
    const std::string name = EffectivePath(target);
    const std::size_t dot = name.find_last_of(".\\/:");
    if (dot == std::string::npos || name[dot] != '.')
        return false;
    std::string ext = name.substr(dot);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    const std::string pathExt = win::EnvironmentText(L"PATHEXT");
    std::string known = ";";
    known += !pathExt.empty() ? pathExt : ".COM;.EXE;.BAT;.CMD;.VBS;.JS;.WSF";
    known += ";.SCR;.PIF;.LNK;.MSI;.HTA;.CPL;";
    for (char& c : known)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return known.find(";" + ext + ";") != std::string::npos;
}

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
