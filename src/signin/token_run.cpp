#include "signin/token_run.h"

#include <algorithm>
#include <optional>
#include <random>
#include <vector>

#include "client/client_answers.h"
#include "client/client_protocol.h"
#include "client/sign_outcome.h"
#include "core/encoding.h"
#include "signin/client_exchange.h"
#include "signin/run_output.h"
#include "signin/sign_pacing.h"

namespace tieba {
namespace {

using client::SignOutcome;

bool isNotLoggedInCode(long long code)
{
    return code == client::protocol::kNotLoggedInCode || code == client::protocol::kNotLoggedInCodeToo;
}

// What became of one forum's sign request, after a new tbs where the old one was refused.
struct SignResult {
    SignOutcome outcome = SignOutcome::Transient; // an answer that cannot be read is tried again later
    std::string gain;
    std::string message; // the service's error text, GB18030
};

enum class ListFailure { None, NotLoggedIn, Unusable };

class TokenSignRun {
public:
    TokenSignRun(const EngineContext& context, const RunTicket& ticket, const TokenAccount& account)
        : context_(context), ticket_(ticket), account_(account),
          out_(ticket, context.workLog, context.progress, account.name), pacing_(context.state.pacing.get()),
          random_(std::random_device{}())
    {
    }

    void run()
    {
        out_.drawBar(0, 0);
        if (!checkSession())
            return;
        out_.log(out_.name() + gb("正在获取贴吧\r\n"));
        if (!readFollowedForums())
            return;
        if (forums_.empty()) {
            out_.log(gb("你暂未关注某个吧\r\n"));
            out_.logEnd();
            return;
        }
        out_.log(out_.name() + gb("开始签到\r\n"));
        mainPass();
        if (!ended_)
            retryPass();
        if (!ended_)
            out_.logEnd();
    }

private:
    bool checkSession()
    {
        const auto answer = client::parseTbsAnswer(exchange(client::tbsRequest(context_.sites, account_.tokens)));
        if (!answer.ok()) {
            out_.log(out_.name() + gb("登录检查失败，服务器的回答无法识别\r\n"));
            return false;
        }
        if (!answer->loggedIn || answer->tbs.empty()) {
            logSessionGone();
            return false;
        }
        tbs_ = answer->tbs;
        return true;
    }

    bool readFollowedForums()
    {
        std::vector<client::FollowedForum> found;
        ListFailure failure = readPages(true, found);
        if (failure == ListFailure::Unusable) {
            found.clear();
            failure = readPages(false, found);
        }
        if (failure == ListFailure::NotLoggedIn) {
            logSessionGone();
            return false;
        }
        if (failure == ListFailure::Unusable) {
            out_.log(out_.name() + gb("获取贴吧失败\r\n"));
            return false;
        }
        // The exclusion list may be replaced by "保存" meanwhile: work on the copy taken now.
        const TextList excluded = context_.state.excludedForums.get();
        for (client::FollowedForum& forum : found) {
            const std::string name = gbFromUtf8(forum.name);
            if (forum.forbidden) {
                out_.log(name + gb("[已封禁]\r\n"));
            } else if (std::find(excluded.begin(), excluded.end(), name) == excluded.end()) {
                forums_.push_back(std::move(forum));
            }
        }
        return true;
    }

    // Every page of the list, forumGuide or the older call, up to the page bound.
    ListFailure readPages(bool guide, std::vector<client::FollowedForum>& found)
    {
        for (int page = 1; page <= client::protocol::kMaxForumPages; ++page) {
            const std::string answer =
                exchange(guide ? client::forumGuideRequest(context_.sites, account_.tokens, tbs_, page)
                               : client::forumLikeRequest(context_.sites, account_.tokens, page));
            const auto parsed = guide ? client::parseForumGuidePage(answer) : client::parseForumLikePage(answer);
            if (!parsed.ok())
                return ListFailure::Unusable;
            if (parsed->status.errorCode != 0)
                return isNotLoggedInCode(parsed->status.errorCode) ? ListFailure::NotLoggedIn : ListFailure::Unusable;
            found.insert(found.end(), parsed->forums.begin(), parsed->forums.end());
            if (!parsed->hasMore)
                break;
        }
        return ListFailure::None;
    }

    void mainPass()
    {
        const long n = static_cast<long>(forums_.size());
        for (long i = 1; i <= n && !ticket_.stopped() && !ended_; ++i) {
            out_.showSigning(i, n);
            const client::FollowedForum& forum = forums_[static_cast<size_t>(i - 1)];
            out_.log(gbFromUtf8(forum.name) + gb("[等级") + countText(forum.level) + gb(" 经验值") +
                     countText(forum.experience) + "]\r\n");
            if (forum.signedToday) {
                out_.log(gb("已签到\r\n"));
            } else if (const std::optional<SignResult> result = sign(forum)) {
                switch (result->outcome) {
                case SignOutcome::Signed:
                    out_.log(gb("签到成功,经验+") + result->gain + "\r\n");
                    break;
                case SignOutcome::AlreadySigned:
                    out_.log(gb("已签到\r\n"));
                    break;
                case SignOutcome::Blocked:
                    out_.log(gb("签到失败：") + result->message + "\r\n");
                    break;
                default:
                    if (!endOnAccountProblem(*result)) {
                        out_.log(gb("等待重签\r\n"));
                        failed_.push_back(forum);
                    }
                }
            }
            out_.drawBar(i, n);
        }
    }

