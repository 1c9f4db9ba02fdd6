#include "site_state.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#include "captcha_image.h"

namespace tieba::forumsim {

namespace {

std::string upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool matchesAny(const std::string& name, const std::vector<std::string>& readings)
{
    return std::find(readings.begin(), readings.end(), name) != readings.end();
}

} // namespace

SiteState::SiteState(const Scenario& scenario)
    : presetCodes_(scenario.captchaCodes), turnDayAfterForumPages_(scenario.turnDayAfterForumPages),
      random_(scenario.seed ? *scenario.seed : std::random_device{}())
{
    for (const AccountSpec& setup : scenario.accounts) {
        Account account{setup, {}, randomHex(26), false};
        for (const ForumSpec& f : setup.forums)
            account.forums.push_back(Forum{f, f.failFirst, 0});
        if (!setup.presetSession.empty())
            sessions_[setup.presetSession] = static_cast<int>(accounts_.size());
        accounts_.push_back(std::move(account));
    }
    int fid = 1000;
    for (const ThreadSpec& setup : scenario.threads)
        threads_.push_back(Thread{setup, std::to_string(++fid), setup.replyFailFirst, {}});
}

std::string SiteState::randomHex(int digits)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(static_cast<size_t>(digits));
    for (int i = 0; i < digits; ++i)
        out += hex[random_() & 0x0F];
    return out;
}

int SiteState::accountForCookie(std::string_view cookieHeader) const
{
    const std::string token = cookieValue(cookieHeader, "BDUSS");
    if (token.empty())
        return -1;
    const auto it = sessions_.find(token);
    return it == sessions_.end() ? -1 : it->second;
}

std::string SiteState::newCaptchaCode()
{
    if (!presetCodes_.empty())
        return presetCodes_[codesIssued_++ % presetCodes_.size()];
    ++codesIssued_;
    const std::string_view alphabet = captchaAlphabet();
    std::string code;
    for (int i = 0; i < 4; ++i)
        code += alphabet[random_() % alphabet.size()];
    return code;
}

bool SiteState::needsCaptcha(const Account& account) const
{
    switch (account.setup.captcha) {
    case CaptchaRule::Never: return false;
    case CaptchaRule::FirstLogin: return !account.captchaPassed;
    case CaptchaRule::Always: return true;
    }
    return false;
}

SiteState::LoginResult SiteState::challenge(int account, bool wrongCode)
{
    LoginResult result;
    result.kind = wrongCode ? LoginResult::Kind::WrongCode : LoginResult::Kind::Challenge;
    result.verify = randomHex(32);
    result.token = randomHex(32);
    result.time = std::to_string(std::time(nullptr));
    lastCaptchaCode_ = newCaptchaCode();
    challenges_[result.verify] = Challenge{account, lastCaptchaCode_, false};
    return result;
}

int SiteState::findAccount(const std::vector<std::string>& readings) const
{
    for (size_t i = 0; i < accounts_.size(); ++i) {
        if (matchesAny(accounts_[i].setup.name, readings))
            return static_cast<int>(i);
    }
    return -1;
}

SiteState::LoginResult SiteState::login(const FormFields& form)
{
    using Kind = LoginResult::Kind;
    const std::string rawName = formValue(form, "login_username");
    if (rawName.empty())
        return LoginResult{Kind::BadName, {}, {}, {}, {}};
    const int index = findAccount(nameReadings(rawName));
    if (index < 0)
        return LoginResult{Kind::UnknownUser, {}, {}, {}, {}};
    Account& account = accounts_[index];

    bool passedCaptcha = false;
    if (needsCaptcha(account)) {
        bool hasCode = false;
        const std::string code = percentDecode(formValue(form, "login_verifycode", &hasCode));
        if (!hasCode)
            return challenge(index, false);
        const auto it = challenges_.find(formValue(form, "login_bdverify"));
        const bool right = it != challenges_.end() && !it->second.used && it->second.account == index &&
                           !code.empty() && upper(code) == upper(it->second.code);
        if (it != challenges_.end())
            it->second.used = true; // a challenge is good for one answer
        if (!right)
            return challenge(index, true);
        passedCaptcha = true;
    }

    // The program sends the password as stored, without encoding; a client that encodes it is
    // understood as well.
    const std::string raw = formValue(form, "login_loginpass");
    const std::string& password = account.setup.password;
    const bool passwordOk = raw == password || percentDecode(raw) == password ||
                            utf8FromClientBytes(raw) == password ||
                            utf8FromClientBytes(percentDecode(raw)) == password;
    if (!passwordOk)
        return LoginResult{Kind::WrongPassword, {}, {}, {}, {}};

    if (passedCaptcha)
        account.captchaPassed = true;
    LoginResult result{Kind::Success, {}, {}, {}, randomHex(64)};
    sessions_[result.session] = index;
    return result;
}

