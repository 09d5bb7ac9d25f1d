#include "Portable.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace lh::test {

void SetEnv(const std::string& name, const std::string& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
}

void UnsetEnv(const std::string& name) {
    ::unsetenv(name.c_str());
}

std::string GetEnv(const std::string& name) {
    const char* v = std::getenv(name.c_str());
    return v ? v : "";
}

std::string NativePath(std::string linuxStyle) {
    return linuxStyle;
}

std::filesystem::path MakeScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "linkhive-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    return pattern;
}

std::time_t UtcTime(std::tm tm) {
    return ::timegm(&tm);
}

void SetLastWriteTime(const std::string& path, std::time_t when) {
    const timeval times[2] = {{when, 0}, {when, 0}};
    if (::utimes(path.c_str(), times) != 0)
        throw std::runtime_error("cannot set the time of " + path);
}

void SetReadOnly(const std::string& path, bool readOnly) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return;
    const mode_t mode = readOnly ? (st.st_mode & ~mode_t(0222)) : (st.st_mode | S_IWUSR);
    ::chmod(path.c_str(), mode & 07777);
}

bool ClearArchiveMark(const std::string&) {
    return true;
}

bool IgnoresFilePermissions() {
    return ::geteuid() == 0;
}

void UseUtcTimeZone() {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
}

void UseFreshSettingsStore(const std::filesystem::path& folder) {
    ::setenv("LINKHIVE_SETTINGS", (folder / "Linkhive.reg").c_str(), 1);
}

std::string SettingsStoreFile() {
    return GetEnv("LINKHIVE_SETTINGS");
}

std::string CurrentSettingsStore() {
    return SettingsStoreFile();
}

void ReturnToSettingsStore(const std::string& store) {
    SetEnv("LINKHIVE_SETTINGS", store);
}

std::string SettingsStoreText() {
    std::ifstream in(SettingsStoreFile(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool AskProgramToEnd(std::int64_t processId) {
    return processId > 0 && ::kill(static_cast<pid_t>(processId), SIGTERM) == 0;
}

} // namespace lh::test
