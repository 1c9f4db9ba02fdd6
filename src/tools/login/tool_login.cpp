#include "tools/login/tool_login.h"

#include "core/encoding.h"
#include "login/login_flow.h"
#include "login/login_pages.h"

namespace tieba {

ToolLogin::ToolLogin(SharedState& state, const Sites& sites, PictureFetch fetchPicture, ToolCaptchaView& captcha,
                     FollowUps followUps)
    : state_(state), sites_(sites), fetchPicture_(std::move(fetchPicture)), captcha_(captcha),
      followUps_(std::move(followUps))
{
}

void ToolLogin::askForCaptcha(const RunTicket& ticket, const std::string& answer, bool emptyBox)
{
    if (!writeShared(ticket, question_, answer))
        return;
    const std::string address = captchaPictureAddress(answer);
    std::string picture;
    if (fetchPicture_ && !address.empty())
        picture = fetchPicture_(address, ticket.token());
    ticket.write([&] { captcha_.showCaptcha(picture, emptyBox); });
}

void ToolLogin::toolCaptchaLogin(const RunTicket& ticket, int account, const std::string& code)
{
    const std::string question = question_.get();
    const Account stored = state_.account(account);
    const std::string form = verifiedLoginForm(code, hiddenLoginFields(question), stored.id, stored.password,
                                               sites_.loginReturnHost);
    const std::string answer = runExchange(state_, ticket, sites_.passportLoginUrl(), account, "POST", form);
    if (ticket.stopped())
        return;
    checkToolLogin(ticket, account, answer);
}

void ToolLogin::checkToolLogin(const RunTicket& ticket, int account, const std::string& answer)
{
    const std::string name = state_.account(account).id;
    switch (classifyLoginAnswer(answer)) {
    case LoginAnswer::CaptchaStillShown:
        requestMessage(state_, ticket, gb("验证码错误！请重新输入"));
        askForCaptcha(ticket, answer, true);
        return;
    case LoginAnswer::WrongPassword:
        requestMessage(state_, ticket, name + gb("密码错误登录失败"));
        if (followUps_.refused)
            followUps_.refused(ticket, account);
        return;
    case LoginAnswer::UnknownUser:
        // Said in the words the one-click run logs, so the window does not just fall silent.
        requestMessage(state_, ticket, name + gb("不存在，登录失败"));
        if (followUps_.refused)
            followUps_.refused(ticket, account);
        return;
    case LoginAnswer::Other:
        break;
    }
    if (followUps_.loggedIn && !ticket.stopped())
        followUps_.loggedIn(ticket, account);
}

void requestMessage(SharedState& state, const RunTicket& ticket, const std::string& text)
{
    ticket.write([&] {
        state.messageText.set(text);
        state.messagePending = 1;
    });
}

} // namespace tieba
