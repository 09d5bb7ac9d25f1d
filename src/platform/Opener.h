#pragma once

// Opening an address or a document with the desktop's default handler, or starting a program
// directly with its parameters (never through a shell). $LINKHIVE_OPENER replaces the handler.

#include <string>
#include <vector>

namespace lh::platform {

// target: URL, "mailto:" link or local path; parameters: already split, passed as arguments.
// Parameters are never dropped: when the target cannot be started as a program with them, the
// result is false and nothing is opened.
bool OpenWithDefaultHandler(const std::string& target,
                            const std::vector<std::string>& parameters = {});

// True when OpenWithDefaultHandler would start `target` as a program rather than hand it to a
// document handler, so the caller can ask before running something a stranger named.
bool StartsAsProgram(const std::string& target);

// Splits a parameter text at blanks, keeping double-quoted runs together.
std::vector<std::string> SplitParameters(const std::string& parameters);

// One command-line text that a Windows program's start-up code splits back into exactly these
// arguments (quotes and the backslashes before them escaped as those rules need).
std::string JoinWindowsArguments(const std::vector<std::string>& arguments);

} // namespace lh::platform
