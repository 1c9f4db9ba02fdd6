#include "tools/grab/grab_tool.h"

#include "core/encoding.h"
#include "login/login_flow.h"
#include "login/login_pages.h"
#include "signin/sign_engine.h"
#include "web/text_helpers.h"

namespace tieba {
namespace {

bool signedIn(const std::string& answer)
{
    return contains(answer, gb("签到成功"));
}

} // namespace

std::string forumNameForRequest(const std::string& typed)
{
    return replaceAll(replaceAll(typed, " ", ""), "\xA1\xA1", "");
}

std::shared_ptr<GrabTool> GrabTool::create(GrabServices services, std::shared_ptr<GrabView> view)
{
    return std::shared_ptr<GrabTool>(new GrabTool(std::move(services), std::move(view)));
}

GrabTool::GrabTool(GrabServices services, std::shared_ptr<GrabView> view)
    : services_(std::move(services)), state_(services_.state), view_(std::move(view)),
      login_(services_.state, services_.sites, services_.fetchPicture, *view_,
             ToolLogin::FollowUps{[this](const RunTicket& ticket, int account) { startWatch(ticket, account); }, {}})
{
}

void GrabTool::start(int account)
{
    WorkerThreads& workers = state_.workerThreads;
    const RunTicket ticket = workers.endAllAndBegin(false);
    // A captcha step that an ended one-click run asked for goes with it.
    state_.captchaStepDue = 0;
    {
        std::lock_guard lock(mutex_);
        ticket_ = ticket;
        account_ = account;
    }
    workers.start(WorkerThreads::LoginWorker, ticket,
                  [self = shared_from_this(), account](const RunTicket& t) { self->grabLogin(t, account); });
}

void GrabTool::codeTyped(const std::string& code)
{
    state_.captchaCode.set(code);
    RunTicket ticket;
    int account = 0;
    {
        std::lock_guard lock(mutex_);
        ticket = ticket_;
        account = account_;
    }
    // No handle is kept, but the thread belongs to the grab's run: closing the window ends it.
    state_.workerThreads.start(WorkerThreads::NoHandle, ticket, [self = shared_from_this(), account, code](const RunTicket& t) {
        self->login_.toolCaptchaLogin(t, account, code);
    });
}

void GrabTool::close()
{
    RunTicket ticket;
    {
        std::lock_guard lock(mutex_);
        ticket = ticket_;
    }
    // Only the grab's own run is ended: a window that never started one leaves the workers alone.
    WorkerThreads& workers = state_.workerThreads;
    if (ticket.generation() != 0 && workers.isCurrent(ticket.generation()) && !ticket.stopped())
        workers.endAllAndBegin(false);
}

void GrabTool::grabLogin(const RunTicket& ticket, int account)
{
    // Name and password of one account, even if the slots change while the login runs.
    const Account stored = state_.account(account);
    const std::string home = get(ticket, homePageUrl(services_.sites), account);
    if (!waitForText([&home] { return home; }, services_.waiter, ticket.token()))
        log(ticket, gb("登录失败！请检查网络连接。"));
    if (ticket.stopped())
        return;
    if (loggedInUserName(home) == stored.id) {
        startWatch(ticket, account);
        return;
    }

    const std::string answer = runExchange(state_, ticket, services_.sites.passportLoginUrl(), account, "POST",
                                           loginForm(stored.id, stored.password));
    if (ticket.stopped())
        return;
    if (asksForCaptcha(answer)) {
        login_.askForCaptcha(ticket, answer, false);
        return;
    }
    // The answer of a plain login is not judged: the watch starts all the same.
    startWatch(ticket, account);
}

void GrabTool::startWatch(const RunTicket& ticket, int account)
{
    state_.workerThreads.start(WorkerThreads::SignInWorker, ticket,
                               [self = shared_from_this(), account](const RunTicket& t) {
                                   self->midnightWatch(t, account);
                               });
}

void GrabTool::midnightWatch(const RunTicket& ticket, int account)
{
    log(ticket, gb("开始抢第一\r\n"));
    std::string page = get(ticket, forumPageUrl(), account);
    if (ticket.stopped())
        return;
    if (contains(page, gb("喜欢本吧"))) {
        log(ticket, gb("暂未喜欢本吧\r\n"));
        return;
    }
    if (contains(page, gb("已签到"))) {
        ticket.write([&] { view_->replaceLog(gb("还不能签到\r\n正在刷新,请稍后！")); });
        // Back to back, with no pause: the first answer without "已签到" is the new day's page.
        do {
            page = get(ticket, forumPageUrl(), account);
            if (ticket.stopped())
                return;
        } while (contains(page, gb("已签到")));
    }
    grabSign(ticket, account, std::move(page));
}

void GrabTool::grabSign(const RunTicket& ticket, int account, std::string forumPage)
{
    const std::string& forumSite = services_.sites.forumSite;
    if (!contains(forumPage, gb("签到"))) {
        log(ticket, gb("未知错误\r\n"));
    } else {
        std::string signUrl = forumAddress(forumSite, signLinkOf(forumPage));
        std::string answer = get(ticket, signUrl, account);
        for (;;) {
            if (ticket.stopped())
                return;
            if (signedIn(answer))
                break;
            answer = get(ticket, signUrl, account);
            if (ticket.stopped())
                return;
            if (signedIn(answer))
                break;
            if (!services_.waiter.waitMs(kOneSecondMs, ticket.token()))
                return;
            // The page anew: its sign link may have changed with the day.
            signUrl = forumAddress(forumSite, signLinkOf(get(ticket, forumPageUrl(), account)));
            answer = get(ticket, signUrl, account);
            if (ticket.stopped())
                return;
            if (signedIn(answer))
                break;
            if (contains(answer, gb("已签到")))
                break;
        }
        if (signedIn(answer))
            log(ticket, gb("签到成功\r\n"));
    }
    if (ticket.stopped())
        return;
    log(ticket, gb("抢第一完成"));
    if (state_.shutdownAfterGrab.get() != "1")
        return;
    // The stop is checked under the run lock and the power-off called outside it: the system's
    // power-off may block for seconds, and a stop or a window close on the GUI thread must not wait
    // for it. A stop that lands between the check and the call no longer prevents the power-off;
    // made under the lock, the call would not have let that stop through either (the stop waited
    // until the machine was already going down), so nothing that could be saved is lost.
    if (ticket.write([] {}))
        services_.powerOff.powerOff();
}

std::string GrabTool::forumPageUrl() const
{
    // Read anew before every fetch, so an edit of "贴吧框" during the watch counts at once.
    return services_.sites.forumSite + "/m?kw=" + forumNameForRequest(view_->forumName());
}

std::string GrabTool::get(const RunTicket& ticket, const std::string& url, int account)
{
    return runExchange(state_, ticket, url, account);
}

void GrabTool::log(const RunTicket& ticket, const std::string& text)
{
    ticket.write([&] { view_->appendLog(text); });
}

} // namespace tieba
