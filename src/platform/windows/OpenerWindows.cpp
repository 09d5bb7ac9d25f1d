#include "platform/Opener.h"

#include <cstdlib>
#include <windows.h>

// After windows.h, which it builds on.
#include <shellapi.h>

namespace lh::platform {

namespace {
std::string JoinParameters(const std::vector<std::string>& parameters) {
    std::string out;
    for (const auto& p : parameters) {
        if (!out.empty())
            out += ' ';
        const bool quote = p.find(' ') != std::string::npos;
        if (quote)
            out += '"';
        out += p;
        if (quote)
            out += '"';
    }
    return out;
}
} // namespace

std::vector<std::string> SplitParameters(const std::string& parameters) {
    // The shell takes the parameters as one text; keep them whole.
    if (parameters.empty())
        return {};
    return {parameters};
}

bool StartsAsProgram(const std::string& target) {
    // What the shell runs rather than opens: the extensions of PATHEXT and a few more it starts
    // the same way.
    const std::size_t dot = target.find_last_of(".\\/:");
    if (dot == std::string::npos || target[dot] != '.')
        return false;
    std::string ext = target.substr(dot);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    const char* pathExt = std::getenv("PATHEXT");
    std::string known = ";";
    known += (pathExt && *pathExt) ? pathExt : ".COM;.EXE;.BAT;.CMD;.VBS;.JS;.WSF";
    known += ";.SCR;.PIF;.LNK;.MSI;.HTA;.CPL;";
    for (char& c : known)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return known.find(";" + ext + ";") != std::string::npos;
}

bool OpenWithDefaultHandler(const std::string& target, const std::vector<std::string>& parameters) {
    if (target.empty())
        return false;
    const std::string params = JoinParameters(parameters);
    if (const char* opener = std::getenv("LINKHIVE_OPENER"); opener && *opener) {
        const std::string args = "\"" + target + "\"" + (params.empty() ? "" : " " + params);
        const auto r = reinterpret_cast<INT_PTR>(
            ::ShellExecuteA(nullptr, "open", opener, args.c_str(), "", SW_SHOW));
        return r > 32;
    }
    const auto r = reinterpret_cast<INT_PTR>(
        ::ShellExecuteA(nullptr, "open", target.c_str(), params.c_str(), "", SW_SHOW));
    return r > 32;
}

} // namespace lh::platform
