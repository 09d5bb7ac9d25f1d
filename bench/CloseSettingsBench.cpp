// The writing of the exit settings into a large settings file: the values one by one, each a
// whole read-parse-replace of the file, against the one batched change the close makes.
// Usage: close_settings_bench <folder> [megabytes] [rounds]
// Prints "<what> <seconds>" lines (best of the rounds).

#include "BenchSupport.h"
#include "core/CloseSettings.h"
#include "core/UsageRecord.h"
#include "core/UserInterface.h"
#include "util/RegistrySettingsStore.h"
#include "util/SettingKeys.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

using namespace lh;
using bench::Seconds;

namespace {

class NoMessages final : public MessageBoxService {
public:
    Answer ShowMessageBox(const std::string& text, const std::string&, MessageStyle) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return Answer::Ok;
    }
};

CloseState TypicalClose(int round) {
    CloseState s;
    s.columnWidths = {38, 111, 277 + round, 133, 111};
    s.top = 10 + round;
    s.left = 20;
    s.height = 600;
    s.width = 800;
    s.historySlots = {"/home/u/a.htm", "/home/u/b.htm", "/home/u/c.htm", "", ""};
    s.openDialog = {"/home/u", 1};
    s.saveDialog = {"/home/u", 2};
    s.addDialog = {"/home/u/logs", 3};
    s.currentFile = "/home/u/a.htm";
    return s;
}

// The same values as the close writes, each on its own, as the close did before batching.
void WriteOneByOne(SettingsStore& store, const CloseState& s, UsageRecord& usage) {
    for (int i = 0; i < 5; ++i)
        keys::kCell[i].Write(store, s.columnWidths[static_cast<std::size_t>(i)]);
    if (keys::kPositionMemory.IsOn(store)) {
        keys::kMainTop.Write(store, s.top);
        keys::kMainLeft.Write(store, s.left);
        keys::kMainHeight.Write(store, s.height);
        keys::kMainWidth.Write(store, s.width);
        keys::kMainWinState.Write(store, 0);
    }
    for (int n = 0; n < keys::kHistorySlotCount; ++n) {
        const std::string& slot = s.historySlots[static_cast<std::size_t>(n)];
        if (slot.empty() && keys::kMenuFile[n].Read(store).empty())
            continue;
        keys::kMenuFile[n].Write(store, slot);
    }
    keys::kOpenDir.Write(store, s.openDialog.folder);
    keys::kOpenFilter.Write(store, s.openDialog.filterIndex);
    keys::kSaveDir.Write(store, s.saveDialog.folder);
    keys::kSaveFilter.Write(store, s.saveDialog.filterIndex);
    keys::kAddDir.Write(store, s.addDialog.folder);
    keys::kAddFilter.Write(store, s.addDialog.filterIndex);
    if (keys::kEndFileOpen.IsOn(store))
        keys::kEndFile.Write(store, s.currentFile);
    usage.RecordExit();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder> [megabytes] [rounds]\n", argv[0]);
        return 2;
    }
    const std::string path = std::string(argv[1]) + "/Linkhive.reg";
    const long megabytes = argc > 2 ? std::atol(argv[2]) : 15;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    ::setenv("LINKHIVE_SETTINGS", path.c_str(), 1);

    // A file grown by other keys (a hand-kept section of many values), under the size cap.
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessella\\Linkhive\\Other]\n";
        const long target = megabytes * 1024 * 1024;
        long written = 0;
        for (long i = 0; written < target; ++i) {
            const std::string line = "\"Value" + std::to_string(i) + "\"=dword:0000abcd\n";
            out << line;
            written += static_cast<long>(line.size());
        }
    }

    RegistrySettingsStore store;
    UsageRecord usage(store, [] { return 46000.5; });
    NoMessages messages;
    double oneByOne = 1e9;
    double batched = 1e9;
    for (int r = 0; r < rounds; ++r) {
        auto start = std::chrono::steady_clock::now();
        WriteOneByOne(store, TypicalClose(2 * r), usage);
        oneByOne = std::min(oneByOne, Seconds(start));
        start = std::chrono::steady_clock::now();
        WriteCloseSettings(store, TypicalClose(2 * r + 1), usage, messages);
        batched = std::min(batched, Seconds(start));
    }
    std::printf("close-values-one-by-one %.3f\n", oneByOne);
    std::printf("close-values-batched %.3f\n", batched);
    return 0;
}
