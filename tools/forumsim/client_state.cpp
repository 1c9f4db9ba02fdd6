#include "client_state.h"

namespace tieba::forumsim {

namespace {

constexpr long long kFirstForumId = 1000;

} // namespace

ClientState::ClientState(const std::vector<TokenAccountSpec>& accounts, unsigned seed) : random_(seed)
{
    long long nextFid = kFirstForumId;
    for (const TokenAccountSpec& given : accounts) {
        Account a;
        a.setup = given;
        a.bduss = given.bduss.empty() ? randomHex(64) + "-" + randomHex(32) + "~" + randomHex(16) : given.bduss;
        a.stoken = given.stoken.empty() ? randomHex(64) : given.stoken;
        a.tbs = randomHex(26);
        a.live = !given.expired;
        std::vector<TokenForumSpec> forums = given.forums;
        for (int i = 1; i <= given.extraForums; ++i)
            forums.push_back(TokenForumSpec{"测试吧" + std::to_string(i), 0, 1 + i % 12, i * 7, false, false, 0, -1, {}, 6});
        for (TokenForumSpec& f : forums) {
            if (f.fid == 0)
                f.fid = nextFid++;
            Forum forum;
            forum.setup = f;
            forum.failuresLeft = f.failTimes;
            forum.signedCount = f.signedToday ? 1 : 0;
            a.forums.push_back(std::move(forum));
        }
        accounts_.push_back(std::move(a));
    }
}

std::string ClientState::randomHex(int digits)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (int i = 0; i < digits; ++i)
        out += kDigits[random_() % 16];
    return out;
}

ClientState::Account* ClientState::account(const std::string& bduss)
{
    for (Account& a : accounts_) {
        if (!bduss.empty() && a.bduss == bduss)
            return &a;
    }
    return nullptr;
}

ClientState::Account* ClientState::liveAccount(const std::string& bduss)
{
    Account* a = account(bduss);
    return a && a->live ? a : nullptr;
}

ClientState::Account* ClientState::accountNamed(const std::string& name)
{
    for (Account& a : accounts_) {
        if (a.setup.name == name)
            return &a;
    }
    return nullptr;
}

ClientState::Forum* ClientState::forum(Account& account, const std::string& fid)
{
    for (Forum& f : account.forums) {
        if (std::to_string(f.setup.fid) == fid)
            return &f;
    }
    return nullptr;
}

void ClientState::turnDay()
{
    for (Account& a : accounts_) {
        for (Forum& f : a.forums) {
            f.setup.signedToday = false;
            f.signedCount = 0;
        }
    }
}

bool ClientState::expire(const std::string& name)
{
    Account* a = accountNamed(name);
    if (a)
        a->live = false;
    return a != nullptr;
}

std::string ClientState::newQrChannel()
{
    const std::string id = randomHex(32);
    channels_[id] = QrChannel{};
    return id;
}

ClientState::QrChannel* ClientState::qrChannel(const std::string& id)
{
    const auto it = channels_.find(id);
    return it == channels_.end() ? nullptr : &it->second;
}

bool ClientState::scan(const std::string& channel)
{
    QrChannel* c = qrChannel(channel);
    if (!c || c->state != QrState::Waiting)
        return false;
    c->state = QrState::Scanned;
    return true;
}

bool ClientState::confirm(const std::string& channel, const std::string& name)
{
    QrChannel* c = qrChannel(channel);
    if (!c || c->state != QrState::Scanned)
        return false;
    for (size_t i = 0; i < accounts_.size(); ++i) {
        const TokenAccountSpec& given = accounts_[i].setup;
        if (name.empty() ? given.qr : given.name == name) {
            c->state = QrState::Confirmed;
            c->account = static_cast<int>(i);
            c->temporaryToken = randomHex(40);
            temporaryTokens_[c->temporaryToken] = c->account;
            return true;
        }
    }
    return false;
}

ClientState::Account* ClientState::redeem(const std::string& temporaryToken)
{
    const auto it = temporaryTokens_.find(temporaryToken);
    if (it == temporaryTokens_.end())
        return nullptr;
    Account& a = accounts_[static_cast<size_t>(it->second)];
    temporaryTokens_.erase(it);
    a.live = true; // a new login brings the session back
    return &a;
}

} // namespace tieba::forumsim
