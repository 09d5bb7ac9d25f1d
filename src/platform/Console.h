#pragma once

// A command-line program's side of the console: its arguments as UTF-8, file-name patterns
// expanded where no shell does it, and text out in one encoding.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace lh::platform {

// The arguments after the program name, as UTF-8. On Windows they are taken from the UTF-16
// command line, so a name in any script arrives whole; `argv` is used elsewhere.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The files a pattern with "*" or "?" in its last name stands for, in name order (folders left
// out); a word without them, or one matching nothing, comes back as it is. On Windows, where
// the shell leaves patterns to the program; elsewhere the shell has already done it.
std::vector<std::string> ExpandWildcards(const std::string& word);

// True when `stream` is an interactive console or terminal (the NUL device is not one).
bool IsTerminal(std::FILE* stream);

// Writes UTF-8 text: to a Windows console as Unicode characters, so every script shows
// whatever the console's code page; to anything else as the UTF-8 bytes.
bool WriteText(std::FILE* stream, std::string_view utf8);

} // namespace lh::platform
