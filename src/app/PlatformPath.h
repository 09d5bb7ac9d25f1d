#pragma once

// Paths crossing between the toolkit and the platform layer. The layer's form is UTF-8 on every
// system (the Windows side converts to UTF-16 itself) with the system's own separators, so what
// the core stores and shows (caption, history, messages, settings) reads as the user expects.

#include <QString>
#include <string>
#include <vector>

namespace lh {

// A toolkit path ("C:/日本語/a.htm") in the layer's form ("C:\日本語\a.htm" on Windows).
std::string ToPlatformPath(const QString& path);

// A path of the layer's form as toolkit text, with the system's separators for display.
QString FromPlatformPath(const std::string& path);

// The toolkit takes its own options out of argv by moving the remaining pointers forward.
// `original` is argv as it was before, `words` the arguments after the program name as the
// platform gives them (UTF-8, one per original argv entry after the first); the result keeps
// the words whose argv entries the toolkit left.
std::vector<std::string> ArgumentsLeftByToolkit(const std::vector<char*>& original,
                                                const std::vector<std::string>& words, int argc,
                                                char** argv);

} // namespace lh
