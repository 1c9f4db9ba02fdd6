#include "signin/run_control.h"

#include "core/encoding.h"
#include "login/login_flow.h"
#include "settings/token_slots.h"
#include "signin/sign_engine.h"
#include "signin/token_run.h"

namespace tieba {

class RunController::Impl {
public:
    explicit Impl(RunEnvironment env)
        : env_(env), state_(env.state), workers_(env.state.workerThreads),
          login_{env.state, env.sites, env.workLog, env.workerWaiter, loginAnswer_},
          engine_{env.state, env.sites, env.workLog, env.progress, env.workerWaiter}
    {
    }

    void startRun()
    {
        if (state_.accountCount() == 0) {
            showMessage(state_, env_.messages, gb("亲！你还木有添加账号啊"));
            return;
        }
        // End whatever ran before resetting the display, so nothing of it lands after the reset.
        const RunTicket ticket = workers_.endAllAndBegin(false);
        state_.captchaStepDue = 0;
        ticket.write([&] {
            env_.progress.drawBar(0, 0);
            env_.progress.setCaption({});
            env_.workLog.clear();
            state_.captchaAbandoned = 0;
            loginAnswer_.set({});
            state_.currentAccount = 1;
            env_.controls.setRunControlsEnabled(false);
        });
        startLoginWorker(ticket);
    }

    void stopRun()
    {
        if (workers_.anyHandle()) {
            workers_.endAllAndBegin(true);
            // A captcha step an ended worker asked for is dropped with it.
            state_.captchaStepDue = 0;
            env_.workLog.append(gb("签到已经停止\r\n"));
        }
        env_.controls.setRunControlsEnabled(true);
    }

    void stopRunForShutdown()
    {
        workers_.endAllAndBegin(true);
        workers_.joinAll();
    }

    void timerTick()
    {
        if (inCaptchaStep_) {
            // A tick inside the captcha window's own loop: messages open on top of it, but the
            // captcha step is not started again inside itself; its request waits for a later tick.
            if (state_.messagePending.exchange(0) == 1)
                env_.messages.showMessage(state_.messageText.get());
            return;
        }
        tieba::timerTick(state_, [this](int account) { runCaptchaStep(account); }, env_.messages);
    }

private:
    void startLoginWorker(const RunTicket& ticket)
    {
        workers_.start(WorkerThreads::LoginWorker, ticket, [this](const RunTicket& t) { accountLoginStep(t); });
    }

    void accountLoginStep(const RunTicket& ticket)
    {
        while (!ticket.stopped()) {
            const int n = state_.currentAccount;
            if (n >= 1 && n <= 3 && env_.ticks.isTicked(n)) {
                // A token account signs through the client protocol instead of the passport login.
                if (isTokenAccount(state_.account(n))) {
                    workers_.start(WorkerThreads::SignInWorker, ticket,
                                   [this](const RunTicket& t) { signTokenAccount(t); });
                    return;
                }
                if (auto followed = passportLogin(login_, ticket, n))
                    workers_.start(WorkerThreads::SignInWorker, ticket,
                                   [this, page = std::move(*followed)](const RunTicket& t) { signAccount(t, page); });
                return;
            }
            if (n >= state_.accountCount()) {
                // No ticked account is left: the run is over, so the buttons come back.
                ticket.write([&] { env_.controls.setRunControlsEnabled(true); });
                return;
            }
            ticket.write([&] { state_.currentAccount = n + 1; });
        }
    }

    // GUI thread, from the timer.
    void runCaptchaStep(int account)
    {
        const RunTicket ticket = workers_.current();
        if (ticket.stopped())
            return;
        inCaptchaStep_ = true;
        std::string answer = captchaStep(login_, env_.captcha, ticket, account);
        inCaptchaStep_ = false;
        workers_.start(WorkerThreads::SignInWorker, ticket,
                       [this, answer = std::move(answer)](const RunTicket& t) { checkAndSign(t, answer); });
    }

    void checkAndSign(const RunTicket& ticket, const std::string& answer)
    {
        const LoginResult result = checkLoginResult(login_, ticket, answer);
        switch (result.check) {
        case LoginCheck::CaptchaAgain:
            return;
        case LoginCheck::LoggedIn:
            signAccount(ticket, result.followedPage);
            break;
        case LoginCheck::Failed:
            break;
        }
        ticket.write([&] { env_.controls.setRunControlsEnabled(true); });
    }

    // The engine for `currentAccount` on the followed-forum page its login read, then the
    // hand-over to the next account.
    void signAccount(const RunTicket& ticket, const std::string& followedPage)
    {
        const int n = state_.currentAccount;
        signInFollowedForums(engine_, ticket, SignAccount{n, state_.account(n).id}, followedPage);
        handOver(ticket);
    }

    // The token engine for `currentAccount`, then the hand-over to the next account.
    void signTokenAccount(const RunTicket& ticket)
    {
        const int n = state_.currentAccount;
        const Account account = state_.account(n);
        signInWithTokens(engine_, ticket, TokenAccount{n, account.id, tokensOf(account)});
        handOver(ticket);
    }

    void handOver(const RunTicket& ticket)
    {
        bool nextAccount = false;
        ticket.write([&] {
            if (state_.currentAccount < state_.accountCount()) {
                ++state_.currentAccount;
                nextAccount = true;
            }
        });
        if (nextAccount)
            startLoginWorker(ticket);
        ticket.write([&] { env_.controls.setRunControlsEnabled(true); });
    }

    RunEnvironment env_;
    SharedState& state_;
    WorkerThreads& workers_;
    // The answer of this run's last login POST, from the login worker to the captcha step.
    Synchronized<std::string> loginAnswer_;
    LoginContext login_;
    EngineContext engine_;
    bool inCaptchaStep_ = false; // GUI thread only
};

RunController::RunController(RunEnvironment env) : impl_(std::make_unique<Impl>(env)) {}

RunController::~RunController()
{
    // Workers call back into this object: they must be gone before it is.
    impl_->stopRunForShutdown();
}

void RunController::startRun()
{
    impl_->startRun();
}

void RunController::stopRun()
{
    impl_->stopRun();
}

void RunController::timerTick()
{
    impl_->timerTick();
}

} // namespace tieba
