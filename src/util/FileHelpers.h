#pragma once

// File and command-line helpers on the platform's path strings (UTF-8). Path text is walked
// character by character through the platform, so no byte inside a character is ever taken for
// a separator, a quote or a blank.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace lh {

// Size in bytes of the file or folder entry `path`; 0 when there is none, and for a folder.
std::int64_t FileSizeByName(const std::string& path);

// One line describing a file for progress labels, as UTF-8 display text:
// "list.htm 12,345 byte 1997/05/01 09:05:08 _ _ _ A" (name, size with the user's thousands
// separator, last write in local time with the user's date and time separators, then the
// attribute marks S H R A, "_" for each that is not set). Unknown size and date read
// "ｻｲｽﾞ不明 日付不明", unknown attributes "属性不明".
std::string FileInfoLine(const std::string& path);

struct CommandLineParts {
    std::string file;
    std::string parameters;
};

// Splits a stored command text such as "C:\Tools\view.exe /r list.txt" into the file to start
// and its parameters. A file name in double quotes is taken whole, and what follows the closing
// quote (trimmed) becomes the parameters. Otherwise the split is at the space after ".exe" (any
// letter case), else at the first space before which an existing file is named, else at the first
// space after the last ".", else there are no parameters.
CommandLineParts SplitCommandLine(std::string_view text);
// The same with the existing-file test supplied by the caller.
CommandLineParts SplitCommandLine(std::string_view text,
                                  const std::function<bool(const std::string&)>& isExistingFile);

// A path as UTF-8 display text: what cannot be decoded shows as U+FFFD. Never for storage.
std::string PathForDisplay(std::string_view path);

// A whole number in decimal with `separator` between groups of three digits.
std::string GroupThousands(std::int64_t value, std::string_view separator);

} // namespace lh
