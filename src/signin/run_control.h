#pragma once
#include <memory>

#include "core/message_presenter.h"
#include "core/shared_state.h"
#include "core/sites.h"
#include "core/waiter.h"
#include "login/captcha_prompt.h"
#include "core/run_views.h"

namespace tieba {

// Everything a one-click run talks to. The references must outlive the RunController.
struct RunEnvironment {
    SharedState& state;
    const Sites& sites;
    WorkLog& workLog;
    ProgressDisplay& progress;
    RunControls& controls;
    AccountTicks& ticks;
    CaptchaPrompt& captcha;     // used on the GUI thread only, from timerTick
    MessagePresenter& messages; // used on the GUI thread only
    Waiter& workerWaiter;       // pauses on worker threads
};

// The one-click sign-in: "一键签到" starts a run over the ticked accounts, "停止签到" ends it,
// and the main window's 100 ms timer calls timerTick, which runs the captcha step and shows
// the messages that workers ask for. startRun, stopRun and timerTick run on the GUI thread.
class RunController {
public:
    explicit RunController(RunEnvironment env);
    ~RunController();

    void startRun();
    void stopRun();
    void timerTick();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tieba
