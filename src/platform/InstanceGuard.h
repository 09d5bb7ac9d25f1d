#pragma once

// The single-instance guard "hPrevInstLinkhive" and the way a refused start reaches the running
// main window. On Linux the guard is a lock file every running instance holds a shared lock on.

#include <string>

namespace lh::platform {

class InstanceGuard {
public:
    InstanceGuard() = default;
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;
    ~InstanceGuard();

    // True when some running instance holds the guard.
    static bool Exists();
    // Takes this process's hold; failures are silent (the instance runs anyway).
    void Acquire();
    void Release();

private:
    int m_fd = -1;
    void* m_handle = nullptr;
};

// Name of the per-user local socket on which each main window listens.
std::string MainWindowServerName();

} // namespace lh::platform
