#pragma once

// Every setting the program reads or writes, with its section, type and default, in one place.
// Code reads settings through these definitions, from the store it was given, and never repeats
// a literal default.

#include "SettingsStore.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <string>

namespace lh {

struct IntSetting {
    const char* section;
    const char* key;
    std::int32_t def;

    std::int32_t Read(const SettingsStore& store) const {
        return store.ReadInteger(section, key, def);
    }
    // Same key, another default (the few readers whose default is computed).
    std::int32_t ReadOr(const SettingsStore& store, std::int32_t other) const {
        return store.ReadInteger(section, key, other);
    }
    bool Write(SettingsStore& store, std::int32_t v) const {
        return store.WriteInteger(section, key, v);
    }
    // Options count as on only when exactly 1.
    bool IsOn(const SettingsStore& store) const { return Read(store) == 1; }
    // The few options that count as on unless exactly 0.
    bool IsNotOff(const SettingsStore& store) const { return Read(store) != 0; }
};

// Text settings. A null default stands for the folder that holds the program file.
struct StringSetting {
    const char* section;
    const char* key;
    const char* def;

    std::string Read(const SettingsStore& store) const {
        return store.ReadText(section, key, def ? std::string(def) : platform::ProgramDir());
    }
    std::string ReadOr(const SettingsStore& store, const std::string& other) const {
        return store.ReadText(section, key, other);
    }
    bool Write(SettingsStore& store, std::string_view v) const {
        return store.WriteText(section, key, v);
    }
};

// Text settings that hold file paths. A null default stands for the folder that holds the
// program file.
struct PathSetting {
    const char* section;
    const char* key;
    const char* def;

