#include "platform/Opener.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace lh::platform {

namespace {

std::mutex g_childrenMutex;
std::vector<pid_t> g_children;

// Started programs are not waited for; reap the ones that ended so none stays a zombie.
void ReapFinishedChildren() {
    std::lock_guard lock(g_childrenMutex);
    for (auto it = g_children.begin(); it != g_children.end();) {
        int status = 0;
        const pid_t r = ::waitpid(*it, &status, WNOHANG);
        if (r == *it || (r < 0 && errno == ECHILD))
            it = g_children.erase(it);
        else
            ++it;
    }
}

// Starts a program with exactly these arguments; no shell ever sees them. Returns 0 or the
// error that kept it from starting.
int Spawn(const std::string& program, const std::vector<std::string>& args) {
    ReapFinishedChildren();
    std::vector<char*> argv;
    argv.reserve(args.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (const int err =
            ::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ))
        return err;
    std::lock_guard lock(g_childrenMutex);
    g_children.push_back(pid);
    return 0;
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && path.front() == '/' && ::stat(path.c_str(), &st) == 0 &&
           S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// xdg-open, like most openers, reads an argument with a leading '-' as an option; written as a
// relative path it names the same file and is no option.
std::string NotAnOption(const std::string& target) {
    return target.front() == '-' ? "./" + target : target;
}

} // namespace

bool StartsAsProgram(const std::string& target) {
    if (!IsExecutableFile(target))
        return false;
    // The kernel runs what starts with these; anything else with execute permission (files on
    // NTFS drives and network shares) fails with ENOEXEC and goes to the handler as a document.
    const int fd = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return true; // executable but unreadable: it may still run, so count it as a program
    char head[4] = {};
    const ssize_t n = ::read(fd, head, sizeof head);
    ::close(fd);
    static constexpr char kElf[4] = {'\x7F', 'E', 'L', 'F'};
    return (n >= 4 && std::memcmp(head, kElf, 4) == 0) ||
           (n >= 2 && head[0] == '#' && head[1] == '!');
}

bool OpenWithDefaultHandler(const std::string& target, const std::vector<std::string>& parameters) {
    if (target.empty())
        return false;
    if (const char* opener = std::getenv("LINKHIVE_OPENER"); opener && *opener) {
        std::vector<std::string> args{NotAnOption(target)};
        args.insert(args.end(), parameters.begin(), parameters.end());
        return Spawn(opener, args) == 0;
    }
    if (IsExecutableFile(target)) {
        // Files on NTFS drives and network shares often carry execute permission whatever they
        // hold. One the system cannot run (no program format, or a noexec mount) is a document.
        const int err = Spawn(target, parameters);
        if (err != ENOEXEC && err != EACCES)
            return err == 0;
    }
    // The handler takes the target alone: parameters it would drop make this a failure instead.
    if (!parameters.empty())
        return false;
    return Spawn("xdg-open", {NotAnOption(target)}) == 0;
}

} // namespace lh::platform
