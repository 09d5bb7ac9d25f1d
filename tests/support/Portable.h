#pragma once

// What tests need from the operating system, the same way on every platform the program runs
// on: environment variables, scratch folders, read-only files, file times and a settings store
// of the test's own (a settings file on Linux, a redirected current-user registry on Windows).

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>

namespace lh::test {

void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);
// A variable's value; empty when it is not set.
std::string GetEnv(const std::string& name);

// A new, empty, private folder under the system's temporary folder.
std::filesystem::path MakeScratchFolder();

// A path written the Linux way ("/data/links.htm", "sub/a.htm") in the platform's own form:
// itself on Linux, "C:\\data\\links.htm" and "sub\\a.htm" on Windows.
std::string NativePath(std::string linuxStyle);

// Seconds since the epoch of a broken-down UTC time (timegm).
std::time_t UtcTime(std::tm tm);
void SetLastWriteTime(const std::string& path, std::time_t when);

// Read-only as each system has it: no write permission on Linux, the attribute on Windows.
void SetReadOnly(const std::string& path, bool readOnly);
// Windows marks every new file for archiving; tests that compare attributes start without it.
// False when the file system keeps the mark all the same (wine on a file system without
// extended attributes).
bool ClearArchiveMark(const std::string& path);
// True when file permissions do not stop this process (root on Linux).
bool IgnoresFilePermissions();

// The time zone the locale-dependent tests assume (UTC), taken into use at once.
void UseUtcTimeZone();

// Gives the process an empty settings store of its own until the next call: `folder` holds
// the store where it is a file. Each call starts afresh.
void UseFreshSettingsStore(const std::filesystem::path& folder);
// Where the store lives when it is a file ($LINKHIVE_SETTINGS); empty for the registry.
std::string SettingsStoreFile();
// The store in use (its file, or the registry key standing in for the current user's), to come
// back to later with ReturnToSettingsStore.
std::string CurrentSettingsStore();
void ReturnToSettingsStore(const std::string& store);
// Everything in the store as text, one `"Name"=value` line per value: the file itself, or a
// listing of the redirected registry. For comparing before and after and for finding one value
// as stored (an empty text and a missing value read the same through the settings keys).
std::string SettingsStoreText();

// Asks a running program to end the orderly way its system does, so it runs its close check
// and stores its settings: SIGTERM on Linux; on Windows a quit message to its main thread,
// which the toolkit's loop turns into closing the windows (native or offscreen). False when
// the request could not be delivered.
bool AskProgramToEnd(std::int64_t processId);

} // namespace lh::test
