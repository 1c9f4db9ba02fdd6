#pragma once
#include <functional>

#include "core/message_presenter.h"
#include "core/run_views.h"
#include "core/shared_state.h"
#include "core/sites.h"
#include "core/waiter.h"
#include "login/captcha_prompt.h"

namespace tieba {

// The login of one account during a one-click run: the session check and plain login on the
// login worker, the captcha step on the GUI thread, and the check of the login answer on the
// sign-in worker. The steps hand over through `pageText` and the flag `captchaStepDue`.
struct LoginContext {
    SharedState& state;
    const Sites& sites;
    WorkLog& workLog;
    Waiter& waiter; // pauses of the calling worker
};

// Login worker, account n. True when the stored session is still valid: the followed-forum
// page is then in `pageText`. False when the plain login was posted and the captcha step is due.
bool passportLogin(const LoginContext& context, const RunTicket& ticket, int n);

// GUI thread: shows the captcha when the answer in `pageText` asks for one and posts the
// verified login for account n; the answer replaces `pageText`.
void captchaStep(const LoginContext& context, CaptchaPrompt& captcha, const RunTicket& ticket, int n);

enum class LoginCheck {
    LoggedIn,     // logged; the followed-forum page is in `pageText`
    Failed,       // logged; the run ends after this account
    CaptchaAgain, // wrong code: a message and a new captcha step are requested
};

// Sign-in worker: classifies the answer of the last login POST for `currentAccount`.
LoginCheck checkLoginResult(const LoginContext& context, const RunTicket& ticket);

// The main window's 100 ms tick: runs the captcha step a worker asked for, then shows the
// message a worker asked for.
void timerTick(SharedState& state, const std::function<void(int account)>& runCaptchaStep,
               MessagePresenter& messages);

// A GET or POST on behalf of a run; nothing is sent once the run has ended.
std::string runExchange(const RunTicket& ticket, const std::string& url, int account,
                        const std::string& method = "GET", const std::string& body = {});

// Appends to a log on behalf of a run, unless the run has ended.
void runLog(const RunTicket& ticket, WorkLog& log, const std::string& text);

} // namespace tieba
