#pragma once

// Buffers of many megabytes that are about to be filled: backed by large pages where the system
// offers them, each first touch of the buffer costs one page fault per two megabytes instead of
// one per four kilobytes, which on some machines takes longer than filling it.

#include <cstddef>

namespace lh::platform {

// Asks for large pages under the whole large pages inside [data, data + size). Only advice:
// nothing changes where the system does not take it.
void AdviseLargePages(void* data, std::size_t size) noexcept;

} // namespace lh::platform
