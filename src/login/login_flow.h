#pragma once
#include <functional>
#include <optional>
#include <string>

#include "core/message_presenter.h"
#include "core/run_views.h"
#include "core/shared_state.h"
#include "core/sites.h"
#include "core/waiter.h"
#include "login/captcha_prompt.h"

namespace tieba {

// The login of one account during a one-click run: the session check and plain login on the
// login worker, the captcha step on the GUI thread, and the check of the login answer on the
// sign-in worker. Each step hands its page on by value; the answer that waits for the captcha
// step is kept in the run's `loginAnswer`, set together with the flag `captchaStepDue`.
struct LoginContext {
    SharedState& state;
    const Sites& sites;
    WorkLog& workLog;
    Waiter& waiter;                         // pauses of the calling worker
    Synchronized<std::string>& loginAnswer; // the answer of the last login POST of this run
};

// Login worker, account n. When the stored session is still valid: the followed-forum page.
// Nothing when the plain login was posted: its answer waits in `loginAnswer` and the captcha
// step is due.
std::optional<std::string> passportLogin(const LoginContext& context, const RunTicket& ticket, int n);

// GUI thread: shows the captcha when the answer in `loginAnswer` asks for one and posts the
// verified login for account n. Returns the answer the result check classifies: the verified
// login's, or the waiting answer itself when it asked for no captcha.
std::string captchaStep(const LoginContext& context, CaptchaPrompt& captcha, const RunTicket& ticket, int n);

enum class LoginCheck {
    LoggedIn,     // logged; the followed-forum page came with it
    Failed,       // logged; the run ends after this account
    CaptchaAgain, // wrong code: a message and a new captcha step are requested
};

struct LoginResult {
    LoginCheck check = LoginCheck::Failed;
    std::string followedPage; // with LoggedIn
};

// Sign-in worker: classifies `answer`, the answer of the last login POST for `currentAccount`.
LoginResult checkLoginResult(const LoginContext& context, const RunTicket& ticket, const std::string& answer);

// The main window's 100 ms tick: runs the captcha step a worker asked for, then shows the
// message a worker asked for.
void timerTick(SharedState& state, const std::function<void(int account)>& runCaptchaStep,
               MessagePresenter& messages);

// A GET or POST on behalf of a run; nothing is sent once the run has ended. The one place that
// writes the address into `currentUrl` and the answer into `pageText`, while the run is current.
std::string runExchange(SharedState& state, const RunTicket& ticket, const std::string& url, int account,
                        const std::string& method = "GET", const std::string& body = {});

// Appends to a log on behalf of a run, unless the run has ended.
void runLog(const RunTicket& ticket, WorkLog& log, const std::string& text);

} // namespace tieba
