#pragma once

// Every test process runs with a fixed locale, no display and a settings file of its own.

#include <filesystem>
#include <string>

namespace lh::test {

// A fresh temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const noexcept { return m_path; }
    // The UTF-8 path of `name` in the folder (the folder's own name is ASCII).
    std::string File(const std::string& name) const {
        return m_path.string() + static_cast<char>(std::filesystem::path::preferred_separator) +
               name;
    }

private:
    std::filesystem::path m_path;
};

// An empty settings store for the object's lifetime: LINKHIVE_SETTINGS names an empty file in
// its own folder, or (Windows) the current user's registry is redirected to a fresh key.
class ScopedSettingsFile {
public:
    ScopedSettingsFile();
    ~ScopedSettingsFile();
    ScopedSettingsFile(const ScopedSettingsFile&) = delete;
    ScopedSettingsFile& operator=(const ScopedSettingsFile&) = delete;

    std::string Path() const { return m_dir.File("Linkhive.reg"); }

private:
    TempDir m_dir;
    std::string m_previous;
};

// A UTF-8 path as a file-system path, whatever the system's narrow encoding.
std::filesystem::path FsPath(const std::string& utf8);

// Writes bytes to a file (binary), creating it.
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);

// Folder of the committed fixtures (tests/data).
std::string DataPath(const std::string& name);

// Sets the process-wide test environment; called by the test mains before anything runs.
void InitTestEnvironment();

} // namespace lh::test