    std::string Read(const SettingsStore& store) const {
        return store.ReadPath(section, key, def ? std::string(def) : platform::ProgramDir());
    }
    std::string ReadOr(const SettingsStore& store, const std::string& other) const {
        return store.ReadPath(section, key, other);
    }
    bool Write(SettingsStore& store, std::string_view v) const {
        return store.WritePath(section, key, v);
    }
};

// The pair of "Position" keys where a window keeps its top and left (see Placement.h).
struct PlacementKeys {
    IntSetting top;
    IntSetting left;
};

namespace sec {
inline constexpr const char* kOtherSet = "OtherSet";
inline constexpr const char* kPosition = "Position";
inline constexpr const char* kStatusBar = "StatusBar";
inline constexpr const char* kFont = "Font";
inline constexpr const char* kHistory = "History";
inline constexpr const char* kSetup = "Setup";
inline constexpr const char* kToolBar = "ToolBar";
} // namespace sec

namespace keys {
// "OtherSet"
inline constexpr IntSetting k2ndStart{sec::kOtherSet, "2ndStart", 1};
// The other-settings dialog reads the same key with default 0: with nothing stored its box shows
// unticked, although the start-up lets several instances run.
inline constexpr IntSetting k2ndStartBox{sec::kOtherSet, "2ndStart", 0};
inline constexpr IntSetting kSplashVisible{sec::kOtherSet, "SplashVisible", 1};
inline constexpr IntSetting kPositionMemory{sec::kOtherSet, "PositionMemory", 1};
inline constexpr IntSetting kEndMsg{sec::kOtherSet, "EndMsg", 0};
inline constexpr IntSetting kEndFileOpen{sec::kOtherSet, "EndFileOpen", 1};
inline constexpr IntSetting kOpenToSave{sec::kOtherSet, "OpenToSave", 0};
inline constexpr IntSetting kEscToClose{sec::kOtherSet, "EscToClose", 0};
inline constexpr IntSetting kBackFile{sec::kOtherSet, "BackFile", 0};
inline constexpr IntSetting kFileHistOpen{sec::kOtherSet, "FileHistOpen", 1};
inline constexpr IntSetting kFileHistSave{sec::kOtherSet, "FileHistSave", 1};
// Scans: the encoding files are read in (a name EncodingChoiceNamed knows) and whether
// "HTTPS://" starts an address too.
inline constexpr StringSetting kScanEncoding{sec::kOtherSet, "ScanEncoding", "auto"};
inline constexpr IntSetting kScanHttps{sec::kOtherSet, "ScanHttps", 0};

// "Position"
inline constexpr IntSetting kMainTop{sec::kPosition, "MainTop", -1};
inline constexpr IntSetting kMainLeft{sec::kPosition, "MainLeft", -1};
inline constexpr IntSetting kMainHeight{sec::kPosition, "MainHeight", 0};
inline constexpr IntSetting kMainWidth{sec::kPosition, "MainWidth", 0};
inline constexpr IntSetting kMainWinState{sec::kPosition, "MainWinState", 0};
// A stored height or width is used only from these up to the screen's size.
inline constexpr int kMinMainHeight = 27;
inline constexpr int kMinMainWidth = 112;
inline constexpr IntSetting kCell[5] = {{sec::kPosition, "Cell1", 0},
                                        {sec::kPosition, "Cell2", 0},
                                        {sec::kPosition, "Cell3", 0},
                                        {sec::kPosition, "Cell4", 0},
                                        {sec::kPosition, "Cell5", 0}};
// The widest a stored width (a column, the caret panel) is taken. The store may hold any 32-bit
// value; sums of such widths overflow the toolkit's arithmetic and the window asks for gigabytes
// of pixels, while no screen shows even this much.
inline constexpr std::int32_t kMaxStoredWidth = 16384;
// Base widths of the columns at font size 9, for a stored width below 1.
inline constexpr int kCellBaseWidth[5] = {35, 100, 250, 120, 100};
// Width of column `column` (0..4) when its stored width is below 1: point size x base / 9.
constexpr std::int32_t CellDefaultWidth(int column, std::int32_t fontPointSize) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(fontPointSize) *
                                     kCellBaseWidth[column] / 9);
}
inline constexpr IntSetting kSetOtherTop{sec::kPosition, "SetOtherTop", -1};
inline constexpr IntSetting kSetOtherLeft{sec::kPosition, "SetOtherLeft", -1};
inline constexpr IntSetting kSetOtherTab{sec::kPosition, "SetOtherTab", 1};
inline constexpr IntSetting kSetBarTop{sec::kPosition, "SetBarTop", -1};
inline constexpr IntSetting kSetBarLeft{sec::kPosition, "SetBarLeft", -1};
inline constexpr IntSetting kAboutTop{sec::kPosition, "AboutTop", -1};
inline constexpr IntSetting kAboutLeft{sec::kPosition, "AboutLeft", -1};
inline constexpr PlacementKeys kMainPlacement{kMainTop, kMainLeft};
inline constexpr PlacementKeys kSetOtherPlacement{kSetOtherTop, kSetOtherLeft};
inline constexpr PlacementKeys kSetBarPlacement{kSetBarTop, kSetBarLeft};
inline constexpr PlacementKeys kAboutPlacement{kAboutTop, kAboutLeft};

// "StatusBar". "Visible" is written by the status-bar toggle and dialog; the start-up does not
// read it, and a reader that chooses to would find the bar shown by default.
inline constexpr IntSetting kStatusVisible{sec::kStatusBar, "Visible", 1};
// Width of the caret-position panel. Its default depends on the status bar's height:
// kPanelVisible1.ReadOr(store, PanelWidthForHeight(height)); def is the width at the designed
// height.
inline constexpr int kPanelDesignWidth = 65;
inline constexpr int kStatusBarDesignHeight = 19;
constexpr std::int32_t PanelWidthForHeight(std::int32_t statusBarHeight) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(statusBarHeight) *
                                     kPanelDesignWidth / kStatusBarDesignHeight);
}
inline constexpr IntSetting kPanelVisible1{sec::kStatusBar, "PanelVisible1",
                                           PanelWidthForHeight(kStatusBarDesignHeight)};
