#include "tools/bump/bump_tool.h"

#include <algorithm>

#include "core/encoding.h"
#include "login/login_flow.h"
#include "login/login_pages.h"
#include "tools/bump/reply_form.h"
#include "web/text_helpers.h"

namespace tieba {

std::shared_ptr<BumpTool> BumpTool::create(BumpServices services, std::shared_ptr<BumpView> view)
{
    return std::shared_ptr<BumpTool>(new BumpTool(std::move(services), std::move(view)));
}

BumpTool::BumpTool(BumpServices services, std::shared_ptr<BumpView> view)
    : services_(std::move(services)), state_(services_.state), view_(std::move(view)),
      login_(services_.state, services_.sites, services_.fetchPicture, *view_,
             ToolLogin::FollowUps{[this](const RunTicket& ticket, int) { startPosting(ticket); },
                                  [this](const RunTicket& ticket, int) {
                                      ticket.write([&] { view_->setBumpEnabled(true); });
                                  }})
{
}

void BumpTool::start(BumpOrder order)
{
    {
        std::lock_guard lock(mutex_);
        order_ = order;
    }
    WorkerThreads& workers = services_.workers;
    workers.start(WorkerThreads::NoHandle, workers.current(), [self = shared_from_this(), order = std::move(order)](const RunTicket& t) {
        self->bumpLogin(t, order);
    });
}

void BumpTool::codeTyped(const std::string& code)
{
    state_.captchaCode.set(code);
    const int account = lastOrder().account;
    WorkerThreads& workers = services_.workers;
    workers.start(WorkerThreads::NoHandle, workers.current(), [self = shared_from_this(), account, code](const RunTicket& t) {
        self->login_.toolCaptchaLogin(t, account, code);
    });
}

BumpOrder BumpTool::lastOrder()
{
    std::lock_guard lock(mutex_);
    return order_;
}

void BumpTool::startPosting(const RunTicket& ticket)
{
    services_.workers.start(WorkerThreads::NoHandle, ticket, [self = shared_from_this(), order = lastOrder()](const RunTicket& t) {
        self->postReplies(t, order);
    });
}

std::string BumpTool::threadPageUrl(const BumpOrder& order) const
{
    return services_.sites.forumSite + "/m?kz=" + order.threadId;
}

void BumpTool::bumpLogin(const RunTicket& ticket, const BumpOrder& order)
{
    // Name and password of one account, even if the slots change while the login runs.
    const Account account = state_.account(order.account);
    const std::string page = runExchange(state_, ticket, threadPageUrl(order), order.account);
    // The page's foot, where a logged-in account's name shows.
    const std::string foot = textBetween(page, gb("插图片"), gb("我的i贴吧"), kBackwardCut);
    if (!waitForText([&page] { return page; }, services_.waiter, ticket.token())) {
        if (ticket.stopped())
            return;
        // Shown from this thread, which waits until the message is closed or the bump is ended.
        showMessage(state_, services_.messages, gb("登录失败！请检查网络连接。"), ticket.token());
    }
    if (ticket.stopped())
        return;
    if (contains(foot, account.id)) {
        postReplies(ticket, order);
        return;
    }

    const std::string answer = runExchange(state_, ticket, services_.sites.passportLoginUrl(), order.account, "POST",
                                           loginForm(account.id, account.password));
    if (ticket.stopped())
        return;
    if (asksForCaptcha(answer))
        login_.askForCaptcha(ticket, answer, false);
    else
        login_.checkToolLogin(ticket, order.account, answer);
}

void BumpTool::postReplies(const RunTicket& ticket, const BumpOrder& order)
{
    std::string page = runExchange(state_, ticket, threadPageUrl(order), order.account);
    if (ticket.stopped())
        return;
    const ReplyForm form = replyFormOf(page);
    const int count = replyCount(view_->replyCountText());
    const std::string postUrl = services_.sites.forumSite + "/" + form.action;
    const std::string body = replyBody(order.threadId, form, order.replyText);

    // Back to back; only the answer of the last post is looked at.
    for (int round = 1; round <= count; ++round) {
        state_.replyRound = round;
        page = runExchange(state_, ticket, postUrl, order.account, "POST", body);
        if (ticket.stopped())
            return;
    }
    state_.replyRound = std::max(count, 0) + 1;

    const std::string outcome = contains(page, gb("回贴成功")) ? gb("刷帖成功") : gb("刷帖失败");
    requestMessage(state_, ticket, outcome);
    ticket.write([&] { view_->setBumpEnabled(true); });
}

} // namespace tieba
