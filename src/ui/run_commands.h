#pragma once

#include "signin/run_control.h"

namespace tieba {

// What the main window's run buttons and its timer "时钟1" set going. The start-up connects
// these to the RunController; tests record them.
class RunCommands {
public:
    virtual ~RunCommands() = default;
    virtual void startRun() = 0;  // "一键签到"
    virtual void stopRun() = 0;   // "停止签到"
    virtual void timerTick() = 0; // "时钟1", every 100 ms
};

// The run buttons and the timer wired to the one-click run.
class RunControllerCommands final : public RunCommands {
public:
    explicit RunControllerCommands(RunController& controller) : controller_(controller) {}
    void startRun() override { controller_.startRun(); }
    void stopRun() override { controller_.stopRun(); }
    void timerTick() override { controller_.timerTick(); }

private:
    RunController& controller_;
};

} // namespace tieba
