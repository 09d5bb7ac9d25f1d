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

void WriteCloseSettings(const CloseState& s, UsageRecord& usage, MessageBoxService& messages) {
    SettingsBatch batch;
    for (int i = 0; i < 5; ++i)
        keys::kCell[i].Write(s.columnWidths[static_cast<std::size_t>(i)]);

    if (keys::kPositionMemory.IsOn()) {
        // A minimised or maximised window keeps the placement of an earlier normal close.
        if (s.windowState == 1 || s.windowState == 2) {
            keys::kMainWinState.Write(s.windowState);
        } else {
            keys::kMainTop.Write(s.top);
            keys::kMainLeft.Write(s.left);
            keys::kMainHeight.Write(s.height);
            keys::kMainWidth.Write(s.width);
            keys::kMainWinState.Write(0);
        }
    }

    for (int n = 0; n < keys::kHistorySlotCount; ++n) {
        const std::string& slot = s.historySlots[static_cast<std::size_t>(n)];
        // An emptied slot must also empty the stored name; untouched empty keys stay untouched.
        if (slot.empty() && keys::kMenuFile[n].Read().empty())
            continue;
        keys::kMenuFile[n].Write(slot);
    }

    keys::kOpenDir.Write(s.openDialog.folder);
    keys::kOpenFilter.Write(s.openDialog.filterIndex);
    keys::kSaveDir.Write(s.saveDialog.folder);
    keys::kSaveFilter.Write(s.saveDialog.filterIndex);
    keys::kAddDir.Write(s.addDialog.folder);
    keys::kAddFilter.Write(s.addDialog.filterIndex);

    if (keys::kEndFileOpen.IsOn()) {
        if (!s.currentFile.empty() && platform::IsRegularFile(s.currentFile))
            keys::kEndFile.Write(s.currentFile);
        else if (!keys::kEndFile.Read().empty())
            keys::kEndFile.Write("");
    }

    usage.RecordExit();

    if (batch.Finish() == platform::StoreResult::TooLarge)
        messages.ShowMessageBox(std::string(kStoreTooLarge1) +
                                    PathForDisplay(platform::SettingsFilePath()) + kStoreTooLarge2,
                                std::string(), mb::kOk | mb::kIconExclamation);
}

} // namespace lh
