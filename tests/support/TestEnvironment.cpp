#include "TestEnvironment.h"

#include "Portable.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace lh::test {

namespace fs = std::filesystem;

TempDir::TempDir() : m_path(MakeScratchFolder()) {}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests make files read-only; give write permission back so the folder can go.
    for (auto it = fs::recursive_directory_iterator(m_path, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        SetReadOnly(it->path().string(), false);
    }
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

ScopedSettingsFile::ScopedSettingsFile() : m_previous(CurrentSettingsStore()) {
    UseFreshSettingsStore(m_dir.Path());
}

ScopedSettingsFile::~ScopedSettingsFile() {
    // Back to the store in use before, with what it held: a test may look at its own store
    // again after a nested one (a window built on nothing stored) is gone.
    if (!m_previous.empty())
        ReturnToSettingsStore(m_previous);
    else
        UseFreshSettingsStore(m_dir.Path());
}

fs::path FsPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(FsPath(path), std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string DataPath(const std::string& name) {
    return std::string(LINKHIVE_TEST_DATA_DIR) + "/" + name;
}

void InitTestEnvironment() {
    SetEnv("LC_ALL", "C.UTF-8");
    SetEnv("LANG", "C.UTF-8");
    SetEnv("QT_QPA_PLATFORM", "offscreen");
    UseUtcTimeZone();
    // A settings store of this process's own, so no test ever touches the user's settings.
    static TempDir dir;
    UseFreshSettingsStore(dir.Path());
    SetEnv("XDG_CONFIG_HOME", dir.Path().string());
    SetEnv("XDG_RUNTIME_DIR", dir.Path().string());
}

} // namespace lh::test
