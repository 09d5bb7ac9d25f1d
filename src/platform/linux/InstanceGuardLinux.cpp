#include "platform/FileSystem.h"
#include "platform/InstanceGuard.h"

#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace lh::platform {

namespace {

constexpr std::string_view kServerBase = "TLinkhiveMainForm";

std::string GuardPath() {
    const std::string dir = RuntimeDir();
    return dir.empty() ? std::string() : JoinPath(dir, kInstanceGuardName);
}

} // namespace

InstanceGuard::~InstanceGuard() {
    Release();
}

bool InstanceGuard::Exists() {
    const std::string path = GuardPath();
    if (path.empty())
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    // Holders keep a shared lock, so an exclusive one is refused while any instance runs. A
    // refusal may also come from another start probing at the same instant; such a probe lets
    // go at once, so a few short retries tell the two apart.
    bool held = true;
    for (int attempt = 0; attempt < 3 && held; ++attempt) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::flock(fd, LOCK_UN);
            held = false;
        } else if (errno != EWOULDBLOCK && errno != EINTR) {
            held = false;
        } else if (attempt < 2) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    ::close(fd);
    return held;
}

void InstanceGuard::Acquire() {
    if (m_fd >= 0)
        return;
    const std::string path = GuardPath();
    if (path.empty())
        return;
    // A link planted in place of the guard must not make us create or lock a file elsewhere.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return;
    int rc;
    do
        rc = ::flock(fd, LOCK_SH);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

void InstanceGuard::Release() {
    if (m_fd < 0)
        return;
    // The file stays: removing it could split a later holder from a later prober.
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

bool InstanceGuard::Held() const noexcept {
    return m_fd >= 0;
}

std::string MainWindowServerName() {
    const std::string dir = RuntimeDir();
    if (dir.empty())
        return std::string();
    return JoinPath(dir, std::string(kServerBase) + "." + std::to_string(::getpid()));
}

std::vector<std::string> MainWindowServerNames() {
    std::vector<std::string> names;
    const std::string dir = RuntimeDir();
    if (dir.empty())
        return names;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return names;
    const std::string prefix = std::string(kServerBase) + ".";
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name(e->d_name);
        if (name.substr(0, prefix.size()) == prefix && name.size() > prefix.size())
            names.push_back(JoinPath(dir, name));
    }
    ::closedir(d);
    return names;
}

} // namespace lh::platform
