#include "signin/sign_engine.h"

#include "core/encoding.h"
#include "login/login_flow.h"
#include "signin/followed_forums.h"
#include "signin/forum_list.h"
#include "signin/run_output.h"
#include "web/text_helpers.h"

namespace tieba {
namespace {

std::string decodeAmp(const std::string& link)
{
    return replaceAll(link, "&amp;", "&");
}

bool signSucceeded(const std::string& answer)
{
    return contains(answer, gb("签到成功"));
}

// One engine run for one account.
class SignRun {
public:
    SignRun(const EngineContext& context, const RunTicket& ticket, const SignAccount& account)
        : context_(context), ticket_(ticket), account_(account.slot), name_(account.name),
          out_(ticket, context.workLog, context.progress, account.name)
    {
    }

    void run(const std::string& followedPage)
    {
        drawBar(0, 0);
        if (readFollowedForums(followedPage)) {
            mainPass();
            retryPass();
        }
        out_.logEnd();
    }

private:
    bool readFollowedForums(const std::string& page)
    {
        if (followsNoForum(page)) {
            log(gb("你暂未关注某个吧\r\n"));
            return false;
        }
        log(name_ + gb("正在获取贴吧\r\n"));

        FollowedForums found = collectFollowedForums(page);
        // The exclusion list may be replaced by "保存" meanwhile: work on the copy taken now.
        dropExcludedForums(found, context_.state.excludedForums.get());
        forums_ = ForumList(found);
        log(name_ + gb("开始签到\r\n"));
        return true;
    }

    void mainPass()
    {
        const long n = forums_.count();
        for (long i = 1; i <= n && !ticket_.stopped(); ++i) {
            out_.showSigning(i, n);
            const std::string link = forums_.at(i).link;
            const std::string page = get(forumAddress(context_.sites.forumSite, decodeAmp(link)));
            if (contains(page, gb("喜欢本吧"))) {
                // Not followed after all: the levels shown for the later forums move down one place.
                forums_.insertEmptyStandingAt(i);
            } else {
                const Forum forum = forums_.at(i);
                log(forum.name + "[" + forum.level + " " + forum.experience + "]\r\n");
                if (contains(page, gb("已签到"))) {
                    log(gb("已签到\r\n"));
                } else if (contains(page, gb("签到"))) {
                    const SignOutcome outcome = signForum(context_, ticket_, page, link, account_);
                    if (outcome.attempt == 2)
                        log(gb("签到成功,经验+3") + outcome.gain + "\r\n");
                    else if (outcome.attempt != 0)
                        log(gb("签到成功,经验+") + outcome.gain + "\r\n");
                    else
                        queueForRetry(forum);
                } else {
                    queueForRetry(forum);
                }
            }
            drawBar(i, n);
        }
    }

    void retryPass()
    {
        const long m = static_cast<long>(failed_.size());
        for (long i = 1; i <= m && !ticket_.stopped(); ++i) {
            drawBar(0, 0);
            out_.showRetrying(i, m);
            if (i == 1)
                out_.logRetryHeader();
            const std::string& name = failed_[static_cast<size_t>(i - 1)].name;
            const std::string& link = failed_[static_cast<size_t>(i - 1)].link;
            const std::string page = get(forumAddress(context_.sites.forumSite, decodeAmp(link)));
            if (contains(page, gb("已签到"))) {
                log(name + gb("已签到\r\n"));
            } else {
                const SignOutcome outcome = signForum(context_, ticket_, page, link, account_);
                if (outcome.attempt != 0)
                    log(name + gb("重签成功,经验+") + outcome.gain + "\r\n");
                else
                    log(name + gb("签到失败\r\n"));
            }
            drawBar(i, m);
        }
    }

    void queueForRetry(const Forum& forum)
    {
        log(gb("等待重签\r\n"));
        failed_.push_back(forum);
    }

    std::string get(const std::string& url) { return runExchange(context_.state, ticket_, url, account_); }

    void log(const std::string& text) { out_.log(text); }

    void drawBar(long done, long total) { out_.drawBar(done, total); }

    const EngineContext& context_;
    const RunTicket& ticket_;
    const int account_;
    const std::string name_;
    const RunOutput out_;
    ForumList forums_;
    std::vector<Forum> failed_; // queued for the retry pass, in the order they failed
};

} // namespace

std::string forumAddress(const std::string& forumSite, const std::string& link)
{
    if (!link.empty() && link.front() != '/')
        return {};
    return forumSite + link;
}

std::string signLinkOf(const std::string& forumPage)
{
    return decodeAmp(textBetween(forumPage, "href=\"", gb("\">签到"), kBackwardCut));
}

std::string signGainOf(const std::string& answer)
{
    return textBetween(answer, gb("经验值上升<span class=\"light\">"), "</span>");
}

SignOutcome signForum(const EngineContext& context, const RunTicket& ticket, const std::string& forumPage,
                      const std::string& storedLink, int account)
{
    auto request = [&](const std::string& url) { return runExchange(context.state, ticket, url, account); };

    std::string signUrl = forumAddress(context.sites.forumSite, signLinkOf(forumPage));
    for (int attempt = 1; attempt <= 3; ++attempt) {
        if (attempt == 3) {
            if (!context.waiter.waitMs(kOneSecondMs, ticket.token()))
                return {};
            const std::string freshPage = request(forumAddress(context.sites.forumSite, decodeAmp(storedLink)));
            signUrl = forumAddress(context.sites.forumSite, signLinkOf(freshPage));
        }
        const std::string answer = request(signUrl);
        if (signSucceeded(answer))
            return SignOutcome{attempt, signGainOf(answer)};
        if (ticket.stopped())
            return {};
    }
    return {};
}

void signInFollowedForums(const EngineContext& context, const RunTicket& ticket, const SignAccount& account,
                          const std::string& followedPage)
{
    SignRun(context, ticket, account).run(followedPage);
}

} // namespace tieba
