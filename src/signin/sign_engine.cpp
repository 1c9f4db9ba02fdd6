#include "signin/sign_engine.h"

#include "core/encoding.h"
#include "login/login_flow.h"
#include "signin/followed_forums.h"
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
    SignRun(const EngineContext& context, const RunTicket& ticket)
        : context_(context), state_(context.state), ticket_(ticket), account_(context.state.currentAccount),
          name_(context.state.accountId(account_))
    {
    }

    void run()
    {
        drawBar(0, 0);
        if (readFollowedForums()) {
            mainPass();
            retryPass();
        }
        log(name_ + gb("签到结束\r\n"));
    }

private:
    bool readFollowedForums()
    {
        const std::string page = state_.pageText.get();
        if (followsNoForum(page)) {
            log(gb("你暂未关注某个吧\r\n"));
            return false;
        }
        publishLists(FollowedForums{});
        failedNames_.clear();
        failedLinks_.clear();
        publishFailed();
        log(name_ + gb("正在获取贴吧\r\n"));

        forums_ = collectFollowedForums(page);
        // The exclusion list may be replaced by "保存" meanwhile: work on the copy taken now.
        dropExcludedForums(forums_, state_.excludedForums.get());
        publishLists(forums_);
        log(name_ + gb("开始签到\r\n"));
        return true;
    }

    void mainPass()
    {
        const long n = static_cast<long>(forums_.links.size());
        for (long i = 1; i <= n && !ticket_.stopped(); ++i) {
            setCaption(name_ + gb(" 已签 ") + std::to_string(i) + "/" + std::to_string(n));
            const std::string link = elementAt(forums_.links, i);
            const std::string page = get(forumAddress(context_.sites.forumSite, decodeAmp(link)));
            if (contains(page, gb("喜欢本吧"))) {
                // Not followed after all: the levels shown for the later forums move down one place.
                insertEmptyAt(forums_.levels, i);
                insertEmptyAt(forums_.experience, i);
                publishLists(forums_);
            } else {
                const std::string name = elementAt(forums_.names, i);
                log(name + "[" + elementAt(forums_.levels, i) + " " + elementAt(forums_.experience, i) + "]\r\n");
                if (contains(page, gb("已签到"))) {
                    log(gb("已签到\r\n"));
                } else if (contains(page, gb("签到"))) {
                    const SignOutcome outcome = signForum(context_, ticket_, page, link, account_);
                    if (outcome.attempt == 2)
                        log(gb("签到成功,经验+3") + outcome.gain + "\r\n");
                    else if (outcome.attempt != 0)
                        log(gb("签到成功,经验+") + outcome.gain + "\r\n");
                    else
                        queueForRetry(name, link);
                } else {
                    queueForRetry(name, link);
                }
            }
            drawBar(i, n);
        }
    }

    void retryPass()
    {
        const long m = static_cast<long>(failedNames_.size());
        for (long i = 1; i <= m && !ticket_.stopped(); ++i) {
            drawBar(0, 0);
            setCaption(name_ + gb(" 重签 ") + std::to_string(i) + "/" + std::to_string(m));
            if (i == 1)
                log(gb("---签到失败贴吧重签---\r\n"));
            const std::string name = elementAt(failedNames_, i);
            const std::string link = elementAt(failedLinks_, i);
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

    void queueForRetry(const std::string& name, const std::string& link)
    {
        log(gb("等待重签\r\n"));
        failedNames_.push_back(name);
        failedLinks_.push_back(link);
        publishFailed();
    }

    // Entry i becomes the empty text and the later entries move up, when the list reaches i - 1.
    static void insertEmptyAt(TextList& list, long i)
    {
        if (static_cast<long>(list.size()) >= i - 1)
            list.insert(list.begin() + (i - 1), std::string());
    }

    std::string get(const std::string& url)
    {
        const std::string page = runExchange(ticket_, url, account_);
        writeShared(ticket_, state_.pageText, page);
        return page;
    }

    void log(const std::string& text) { runLog(ticket_, context_.workLog, text); }

    void setCaption(const std::string& text)
    {
        ticket_.write([&] { context_.progress.setCaption(text); });
    }

    void drawBar(long done, long total)
    {
        ticket_.write([&] { context_.progress.drawBar(static_cast<int>(done), static_cast<int>(total)); });
    }

    void publishLists(const FollowedForums& forums)
    {
        ticket_.write([&] {
            state_.forumNames.set(forums.names);
            state_.forumLinks.set(forums.links);
            state_.forumLevels.set(forums.levels);
            state_.forumExperience.set(forums.experience);
        });
    }

    void publishFailed()
    {
        ticket_.write([&] {
            state_.failedForumNames.set(failedNames_);
            state_.failedForumLinks.set(failedLinks_);
        });
    }

    const EngineContext& context_;
    SharedState& state_;
    const RunTicket& ticket_;
    const int account_;
    const std::string name_;
    FollowedForums forums_;
    TextList failedNames_;
    TextList failedLinks_;
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
    SharedState& state = context.state;
    auto request = [&](const std::string& url) {
        const std::string answer = runExchange(ticket, url, account);
        writeShared(ticket, state.pageText, answer);
        return answer;
    };

    std::string signUrl = forumAddress(context.sites.forumSite, signLinkOf(forumPage));
    writeShared(ticket, state.currentUrl, signUrl);
    for (int attempt = 1; attempt <= 3; ++attempt) {
        if (attempt == 3) {
            if (!context.waiter.waitMs(kOneSecondMs, ticket.token()))
                return {};
            const std::string freshPage = request(forumAddress(context.sites.forumSite, decodeAmp(storedLink)));
            signUrl = forumAddress(context.sites.forumSite, signLinkOf(freshPage));
            writeShared(ticket, state.currentUrl, signUrl);
        }
        const std::string answer = request(signUrl);
        if (signSucceeded(answer))
            return SignOutcome{attempt, signGainOf(answer)};
        if (ticket.stopped())
            return {};
    }
    return {};
}

void signInFollowedForums(const EngineContext& context, const RunTicket& ticket)
{
    SignRun(context, ticket).run();
}

} // namespace tieba
