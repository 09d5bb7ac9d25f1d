#pragma once

// Process-wide state set by the start-up sequence and read by the window and its helpers.

namespace lh {

// True when this instance was allowed to start while another one already held the guard.
inline bool SecondInstance = false;

} // namespace lh
