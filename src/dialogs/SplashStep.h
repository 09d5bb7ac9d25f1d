#pragma once

// The splash step of the start-up, before the single-instance guard is checked, and the
// release of the splash window once the start-up collection is open.

#include <functional>

namespace lh {

class SplashWindow;

struct SplashHooks {
    // Whether another instance holds the guard; the platform's guard test when empty.
    std::function<bool()> guardExists;
    // Enters this start in the usage record; the process's usage record when empty.
    std::function<void()> recordStart;
};

// Records the start (a first instance always; a further one only when "2ndStart" is exactly 1)
// and, for a first instance with "SplashVisible" exactly 1, puts the splash window on the
// screen at once. Returns whether it did.
bool ShowSplash(const SplashHooks& hooks = {});

// The splash window while it exists, else null.
SplashWindow* ActiveSplash();

// Lets the splash window go once the events already queued are handled. Safe to call when
// there is none.
void ReleaseSplash();

} // namespace lh