    void retryPass()
    {
        const long m = static_cast<long>(failed_.size());
        for (long i = 1; i <= m && !ticket_.stopped() && !ended_; ++i) {
            out_.drawBar(0, 0);
            out_.showRetrying(i, m);
            if (i == 1)
                out_.logRetryHeader();
            const client::FollowedForum& forum = failed_[static_cast<size_t>(i - 1)];
            const std::string name = gbFromUtf8(forum.name);
            if (const std::optional<SignResult> result = sign(forum)) {
                if (result->outcome == SignOutcome::Signed)
                    out_.log(name + gb("重签成功,经验+") + result->gain + "\r\n");
                else if (result->outcome == SignOutcome::AlreadySigned)
                    out_.log(name + gb("已签到\r\n"));
                else if (!endOnAccountProblem(*result))
                    out_.log(name + gb("签到失败\r\n"));
            }
            out_.drawBar(i, m);
        }
    }

    // The paced sign request for one forum, once more with a new tbs when the tbs was refused.
    // Nothing when the run was stopped during the pause.
    std::optional<SignResult> sign(const client::FollowedForum& forum)
    {
        std::optional<SignResult> result = signOnce(forum);
        if (result && result->outcome == SignOutcome::TbsFailed) {
            result = renewTbs() ? signOnce(forum) : std::optional<SignResult>(SignResult{});
            if (result && result->outcome == SignOutcome::TbsFailed)
                result->outcome = SignOutcome::Transient;
        }
        return result;
    }

    std::optional<SignResult> signOnce(const client::FollowedForum& forum)
    {
        const int pause = pauseBeforeSignRequest(++signRequests_, pacing_, random_);
        if (pause > 0 && !context_.waiter.waitMs(pause, ticket_.token()))
            return std::nullopt;
        const auto answer = client::parseSignAnswer(
            exchange(client::signRequest(context_.sites, account_.tokens, tbs_, forum.id, forum.name)));
        SignResult result;
        if (!answer.ok())
            return result;
        result.outcome = client::signOutcome(answer->status.errorCode);
        // A code this program does not know is treated like a busy service: tried once more later.
        if (result.outcome == SignOutcome::Unknown)
            result.outcome = SignOutcome::Transient;
        result.gain = countText(answer->bonusPoints);
        result.message = gbFromUtf8(answer->status.errorMessage);
        return result;
    }

    bool renewTbs()
    {
        const auto answer = client::parseTbsAnswer(exchange(client::tbsRequest(context_.sites, account_.tokens)));
        if (!answer.ok() || !answer->loggedIn || answer->tbs.empty())
            return false;
        tbs_ = answer->tbs;
        return true;
    }

    // Need vcode, an expired session or a ban: this account signs nothing more in this run.
    bool endOnAccountProblem(const SignResult& result)
    {
        switch (result.outcome) {
        case SignOutcome::NeedVcode:
            out_.log(out_.name() + gb("签到太频繁，已暂停本账号\r\n"));
            break;
        case SignOutcome::NotLoggedIn:
            logSessionGone();
            break;
        case SignOutcome::Banned:
            out_.log(out_.name() + (result.message.empty() ? gb("账号已被封禁") : result.message) + "\r\n");
            break;
        default:
            return false;
        }
        ended_ = true;
        return true;
    }

    void logSessionGone() { out_.log(out_.name() + gb("登录失效，请重新扫码登录\r\n")); }

    static std::string countText(const std::optional<int>& count) { return count ? std::to_string(*count) : ""; }

    std::string exchange(const client::ClientRequest& request) { return clientExchange(request, ticket_); }

    const EngineContext& context_;
    const RunTicket& ticket_;
    const TokenAccount& account_;
    const RunOutput out_;
    const Pacing pacing_;
    std::mt19937 random_;
    std::string tbs_;
    std::vector<client::FollowedForum> forums_;
    std::vector<client::FollowedForum> failed_; // queued for the retry pass, in the order they failed
    long signRequests_ = 0;
    bool ended_ = false; // the account's run was ended by the service
};

} // namespace

void signInWithTokens(const EngineContext& context, const RunTicket& ticket, const TokenAccount& account)
{
    TokenSignRun(context, ticket, account).run();
}

} // namespace tieba
