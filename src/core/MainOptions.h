#pragma once

// The main window's option fields that the settings dialogs read and change at once. The main
// window owns one instance, loads it at start-up and consults it wherever an option matters;
// the dialogs get it by reference, so a confirmed change is in force the moment they close.

#include "util/SettingKeys.h"
#include "util/TextEncoding.h"

#include <string>

namespace lh {

// How files are scanned: the encoding they are read in and whether "HTTPS://" starts an address
// too. The defaults give the results the program always gave on code page 932 files.
struct ScanOptions {
    EncodingChoice encoding = EncodingChoice::Auto;
    bool https = false;
};

// The scan dialog's remembered folder and filter index ("AddDir", "AddFilter"), loaded at
// start-up and written back at exit, and the scan options ("ScanEncoding", "ScanHttps"), loaded
// at start-up and written when the user changes them.
struct ScanDialogMemory {
    std::string addDir;
    int addFilter = 1;
    ScanOptions scan;
};

// The scan commands get the base part: one copy of the folder and filter index, which the
// window's start-up and exit read and write as options.
struct MainOptions : ScanDialogMemory {
    bool escToClose = false;
    bool openToSave = false;
    int backFile = 0; // 0 no backup, 1 ".bak", 2 ".~" + old extension
    bool fileHistOpen = true;
    bool fileHistSave = true;

    // Progress display switches.
    bool gaugeVisible = true; // the strip appears during long operations
    bool infoVisible = true;  // the description label beside the bar
    bool newGauge = true;     // the platform's progress bar rather than the block gauge
};

} // namespace lh
