#pragma once
#include "core/waiter.h"

namespace tieba {

// A pause on the GUI thread during which the windows keep handling their events (a nested
// event loop that a timer ends). A stop request from any thread ends it at once.
class GuiWaiter final : public Waiter {
public:
    bool waitMs(int milliseconds, std::stop_token stop = {}) override;
};

} // namespace tieba