std::optional<std::string> SiteState::captchaCode(const std::string& id) const
{
    const auto it = challenges_.find(id);
    if (it == challenges_.end())
        return std::nullopt;
    return it->second.code;
}

int SiteState::findForum(int account, const std::vector<std::string>& readings) const
{
    const auto& forums = accounts_[account].forums;
    for (size_t i = 0; i < forums.size(); ++i) {
        if (matchesAny(forums[i].setup.name, readings))
            return static_cast<int>(i);
    }
    return -1;
}

SiteState::Forum* SiteState::findForumEntry(int account, const std::vector<std::string>& readings)
{
    const int index = account < 0 ? -1 : findForum(account, readings);
    return index < 0 ? nullptr : &accounts_[account].forums[index];
}

void SiteState::noteForumPage()
{
    // Counted from the last turnover, so that every new watch of a signed forum sees a new day.
    if (turnDayAfterForumPages_ > 0 && ++forumPagesSinceTurnover_ >= turnDayAfterForumPages_)
        turnDay();
}

SiteState::SignResult SiteState::sign(int account, const std::vector<std::string>& readings, const std::string& tbs,
                                      int* gain)
{
    if (account < 0)
        return SignResult::NeedsLogin;
    Forum* forum = findForumEntry(account, readings);
    if (!forum || tbs != accounts_[account].tbs)
        return SignResult::Failed;
    ++forum->signRequests;
    if (!forum->setup.liked || !forum->setup.signable)
        return SignResult::Failed;
    if (forum->setup.signedToday)
        return SignResult::AlreadySigned;
    if (forum->failuresLeft > 0) {
        --forum->failuresLeft;
        return SignResult::Failed;
    }
    forum->setup.signedToday = true;
    forum->setup.experience += forum->setup.gain;
    *gain = forum->setup.gain;
    return SignResult::Signed;
}

bool SiteState::like(int account, const std::vector<std::string>& readings)
{
    Forum* forum = findForumEntry(account, readings);
    if (!forum)
        return false;
    forum->setup.liked = true;
    return true;
}

void SiteState::turnDay()
{
    turnovers_.push_back(std::chrono::steady_clock::now());
    forumPagesSinceTurnover_ = 0;
    for (Account& account : accounts_) {
        for (Forum& forum : account.forums)
            forum.setup.signedToday = false;
    }
}

const SiteState::Thread* SiteState::thread(const std::string& id) const
{
    for (const Thread& t : threads_) {
        if (t.setup.id == id)
            return &t;
    }
    return nullptr;
}

bool SiteState::reply(int account, const FormFields& form, std::string* threadId, std::string* reason)
{
    *threadId = formValue(form, "z");
    if (account < 0) {
        *reason = "请先登录";
        return false;
    }
    Thread* target = nullptr;
    for (Thread& t : threads_) {
        if (t.setup.id == *threadId)
            target = &t;
    }
    if (!target) {
        *reason = "贴子已被删除";
        return false;
    }
    if (!target->setup.replyForm) {
        *reason = "本贴已锁定";
        return false;
    }
    if (formValue(form, "tbs") != accounts_[account].tbs) {
        *reason = "页面已过期，请刷新";
        return false;
    }
    const std::string raw = formValue(form, "co");
    std::string text = utf8FromClientBytes(percentDecode(raw));
    if (text.empty()) {
        *reason = "内容不能为空";
        return false;
    }
    if (target->failuresLeft > 0) {
        --target->failuresLeft;
        *reason = "您发贴太快了，请稍后再试";
        return false;
    }
    target->replies.push_back(text);
    replies_.push_back(Reply{*threadId, accounts_[account].setup.name, std::move(text), raw});
    return true;
}

std::optional<ForumState> SiteState::forumState(const std::string& account, const std::string& forum) const
{
    for (const Account& a : accounts_) {
        if (a.setup.name != account)
            continue;
        for (const Forum& f : a.forums) {
            if (f.setup.name == forum)
                return ForumState{a.setup.name,          f.setup.name,       f.setup.level,   f.setup.experience,
                                  f.setup.signedToday,   f.setup.liked,      f.setup.signable, f.failuresLeft,
                                  f.signRequests};
        }
    }
    return std::nullopt;
}

} // namespace tieba::forumsim
