#include "platform/Processors.h"

#include <thread>

namespace lh::platform {

unsigned SpareProcessors() {
    // No cheap count of the threads waiting to run: a desktop's other processors are mostly idle.
    const unsigned processors = std::thread::hardware_concurrency();
    return processors > 1 ? processors - 1 : 0;
}

} // namespace lh::platform
