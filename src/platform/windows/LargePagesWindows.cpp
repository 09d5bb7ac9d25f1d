#include "platform/LargePages.h"

namespace lh::platform {

// Large pages on Windows need a privilege that ordinary users lack; the buffer stays as it is.
void AdviseLargePages(void*, std::size_t) noexcept {}

} // namespace lh::platform
