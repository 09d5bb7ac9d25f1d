#include "StatusBarHost.h"

#include "dialogs/ProgramSettings.h"
#include "util/SettingKeys.h"

namespace lh {

void ToggleStatusBar(StatusBarHost& host) {
    const bool on = !host.IsStatusBarWanted();
    host.SetStatusBarWanted(on);
    keys::kStatusVisible.Write(ProgramSettings(), on ? 1 : 0);
}

int CaretPanelWidthFor(bool shown, int height) {
    return shown ? keys::PanelWidthForHeight(height) : 0;
}

} // namespace lh
