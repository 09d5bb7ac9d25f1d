#include "StartupRules.h"

#include "platform/FileSystem.h"
#include "util/Placement.h"
#include "util/SettingKeys.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace lh {

namespace {

// A name given relative to the folder the program was started in, made full: the history and
// the file reopened at the next start must not depend on where this start happened to run.
std::string FullPath(const std::string& name) {
    if (platform::IsAbsolutePath(name))
        return name;
    // Through UTF-8 both ways: a narrow path string would be read in the system code page.
    const auto utf8 = [](const std::filesystem::path& p) {
        const std::u8string s = p.u8string();
        return std::string(s.begin(), s.end());
    };
    std::error_code ec;
    const std::filesystem::path full =
        std::filesystem::absolute(std::u8string(name.begin(), name.end()), ec);
    if (ec)
        return name;
    // ".." after a symbolic link can lead elsewhere lexically; then the plain form is kept.
    const std::filesystem::path normal = full.lexically_normal();
    return std::filesystem::equivalent(full, normal, ec) ? utf8(normal) : utf8(full);
}

} // namespace

std::string StartupFileName(const std::vector<std::string>& parameters) {
    if (parameters.empty())
        return {};
    std::string name = parameters.front();
    for (std::size_t i = 1; i < parameters.size(); ++i) {
        if (platform::IsAbsolutePath(parameters[i]))
            break;
        name += ' ';
        name += parameters[i];
    }
    return name;
}

std::string StartupDocument(const SettingsStore& settings, const std::string& commandLineName) {
    // A folder or device named here is still handed on, so the open can say what it is rather
    // than the program starting silently with something else.
    if (!commandLineName.empty() && platform::FileExists(commandLineName))
        return FullPath(commandLineName);
    if (keys::kEndFileOpen.IsOn(settings)) {
        const std::string endFile = keys::kEndFile.Read(settings);
        if (!endFile.empty() && platform::FileExists(endFile))
            return endFile;
    }
    return {};
}

MainPlacement RestoreMainPlacement(const SettingsStore& settings, bool secondInstance,
                                   int screenWidth, int screenHeight, int designedWidth,
                                   int designedHeight) {
    MainPlacement p;
    if (secondInstance || !keys::kPositionMemory.IsOn(settings))
        return p;
    const WindowPosition pos =
        RestorePlacement(settings, keys::kMainPlacement, {screenWidth, screenHeight},
                         {designedWidth, designedHeight});
    p.top = pos.top;
    p.left = pos.left;
    const int h = keys::kMainHeight.Read(settings);
    const int w = keys::kMainWidth.Read(settings);
    if (h < keys::kMinMainHeight || h > screenHeight || w < keys::kMinMainWidth || w > screenWidth)
        return MainPlacement{};
    p.height = h;
    p.width = w;
    p.systemChooses = false;
    return p;
}

int CaretPanelWidth(const SettingsStore& settings, int statusBarHeight) {
    const int p = keys::kPanelVisible1.ReadOr(settings, keys::PanelWidthForHeight(statusBarHeight));
    return p >= 0 ? std::min(p, keys::kMaxStoredWidth) : -1;
}

int StartupWindowState(const SettingsStore& settings, int launchState) {
    if (keys::kPositionMemory.IsOn(settings)) {
        const int s = keys::kMainWinState.Read(settings);
        return (s == 1 || s == 2) ? s : 0;
    }
    return (launchState == 1 || launchState == 2) ? launchState : 0;
}

} // namespace lh