inline constexpr IntSetting kGaugeVisible{sec::kStatusBar, "GaugeVisible", 1};
inline constexpr IntSetting kInfoVisible{sec::kStatusBar, "InfoVisible", 1};
inline constexpr IntSetting kNewGauge{sec::kStatusBar, "NewGauge", 1};

// "Font"
inline constexpr IntSetting kFontColor{sec::kFont, "Color", static_cast<std::int32_t>(0x80000008u)};
inline constexpr StringSetting kFontName{sec::kFont, "Name", "System"};
inline constexpr IntSetting kFontSize{sec::kFont, "Size", 10};
// The sizes the font dialog offers, in points. A stored size above them is taken as the largest;
// row heights and column widths follow the size, and a huge one hangs the window.
inline constexpr std::int32_t kMinFontSize = 1;
inline constexpr std::int32_t kMaxFontSize = 512;
inline constexpr IntSetting kFontBold{sec::kFont, "Bold", 0};
inline constexpr IntSetting kFontItalic{sec::kFont, "Italic", 0};
inline constexpr IntSetting kFontUnderline{sec::kFont, "Underline", 0};
inline constexpr IntSetting kFontStrikeOut{sec::kFont, "StrikeOut", 0};

// "History". The folder defaults (null here) are the program folder.
inline constexpr int kHistorySlotCount = 5;
inline constexpr PathSetting kMenuFile[kHistorySlotCount] = {{sec::kHistory, "MenuFile1", ""},
                                                             {sec::kHistory, "MenuFile2", ""},
                                                             {sec::kHistory, "MenuFile3", ""},
                                                             {sec::kHistory, "MenuFile4", ""},
                                                             {sec::kHistory, "MenuFile5", ""}};
inline constexpr PathSetting kOpenDir{sec::kHistory, "OpenDir", nullptr};
inline constexpr IntSetting kOpenFilter{sec::kHistory, "OpenFilter", 1};
inline constexpr PathSetting kSaveDir{sec::kHistory, "SaveDir", nullptr};
inline constexpr IntSetting kSaveFilter{sec::kHistory, "SaveFilter", 1};
inline constexpr PathSetting kAddDir{sec::kHistory, "AddDir", nullptr};
inline constexpr IntSetting kAddFilter{sec::kHistory, "AddFilter", 1};
// The import and export dialogs; with nothing stored they open where the file dialog chooses.
inline constexpr PathSetting kImportDir{sec::kHistory, "ImportDir", ""};
inline constexpr IntSetting kImportFilter{sec::kHistory, "ImportFilter", 1};
inline constexpr PathSetting kExportDir{sec::kHistory, "ExportDir", ""};
inline constexpr IntSetting kExportFilter{sec::kHistory, "ExportFilter", 1};
inline constexpr PathSetting kEndFile{sec::kHistory, "EndFile", ""};

// "Setup": the usage record, all text.
inline constexpr StringSetting kNumber{sec::kSetup, "Number", "1"};
inline constexpr StringSetting kInstDay{sec::kSetup, "InstDay", ""};
inline constexpr StringSetting kVersion{sec::kSetup, "Version", ""};
inline constexpr PathSetting kExeName{sec::kSetup, "ExeName", ""};
inline constexpr StringSetting kAllTime{sec::kSetup, "AllTime", "0"};
inline constexpr StringSetting kLastStartDay{sec::kSetup, "LastStartDay", ""};
inline constexpr StringSetting kLastEndDay{sec::kSetup, "LastEndDay", ""};
inline constexpr const char* kUsageUnknown = "不明"; // the about box's default for these keys
inline constexpr const char* kToolVersion = "Tessella Tool   Ver1.00";

// "ToolBar"
inline constexpr IntSetting kShowHint{sec::kToolBar, "ShowHint", 1};
} // namespace keys

} // namespace lh
