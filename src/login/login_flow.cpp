#include "login/login_flow.h"

#include "core/encoding.h"
#include "login/login_pages.h"
#include "web/http_exchange.h"
#include "web/text_helpers.h"

namespace tieba {

std::string runExchange(const RunTicket& ticket, const std::string& url, int account, const std::string& method,
                        const std::string& body)
{
    if (ticket.stopped())
        return {};
    return httpExchange(url, method, body, dataFilePath(), account, ticket.token());
}

void runLog(const RunTicket& ticket, WorkLog& log, const std::string& text)
{
    ticket.write([&] { log.append(text); });
}

bool passportLogin(const LoginContext& context, const RunTicket& ticket, int n)
{
    SharedState& state = context.state;
    const std::string name = state.accountId(n);
    runLog(ticket, context.workLog, name + gb("正在登陆...\r\n"));

    writeShared(ticket, state.pageText, runExchange(ticket, homePageUrl(context.sites), n));
    if (!waitForText(state.pageText, context.waiter, ticket.token()))
        runLog(ticket, context.workLog, gb("登录失败！请检查网络连接。"));
    if (ticket.stopped())
        return false;

    if (loggedInUserName(state.pageText.get()) == name) {
        runLog(ticket, context.workLog, name + gb("登录成功\r\n"));
        writeShared(ticket, state.pageText, runExchange(ticket, followedForumsUrl(context.sites), n));
        return true;
    }

    const std::string answer = runExchange(ticket, context.sites.passportLoginUrl(), n, "POST",
                                           loginForm(name, state.accountPassword(n)));
    ticket.write([&] {
        state.pageText.set(answer);
        state.captchaStepDue = 1;
    });
    return false;
}

void captchaStep(const LoginContext& context, CaptchaPrompt& captcha, const RunTicket& ticket, int n)
{
    SharedState& state = context.state;
    const std::string question = state.pageText.get();
    if (asksForCaptcha(question)) {
        state.captchaAbandoned = 0;
        const CaptchaAnswer answer = captcha.askCaptcha(captchaPictureAddress(question));
        if (answer.kind == CaptchaAnswer::Kind::Typed)
            state.captchaCode.set(answer.code);
        else if (answer.kind == CaptchaAnswer::Kind::StopInput)
            state.captchaAbandoned = 1;

        // Posted however the window was left: after giving up it carries whatever code was typed last.
        const std::string form = verifiedLoginForm(state.captchaCode.get(), hiddenLoginFields(question),
                                                   state.accountId(n), state.accountPassword(n),
                                                   context.sites.loginReturnHost);
        writeShared(ticket, state.pageText, runExchange(ticket, context.sites.passportLoginUrl(), n, "POST", form));
    }
}

LoginCheck checkLoginResult(const LoginContext& context, const RunTicket& ticket)
{
    SharedState& state = context.state;
    const int n = state.currentAccount;
    const std::string name = state.accountId(n);
    switch (classifyLoginAnswer(state.pageText.get())) {
    case LoginAnswer::CaptchaStillShown:
        if (state.captchaAbandoned) {
            runLog(ticket, context.workLog, name + gb("登录失败\r\n"));
            return LoginCheck::Failed;
        }
        ticket.write([&] {
            state.messageText.set(gb("验证码错误！请重新输入"));
            state.messagePending = 1;
            state.captchaStepDue = 1;
        });
        return LoginCheck::CaptchaAgain;
    case LoginAnswer::WrongPassword:
        runLog(ticket, context.workLog, name + gb("密码错误登录失败\r\n"));
        return LoginCheck::Failed;
    case LoginAnswer::UnknownUser:
        runLog(ticket, context.workLog, name + gb("不存在，登录失败\r\n"));
        return LoginCheck::Failed;
    case LoginAnswer::Other:
        break;
    }

    const std::string followed = runExchange(ticket, followedForumsUrl(context.sites), n);
    writeShared(ticket, state.pageText, followed);
    if (showsLoggedIn(followed)) {
        runLog(ticket, context.workLog, name + gb("登录成功\r\n"));
        return LoginCheck::LoggedIn;
    }
    runLog(ticket, context.workLog, name + gb("未知错误，登录失败\r\n"));
    return LoginCheck::Failed;
}

void timerTick(SharedState& state, const std::function<void(int account)>& runCaptchaStep, MessagePresenter& messages)
{
    if (state.captchaStepDue.exchange(0) == 1)
        runCaptchaStep(state.currentAccount);
    if (state.messagePending.exchange(0) == 1)
        messages.showMessage(state.messageText.get());
}

} // namespace tieba
