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
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Points LINKHIVE_SETTINGS at an empty file in its own folder for the object's lifetime.
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
    bool m_hadPrevious = false;
};

// Writes bytes to a file (binary), creating it.
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);

// Folder of the committed fixtures (tests/data).
std::string DataPath(const std::string& name);

// Sets the process-wide test environment; called by the test mains before anything runs.
void InitTestEnvironment();

} // namespace lh::test
