#include "router.h"

#include "banner_image.h"
#include "client_api.h"
#include "text_codec.h"

namespace tieba::forumsim {

namespace {

Answer page(std::string body)
{
    Answer a;
    a.body = std::move(body);
    return a;
}

std::string replaceAll(std::string text, std::string_view from, std::string_view to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string queryValue(std::string_view query, std::string_view name, bool* found = nullptr)
{
    return formValue(parseForm(query), name, found);
}

} // namespace

Router::Router(SiteState& state, const Scenario& scenario, std::string fallbackBase)
    : state_(state), pages_(scenario.encoding), notice_(scenario.notice), cookieDomain_(scenario.cookieDomain),
      fallbackBase_(std::move(fallbackBase)), client_(std::make_unique<ClientApi>(scenario))
{
}

Router::~Router() = default;

void Router::turnClientDay()
{
    client_->turnDay();
}

std::string Router::base(std::string_view host) const
{
    return host.empty() ? fallbackBase_ : "http://" + std::string(host);
}

std::string Router::cookieDomain(std::string_view host) const
{
    if (!cookieDomain_.empty())
        return cookieDomain_;
    std::string domain(host.substr(0, host.rfind(':')));
    return domain.empty() ? "127.0.0.1" : domain;
}

Answer Router::route(const Incoming& request)
{
    const std::string_view path = targetPath(request.target);
    const std::string_view query = targetQuery(request.target);
    if (std::optional<Answer> answer = client_->route(request, base(request.host)))
        return std::move(*answer);
    const int account = state_.accountForCookie(request.cookie);

    if (request.method == "POST") {
        if (path == "/passport/" || path == "/passport")
            return login(request);
        std::string_view action = path;
        while (!action.empty() && action.front() == '/')
            action.remove_prefix(1);
        if (action == Pages::kReplyAction)
            return reply(account, request.body);
        return notFound();
    }

    if (path == "/")
        return home(account);
    if (path == "/m") {
        bool hasThread = false;
        bool hasForum = false;
        queryValue(query, "kz", &hasThread);
        queryValue(query, "kw", &hasForum);
        if (hasThread)
            return threadPage(account, query);
        if (hasForum)
            return forumPage(account, query);
        if (queryValue(query, "tn") == "bdFBW")
            return followed(account);
        return home(account);
    }
    if (path == "/sign")
        return sign(account, query);
    if (path == "/favolike")
        return like(account, query);
    if (path.starts_with("/captcha/"))
        return captchaPicture(path);
    if (path.starts_with("/pic/"))
        return bannerPicture(path);
    if (path == "/passport/" || path == "/passport")
        return page(pages_.loginForm());
    if (path.starts_with("/p/"))
        return desktopThread(path.substr(3), request.host);
    if (path == "/notice")
        return page(replaceAll(notice_, "{base}", base(request.host)));
    if (path == "/download")
        return page(pages_.simple("下载", "贴吧签到助手 最新版本 3.0，<a href=\"/\">返回</a>"));
    if (path == "/feedback")
        return page(pages_.simple("意见反馈", "欢迎提出意见和建议。"));
    if (path == "/i")
        return page(pages_.simple("我的i贴吧", "i贴吧"));
    return notFound();
}

Answer Router::home(int account) const
{
    return page(pages_.home(account < 0 ? std::string() : state_.accountName(account)));
}

Answer Router::followed(int account) const
{
    if (account < 0)
        return page(pages_.followedVisitor());
    const std::string& name = state_.accountName(account);
    if (state_.forumCount(account) == 0)
        return page(pages_.followedNone(name));
    std::vector<Pages::FollowedForum> forums;
    for (size_t i = 0; i < state_.forumCount(account); ++i) {
        const ForumSpec& f = state_.forum(account, static_cast<int>(i));
        forums.push_back(Pages::FollowedForum{f.name, f.level, f.experience});
    }
    return page(pages_.followed(name, forums));
}

Answer Router::forumPage(int account, std::string_view query)
{
    const std::vector<std::string> readings = nameReadings(queryValue(query, "kw"));
    const int index = account < 0 ? -1 : state_.findForum(account, readings);
    // A forum the account does not follow is shown under the first reading of its name.
    std::string name = index >= 0 ? state_.forum(account, index).name
                                  : (readings.empty() ? std::string() : readings.front());

    using Offer = Pages::SignOffer;
    Offer offer = Offer::Visitor;
    if (account >= 0) {
        if (index < 0) {
            offer = Offer::NotLiked;
        } else {
            const ForumSpec& f = state_.forum(account, index);
            offer = !f.liked ? Offer::NotLiked : f.signedToday ? Offer::Signed : !f.signable ? Offer::Nothing
                                                                                             : Offer::SignLink;
        }
    }
    std::vector<Pages::ThreadLink> threads;
    for (const SiteState::Thread& t : state_.threads()) {
        if (t.setup.forum == name)
            threads.push_back(Pages::ThreadLink{t.setup.id, t.setup.title});
    }
    Answer answer = page(pages_.forum(name, offer, account < 0 ? std::string() : state_.tbs(account), threads));
    state_.noteForumPage();
    return answer;
}

Answer Router::sign(int account, std::string_view query)
{
    const FormFields fields = parseForm(query);
    int gain = 0;
    switch (state_.sign(account, nameReadings(formValue(fields, "kw")), formValue(fields, "tbs"), &gain)) {
    case SiteState::SignResult::NeedsLogin: return page(pages_.signNeedsLogin());
    case SiteState::SignResult::Failed: return page(pages_.signFailed());
    case SiteState::SignResult::AlreadySigned: return page(pages_.signAlreadyDone());
    case SiteState::SignResult::Signed: return page(pages_.signSucceeded(gain));
    }
    return page(pages_.signFailed());
}

Answer Router::like(int account, std::string_view query)
{
    if (account < 0)
        return page(pages_.signNeedsLogin());
    const bool done = state_.like(account, nameReadings(queryValue(query, "kw")));
    return page(pages_.simple("提示", done ? "操作成功，<a href=\"/\">返回</a>" : "操作失败"));
}

Answer Router::threadPage(int account, std::string_view query) const
{
    const SiteState::Thread* thread = state_.thread(queryValue(query, "kz"));
    if (!thread)
        return page(pages_.threadMissing());
    Pages::ReplyForm form{thread->fid, account < 0 ? std::string() : state_.tbs(account), thread->setup.forum};
    return page(pages_.thread(thread->setup.id, thread->setup.title, thread->setup.replyForm ? &form : nullptr,
                              thread->replies, account < 0 ? std::string() : state_.accountName(account)));
}

Answer Router::desktopThread(std::string_view id, std::string_view host) const
{
    const SiteState::Thread* thread = state_.thread(std::string(id));
    if (!thread)
        return page(pages_.threadMissing());
    return page(pages_.simple(thread->setup.title, htmlEscape(thread->setup.title) + " <a href=\"" + base(host) +
                                                      "/m?kz=" + thread->setup.id + "\">手机版</a>"));
}

Answer Router::captchaPicture(std::string_view path) const
{
    std::string_view id = path.substr(std::string_view("/captcha/").size());
    if (id.ends_with(".png"))
        id.remove_suffix(4);
    const auto code = state_.captchaCode(std::string(id));
    if (!code)
        return notFound();
    Answer answer;
    answer.contentType = "image/png";
    answer.captchaToDraw = *code;
    return answer;
}

Answer Router::bannerPicture(std::string_view path) const
{
    std::optional<std::string> png = bannerPicturePng(path.substr(std::string_view("/pic/").size()));
    if (!png)
        return notFound();
    Answer answer;
    answer.contentType = "image/png";
    answer.body = std::move(*png);
    return answer;
}

Answer Router::login(const Incoming& request)
{
    using Kind = SiteState::LoginResult::Kind;
    const SiteState::LoginResult result = state_.login(parseForm(request.body));
    switch (result.kind) {
    case Kind::BadName: return page(pages_.loginBadName());
    case Kind::UnknownUser: return page(pages_.loginUnknownUser());
    case Kind::WrongPassword: return page(pages_.loginWrongPassword());
    case Kind::Challenge:
    case Kind::WrongCode:
        return page(pages_.captchaChallenge(base(request.host) + "/captcha/" + result.verify + ".png", result.verify,
                                            result.token, result.time, result.kind == Kind::WrongCode));
    case Kind::Success: break;
    }
    Answer answer = page(pages_.loginSucceeded(base(request.host)));
    const std::string domain = cookieDomain(request.host);
    answer.cookies.push_back("BAIDUID=" + result.session.substr(0, 32) + ":FG=1; max-age=31536000; path=/; domain=" +
                             domain);
    answer.cookies.push_back("USER_RS_1=" + result.session.substr(32, 16) + "; path=/; domain=" + domain);
    answer.cookies.push_back("BDUSS=" + result.session + "; path=/; domain=" + domain + "; httponly");
    return answer;
}

Answer Router::reply(int account, std::string_view body)
{
    std::string threadId;
    std::string reason;
    if (!state_.reply(account, parseForm(body), &threadId, &reason))
        return page(pages_.replyFailed(reason));
    return page(pages_.replySucceeded(threadId));
}

Answer Router::notFound() const
{
    Answer answer = page(pages_.simple("404", "您访问的页面找不到了"));
    answer.status = 404;
    return answer;
}

} // namespace tieba::forumsim
