#pragma once

// Opening an address or a document with the desktop's default handler, or starting a program
// directly with its parameters (never through a shell). $LINKHIVE_OPENER replaces the handler.

#include <string>
#include <vector>

namespace lh::platform {

// target: URL, "mailto:" link or local path; parameters: already split, passed as arguments.
bool OpenWithDefaultHandler(const std::string& target, const std::vector<std::string>& parameters = {});

// Splits a parameter text at blanks, keeping double-quoted runs together.
std::vector<std::string> SplitParameters(const std::string& parameters);

} // namespace lh::platform
