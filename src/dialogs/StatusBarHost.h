#pragma once

// What the status-bar settings need from the main window: its status bar and the menu item
// that toggles it. The progress display's switches travel in MainOptions.

#include "core/MainOptions.h"

namespace lh {

class StatusBarHost {
public:
    virtual ~StatusBarHost() = default;

    // The tick of the status-bar menu item; setting it also shows or hides the status bar.
    virtual bool IsStatusBarWanted() const = 0;
    virtual void SetStatusBarWanted(bool on) = 0;
    // Whether the status bar is on the screen right now.
    virtual bool IsStatusBarVisible() const = 0;
    virtual int StatusBarHeight() const = 0;
    // Width of the caret-position panel; 0 hides it.
    virtual int CaretPanelWidth() const = 0;
    virtual void SetCaretPanelWidth(int width) = 0;
    // The progress switches in MainOptions changed; show the chosen bar and label.
    virtual void ProgressLookChanged() {}
};

// The status-bar menu item: flips it, shows or hides the status bar, stores the choice.
void ToggleStatusBar(StatusBarHost& host);

// Width of the caret-position panel for a status bar `height` pixels high (65 at 19).
int CaretPanelWidthFor(bool shown, int height);

} // namespace lh
