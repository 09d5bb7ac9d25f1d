#include "CloseSettings.h"

#include "UsageRecord.h"
#include "UserInterface.h"
#include "platform/FileSystem.h"
#include "util/FileHelpers.h"
#include "util/SettingKeys.h"
#include "util/SettingsBatch.h"

namespace lh {

namespace {

constexpr const char* kStoreTooLarge1 = "設定ファイル「";
constexpr const char* kStoreTooLarge2 =
    "」は大きすぎるため読み込めません。\n"
    "ウィンドウの位置や履歴など、終了時の設定は保存されませんでした。";

} // namespace

void WriteCloseSettings(SettingsStore& settings, const CloseState& s, UsageRecord& usage,
                        MessageBoxService& messages) {
    SettingsBatch batch(settings);
    for (int i = 0; i < 5; ++i)
        keys::kCell[i].Write(settings, s.columnWidths[static_cast<std::size_t>(i)]);

    if (keys::kPositionMemory.IsOn(settings)) {
        // A minimised or maximised window keeps the placement of an earlier normal close.
        if (s.windowState == 1 || s.windowState == 2) {
            keys::kMainWinState.Write(settings, s.windowState);
        } else {
            keys::kMainTop.Write(settings, s.top);
            keys::kMainLeft.Write(settings, s.left);
            keys::kMainHeight.Write(settings, s.height);
            keys::kMainWidth.Write(settings, s.width);
            keys::kMainWinState.Write(settings, 0);
        }
    }

    for (int n = 0; n < keys::kHistorySlotCount; ++n) {
        const std::string& slot = s.historySlots[static_cast<std::size_t>(n)];
        // An emptied slot must also empty the stored name; untouched empty keys stay untouched.
        if (slot.empty() && keys::kMenuFile[n].Read(settings).empty())
            continue;
        keys::kMenuFile[n].Write(settings, slot);
    }

    keys::kOpenDir.Write(settings, s.openDialog.folder);
    keys::kOpenFilter.Write(settings, s.openDialog.filterIndex);
    keys::kSaveDir.Write(settings, s.saveDialog.folder);
    keys::kSaveFilter.Write(settings, s.saveDialog.filterIndex);
    keys::kAddDir.Write(settings, s.addDialog.folder);
    keys::kAddFilter.Write(settings, s.addDialog.filterIndex);
    keys::kImportDir.Write(settings, s.importDialog.folder);
    keys::kImportFilter.Write(settings, s.importDialog.filterIndex);
    keys::kExportDir.Write(settings, s.exportDialog.folder);
    keys::kExportFilter.Write(settings, s.exportDialog.filterIndex);

    if (keys::kEndFileOpen.IsOn(settings)) {
        if (!s.currentFile.empty() && platform::IsRegularFile(s.currentFile))
            keys::kEndFile.Write(settings, s.currentFile);
        else if (!keys::kEndFile.Read(settings).empty())
            keys::kEndFile.Write(settings, "");
    }

    usage.RecordExit();

    if (batch.Finish() == platform::StoreResult::TooLarge)
        messages.ShowMessageBox(std::string(kStoreTooLarge1) +
                                    PathForDisplay(platform::SettingsFilePath()) + kStoreTooLarge2,
                                std::string(), kWarningStyle);
}

} // namespace lh
