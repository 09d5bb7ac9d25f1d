#pragma once

// The hourglass for the whole application while a long pass runs.

#include "core/UserInterface.h"

namespace lh {

class QtBusyCursor final : public BusyCursor {
public:
    void Begin() override;
    void End() override;
};

} // namespace lh
