#pragma once
#include <memory>

#include "core/sites.h"
#include "platform/power_off.h"

namespace tieba {

// The computer's own power-off, forcing running programs to close: on Linux systemd-logind's
// PowerOff over the system bus, with `systemctl poweroff` when logind refuses; on Windows the
// process's shutdown privilege and ExitWindowsEx. Only the program links this; no test can.
class SystemPowerOff final : public PowerOff {
public:
    void powerOff() override;
};

// Says on the standard error stream that a power-off was asked for, and does nothing else.
class ReportedPowerOff final : public PowerOff {
public:
    void powerOff() override;
};

// The power-off the program uses: the real one, except when the forum site is on this machine
// (the demo build against the simulated service), where trying the grab must not power it off.
std::unique_ptr<PowerOff> programPowerOff(const Sites& sites);

} // namespace tieba
