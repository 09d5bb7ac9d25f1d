// The program started offscreen on a collection until its caption names the file, against the
// companion loading the same file (a URL scan of an empty file: the load, nothing to add,
// nothing written). Runs alternate between the two so the load of a shared machine falls on
// both alike; prints the medians and their ratio.
// Usage: window_open_bench <linkhive> <linkhive-cli> <collection> [rounds]

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct Setup {
    std::string program;
    std::string cli;
    std::string collection;
    fs::path work;
    std::vector<std::string> environment;
};

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& environment) {
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The caption the window answers with, or empty while nobody listens yet.
std::string AskCaption(const std::string& socketPath) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return {};
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::write(fd, "caption\n", 8) == 8) {
        char buf[512];
        ssize_t n;
        // The answer comes when the window is back in its event loop, that is after the load.
        while (answer.find('\n') == std::string::npos && (n = ::read(fd, buf, sizeof buf)) > 0)
            answer.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return answer;
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Peak resident memory of a running process in KiB, 0 when unknown.
long PeakKib(pid_t pid) {
    std::FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
    if (!f)
        return 0;
    char line[256];
    long kib = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmHWM: %ld", &kib) == 1)
            break;
    std::fclose(f);
    return kib;
}

double RunProgram(const Setup& s, long& peakKib) {
    const std::string want = "[" + fs::path(s.collection).filename().string() + "]";
    const auto start = Clock::now();
    const pid_t pid = Spawn({s.program, s.collection}, s.environment);
    if (pid < 0)
        return -1;
    const std::string socketPath =
        (s.work / "rt" / ("TLinkhiveMainForm." + std::to_string(pid))).string();
    double seconds = -1;
    while (Seconds(start) < 300) {
        if (AskCaption(socketPath).find(want) != std::string::npos) {
            seconds = Seconds(start);
            peakKib = PeakKib(pid);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // Killed rather than closed: the close would store settings, which is not what is timed.
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::error_code ignored;
    fs::remove(socketPath, ignored);
    return seconds;
}

double RunCompanion(const Setup& s) {
    const auto start = Clock::now();
    const pid_t pid =
        Spawn({s.cli, "scan-urls", s.collection, (s.work / "empty.txt").string()}, s.environment);
    if (pid < 0)
        return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds = Seconds(start);
    return (WIFEXITED(status) && WEXITSTATUS(status) == 0) ? seconds : -1;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <linkhive> <linkhive-cli> <collection> [rounds]\n",
                     argv[0]);
        return 2;
    }
    Setup s;
    s.program = fs::absolute(argv[1]).string();
    s.cli = fs::absolute(argv[2]).string();
    s.collection = fs::absolute(argv[3]).string();
    const int rounds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 5;

    char tmpl[] = "/tmp/window_open_bench.XXXXXX";
    if (!::mkdtemp(tmpl)) {
        std::perror("mkdtemp");
        return 1;
    }
    s.work = tmpl;
    fs::create_directory(s.work / "rt");
    fs::permissions(s.work / "rt", fs::perms::owner_all);
    std::FILE* empty = std::fopen((s.work / "empty.txt").c_str(), "wb");
    if (empty)
        std::fclose(empty);
    for (char** e = environ; *e; ++e) {
        const std::string_view v(*e);
        if (!v.starts_with("QT_QPA_PLATFORM=") && !v.starts_with("XDG_RUNTIME_DIR=") &&
            !v.starts_with("LINKHIVE_SETTINGS="))
            s.environment.emplace_back(v);
    }
    s.environment.push_back("QT_QPA_PLATFORM=offscreen");
    s.environment.push_back("XDG_RUNTIME_DIR=" + (s.work / "rt").string());
    s.environment.push_back("LINKHIVE_SETTINGS=" + (s.work / "settings.reg").string());

    std::vector<double> program;
    std::vector<double> companion;
    std::vector<double> peak;
    for (int r = 0; r < rounds; ++r) {
        // Alternate which goes first, so neither always meets a warmer or a busier machine.
        const bool programFirst = r % 2 == 0;
        long kib = 0;
        const double a = programFirst ? RunProgram(s, kib) : RunCompanion(s);
        const double b = programFirst ? RunCompanion(s) : RunProgram(s, kib);
        const double p = programFirst ? a : b;
        const double c = programFirst ? b : a;
        if (p < 0 || c < 0) {
            std::fprintf(stderr, "round %d failed (program %.3f, companion %.3f)\n", r, p, c);
            fs::remove_all(s.work);
            return 1;
        }
        program.push_back(p);
        companion.push_back(c);
        peak.push_back(static_cast<double>(kib));
    }
    fs::remove_all(s.work);
    const double p = Median(program);
    const double c = Median(companion);
    std::printf("%-52s %8.3f\n", "program until its caption names the file", p);
    std::printf("%-52s %8.3f\n", "companion load (scan-urls of an empty file)", c);
    std::printf("%-52s %8.2f\n", "ratio program / companion", p / c);
    const double text = static_cast<double>(fs::file_size(s.collection));
    std::printf("%-52s %8.1f MiB, %.2f x the file\n", "program's peak RSS", Median(peak) / 1024,
                Median(peak) * 1024 / text);
    return 0;
}
