#include "TestEnvironment.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace lh::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "linkhive-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests make files read-only; give write permission back so the folder can go.
    for (auto it = fs::recursive_directory_iterator(m_path, ec); !ec && it != fs::end(it);
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

ScopedSettingsFile::ScopedSettingsFile() {
    if (const char* p = std::getenv("LINKHIVE_SETTINGS")) {
        m_previous = p;
        m_hadPrevious = true;
    }
    ::setenv("LINKHIVE_SETTINGS", Path().c_str(), 1);
}

ScopedSettingsFile::~ScopedSettingsFile() {
    if (m_hadPrevious)
        ::setenv("LINKHIVE_SETTINGS", m_previous.c_str(), 1);
    else
        ::unsetenv("LINKHIVE_SETTINGS");
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string DataPath(const std::string& name) {
    return std::string(LINKHIVE_TEST_DATA_DIR) + "/" + name;
}

void InitTestEnvironment() {
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::setenv("LANG", "C.UTF-8", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    // A settings file of this process's own, so no test ever touches the user's settings.
    static TempDir dir;
    const std::string settings = dir.File("Linkhive.reg");
    ::setenv("LINKHIVE_SETTINGS", settings.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
}

} // namespace lh::test
