#pragma once

namespace tieba {

// Powers the computer off, forcing running programs to close. The grab-first sign-in calls it
// after "抢第一完成" when the shutdown option is on. Only the program itself is handed the real
// one (tools/power_off); tests and the demo build use a fake that records the request.
class PowerOff {
public:
    virtual ~PowerOff() = default;
    // Called from a worker thread.
    virtual void powerOff() = 0;
};

} // namespace tieba
