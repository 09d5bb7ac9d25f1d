#include "platform/InstanceGuard.h"

namespace lh::platform {

// X11 and Wayland leave raising to the window manager; there is no leave to give.
void AllowActivationByOtherInstance() {}

} // namespace lh::platform
