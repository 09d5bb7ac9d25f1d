#include "platform/Opener.h"

// Placeholder: opening is not wired yet.
namespace lh::platform {

bool OpenWithDefaultHandler(const std::string&, const std::vector<std::string>&) { return false; }
std::vector<std::string> SplitParameters(const std::string&) { return {}; }

} // namespace lh::platform
