#pragma once
#include <functional>
#include <string>

#include "core/shared_state.h"
#include "core/sites.h"
#include "tools/login/tool_captcha_view.h"

namespace tieba {

// The part of a login that the grab and bump windows share: the captcha exchange inside the
// tool window (`toolCaptchaLogin`) and the check of a login answer (`checkToolLogin`). Each
// tool window owns one and says what follows a login: the midnight watch for GrabWindow, the
// reply posting (and "刷帖" enabled again after a refusal) for BumpWindow. Every call runs on a
// worker thread of the tool's run, whose ticket is passed in.
class ToolLogin {
public:
    struct FollowUps {
        // Start the tool's work for the account on a new thread of the run.
        std::function<void(const RunTicket&, int account)> loggedIn;
        // Wrong password or unknown user.
        std::function<void(const RunTicket&, int account)> refused;
    };

    ToolLogin(SharedState& state, const Sites& sites, PictureFetch fetchPicture, ToolCaptchaView& captcha,
              FollowUps followUps);

    // `answer` asked for a captcha: it is kept for the verified login, and its picture is shown
    // in the window with the code box made visible (and emptied with `emptyBox`).
    void askForCaptcha(const RunTicket& ticket, const std::string& answer, bool emptyBox);

    // The verified login of `account` with the code typed in the window, built from the answer
    // that asked for the captcha, then checkToolLogin of its answer.
    void toolCaptchaLogin(const RunTicket& ticket, int account, const std::string& code);

    // Classifies a login answer of `account`: a wrong code asks again, a wrong password or an
    // unknown user is reported through `messagePending` and refused, anything else counts as
    // logged in.
    void checkToolLogin(const RunTicket& ticket, int account, const std::string& answer);

private:
    SharedState& state_;
    const Sites& sites_;
    PictureFetch fetchPicture_;
    ToolCaptchaView& captcha_;
    FollowUps followUps_;
    Synchronized<std::string> question_; // the last answer that asked for a captcha
};

// Asks the main window's timer to show `text` in the message window, unless the run has ended.
void requestMessage(SharedState& state, const RunTicket& ticket, const std::string& text);

} // namespace tieba
