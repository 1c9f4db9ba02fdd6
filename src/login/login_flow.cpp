#include "login/login_flow.h"

#include "core/encoding.h"
#include "login/login_pages.h"
#include "web/http_exchange.h"
#include "web/text_helpers.h"

namespace tieba {

std::string runExchange(SharedState& state, const RunTicket& ticket, const std::string& url, int account,
                        const std::string& method, const std::string& body)
{
    if (ticket.stopped())
        return {};
    writeShared(ticket, state.currentUrl, url);
    std::string answer = httpExchange(url, method, body, dataFilePath(), account, ticket.token());
    writeShared(ticket, state.pageText, answer);
    return answer;
}

void runLog(const RunTicket& ticket, WorkLog& log, const std::string& text)
{
    ticket.write([&] { log.append(text); });
}

std::optional<std::string> passportLogin(const LoginContext& context, const RunTicket& ticket, int n)
{
    SharedState& state = context.state;
    const Account account = state.account(n);
    runLog(ticket, context.workLog, account.id + gb("正在登陆...\r\n"));

    const std::string home = runExchange(state, ticket, homePageUrl(context.sites), n);
    if (!waitForText([&home] { return home; }, context.waiter, ticket.token()))
        runLog(ticket, context.workLog, gb("登录失败！请检查网络连接。"));
    if (ticket.stopped())
        return std::nullopt;

    if (loggedInUserName(home) == account.id) {
        runLog(ticket, context.workLog, account.id + gb("登录成功\r\n"));
        return runExchange(state, ticket, followedForumsUrl(context.sites), n);
    }

    const std::string answer = runExchange(state, ticket, context.sites.passportLoginUrl(), n, "POST",
                                           loginForm(account.id, account.password));
    ticket.write([&] {
        context.loginAnswer.set(answer);
        state.captchaStepDue = 1;
    });
    return std::nullopt;
}

std::string captchaStep(const LoginContext& context, CaptchaPrompt& captcha, const RunTicket& ticket, int n)
{
    SharedState& state = context.state;
    const std::string question = context.loginAnswer.get();
    if (!asksForCaptcha(question))
        return question;

    state.captchaAbandoned = 0;
    const CaptchaAnswer answer = captcha.askCaptcha(captchaPictureAddress(question));
    if (answer.kind == CaptchaAnswer::Kind::Typed)
        state.captchaCode.set(answer.code);
    else if (answer.kind == CaptchaAnswer::Kind::StopInput)
        state.captchaAbandoned = 1;

    // Posted however the window was left: after giving up it carries whatever code was typed last.
    const Account account = state.account(n);
    const std::string form = verifiedLoginForm(state.captchaCode.get(), hiddenLoginFields(question), account.id,
                                               account.password, context.sites.loginReturnHost);
    return runExchange(state, ticket, context.sites.passportLoginUrl(), n, "POST", form);
}

LoginResult checkLoginResult(const LoginContext& context, const RunTicket& ticket, const std::string& answer)
{
    SharedState& state = context.state;
    const int n = state.currentAccount;
    const std::string name = state.account(n).id;
    switch (classifyLoginAnswer(answer)) {
    case LoginAnswer::CaptchaStillShown:
        if (state.captchaAbandoned) {
            runLog(ticket, context.workLog, name + gb("登录失败\r\n"));
            return {LoginCheck::Failed, {}};
        }
        // The new captcha is on this answer: the next captcha step shows it.
        ticket.write([&] {
            context.loginAnswer.set(answer);
            state.messageText.set(gb("验证码错误！请重新输入"));
            state.messagePending = 1;
            state.captchaStepDue = 1;
        });
        return {LoginCheck::CaptchaAgain, {}};
    case LoginAnswer::WrongPassword:
        runLog(ticket, context.workLog, name + gb("密码错误登录失败\r\n"));
        return {LoginCheck::Failed, {}};
    case LoginAnswer::UnknownUser:
        runLog(ticket, context.workLog, name + gb("不存在，登录失败\r\n"));
        return {LoginCheck::Failed, {}};
    case LoginAnswer::Other:
        break;
    }

    std::string followed = runExchange(state, ticket, followedForumsUrl(context.sites), n);
    if (showsLoggedIn(followed)) {
        runLog(ticket, context.workLog, name + gb("登录成功\r\n"));
        return {LoginCheck::LoggedIn, std::move(followed)};
    }
    runLog(ticket, context.workLog, name + gb("未知错误，登录失败\r\n"));
    return {LoginCheck::Failed, {}};
}

void timerTick(SharedState& state, const std::function<void(int account)>& runCaptchaStep, MessagePresenter& messages)
{
    if (state.captchaStepDue.exchange(0) == 1)
        runCaptchaStep(state.currentAccount);
    if (state.messagePending.exchange(0) == 1)
        messages.showMessage(state.messageText.get());
}

} // namespace tieba
