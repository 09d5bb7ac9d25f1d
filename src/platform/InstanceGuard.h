#pragma once

// The single-instance guard "hPrevInstLinkhive" and the way a refused start reaches the running
// main windows. On Linux the guard is a lock file every running instance holds a shared lock
// on; it vanishes with the last holder, a crashed one included. On Windows it is a named mutex.

#include <string>
#include <vector>

namespace lh::platform {

inline constexpr const char* kInstanceGuardName = "hPrevInstLinkhive";

class InstanceGuard {
public:
    InstanceGuard() = default;
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;
    ~InstanceGuard();

    // True when some running instance (this one included) holds the guard.
    static bool Exists();
    // Takes this process's hold; failures are silent (the instance runs anyway).
    void Acquire();
    void Release();
    bool Held() const noexcept;

private:
    int m_fd = -1;
    void* m_handle = nullptr;
};

// Name of the local socket on which this process's main window listens: a per-user name
// derived from the main window's class name, unique to the process.
std::string MainWindowServerName();
// Names on which running main windows may listen (stale ones included), for a refused start.
std::vector<std::string> MainWindowServerNames();

// Lets a running instance bring its window to the front when this process asks it to; a
// refused start calls it before the request. Nothing to do where windows need no leave.
void AllowActivationByOtherInstance();

} // namespace lh::platform
