#pragma once

// How much of the machine a job may count on: work split over threads only pays when the
// threads find processors to run on.

namespace lh::platform {

// Processors that have nothing to run at this moment besides the calling thread (0 when every
// one is taken). Where the system does not tell, all but the caller's are taken as free.
unsigned SpareProcessors();

} // namespace lh::platform
