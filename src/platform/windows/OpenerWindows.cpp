#include "platform/Opener.h"

#include <cstdlib>
#include <windows.h>
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
