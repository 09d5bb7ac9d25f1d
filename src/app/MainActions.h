#pragma once

// The main window's menus and commands, held by what they do. The window creates them all at
// once (with caption, shortcut, hint and handler) and reaches them only through these members.

#include "util/TextEncoding.h"

#include <array>
#include <cstddef>

class QAction;
class QActionGroup;
class QMenu;

namespace lh {

struct MainActions {
    static constexpr std::size_t kHistorySlots = 5;
    static constexpr std::size_t kEncodingCount = 6;

    QMenu* fileMenu = nullptr;
    QAction* newFile = nullptr;
    QAction* open = nullptr;
    QAction* save = nullptr;
    QAction* saveAs = nullptr;
    QAction* reopen = nullptr;
    QAction* importRecords = nullptr;
    QAction* exportRecords = nullptr;
    // Printing is not offered: these stay hidden.
    QAction* printSeparator = nullptr;
    QAction* print = nullptr;
    QAction* printerSetup = nullptr;
    QAction* historySeparator = nullptr;
    std::array<QAction*, kHistorySlots> history{};
    QAction* exit = nullptr;

    QMenu* editMenu = nullptr;
    // Their texts name the step they apply; Document state changes update them.
    QAction* undo = nullptr;
    QAction* redo = nullptr;
    QAction* deleteRecord = nullptr;
    QAction* insertRecord = nullptr;
    // Removes every record whose address an earlier record has.
    QAction* removeDuplicates = nullptr;
    QAction* scanUrls = nullptr;
    QAction* scanEmails = nullptr;
    QAction* httpsScan = nullptr;
    QMenu* encodingMenu = nullptr;
    QActionGroup* encodingGroup = nullptr;
    // Indexed by EncodingChoice, which is also the menu order ("自動判別" first).
    std::array<QAction*, kEncodingCount> encodings{};
    QAction* openPage = nullptr;
    QAction* access = nullptr;
    QAction* find = nullptr;
    QAction* findNext = nullptr;
    QAction* findPrevious = nullptr;
    // Makes the order the view is sorted in the collection's own.
    QAction* applyViewOrder = nullptr;

    QMenu* settingsMenu = nullptr;
    QAction* statusBarShown = nullptr;
    QAction* statusBarSettings = nullptr;
    QAction* font = nullptr;
    QAction* otherSettings = nullptr;
    QAction* title = nullptr;

    QMenu* helpMenu = nullptr;
    QAction* helpTopics = nullptr;
    QAction* helpUsage = nullptr;
    QAction* homePage = nullptr;
    QAction* homeShortcut = nullptr;
    QAction* about = nullptr;

    QAction* Encoding(EncodingChoice choice) const {
        return encodings[static_cast<std::size_t>(choice)];
    }
};

} // namespace lh
