#include "platform/Processors.h"

#include <cstdio>
#include <thread>

namespace lh::platform {

unsigned SpareProcessors() {
    const unsigned processors = std::thread::hardware_concurrency();
    // The fourth field of /proc/loadavg counts the threads running or waiting to run right now,
    // the caller's included.
    unsigned running = 1;
    if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
        double averages[3];
        unsigned total = 0;
        if (std::fscanf(f, "%lf %lf %lf %u/%u", &averages[0], &averages[1], &averages[2], &running,
                        &total) != 5 ||
            running == 0)
            running = 1;
        std::fclose(f);
    }
    return processors > running ? processors - running : 0;
}

} // namespace lh::platform
