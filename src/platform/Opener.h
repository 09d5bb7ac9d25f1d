#pragma once

// Opening an address or a document with the desktop's default handler, or starting a program
// directly with its parameters (never through a shell). $LINKHIVE_OPENER replaces the handler.

#include <string>
#include <vector>

namespace lh::platform {

// target: URL, "mailto:" link or local path; parameters: already split, passed as arguments.
bool OpenWithDefaultHandler(const std::string& target,
                            const std::vector<std::string>& parameters = {});

// Splits a parameter text at blanks, keeping double-quoted runs together.
std::vector<std::string> SplitParameters(const std::string& parameters);

// One command-line text that a Windows program's start-up code splits back into exactly these
// arguments (quotes and the backslashes before them escaped as those rules need).
std::string JoinWindowsArguments(const std::vector<std::string>& arguments);

} // namespace lh::platform
