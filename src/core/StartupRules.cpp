#include "StartupRules.h"

#include "platform/FileSystem.h"
#include "util/SettingKeys.h"

namespace lh {

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

std::string StartupDocument(const std::string& commandLineName) {
    if (!commandLineName.empty() && platform::IsRegularFile(commandLineName))
        return commandLineName;
    if (keys::kEndFileOpen.IsOn()) {
        const std::string endFile = keys::kEndFile.Read();
        if (!endFile.empty() && platform::IsRegularFile(endFile))
            return endFile;
    }
    return {};
}

MainPlacement RestoreMainPlacement(bool secondInstance, int screenWidth, int screenHeight,
                                   int designedWidth, int designedHeight) {
    MainPlacement p;
    if (secondInstance || !keys::kPositionMemory.IsOn())
        return p;
    const int top = keys::kMainTop.Read();
    p.top = (top >= 0 && top < screenHeight) ? top : (screenHeight - designedHeight) / 2;
    const int left = keys::kMainLeft.Read();
    p.left = (left >= 0 && left < screenWidth) ? left : (screenWidth - designedWidth) / 2;
    const int h = keys::kMainHeight.Read();
    const int w = keys::kMainWidth.Read();
    if (h < 27 || h > screenHeight || w < 112 || w > screenWidth)
        return MainPlacement{};
    p.height = h;
    p.width = w;
    p.systemChooses = false;
    return p;
}

int CaretPanelWidth(int statusBarHeight) {
    const int p = keys::kPanelVisible1.ReadOr(statusBarHeight * 65 / 19);
    return p >= 0 ? p : -1;
}

int StartupWindowState(int launchState) {
    if (keys::kPositionMemory.IsOn()) {
        const int s = keys::kMainWinState.Read();
        return (s == 1 || s == 2) ? s : 0;
    }
    return (launchState == 1 || launchState == 2) ? launchState : 0;
}

} // namespace lh
