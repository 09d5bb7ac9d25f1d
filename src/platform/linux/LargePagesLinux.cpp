#include "platform/LargePages.h"

#include <cstdint>
#include <sys/mman.h>

namespace lh::platform {

void AdviseLargePages(void* data, std::size_t size) noexcept {
    constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
    const auto from = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (from + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t last = (from + size) & ~(kLargePage - 1);
    if (last > first)
        (void)madvise(static_cast<char*>(data) + (first - from), last - first, MADV_HUGEPAGE);
}

} // namespace lh::platform
