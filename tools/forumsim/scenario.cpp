#include "scenario.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <initializer_list>
#include <sstream>
#include <stdexcept>

namespace tieba::forumsim {

namespace {

using nlohmann::json;

[[noreturn]] void fail(const std::string& where, const std::string& what)
{
    throw std::runtime_error("scenario: " + where + ": " + what);
}

// Rejects keys the format does not know, so that a misspelt key is not silently ignored.
// Keys beginning with "_" are comments.
void checkKeys(const json& object, const std::string& where, std::initializer_list<const char*> known)
{
    if (!object.is_object())
        fail(where, "expected an object");
    for (const auto& [key, value] : object.items()) {
        if (!key.empty() && key.front() == '_')
            continue;
        bool found = false;
        for (const char* k : known)
            found = found || key == k;
        if (!found)
            fail(where, "unknown key \"" + key + "\"");
    }
}

template <typename T>
void read(const json& object, const char* key, T& target, const std::string& where)
{
    const auto it = object.find(key);
    if (it == object.end())
        return;
    try {
        target = it->template get<T>();
    } catch (const json::exception&) {
        fail(where + "." + key, "wrong type");
    }
}

// Thread ids may be written as numbers or texts.
std::string idText(const json& value, const std::string& where)
{
    if (value.is_string())
        return value.get<std::string>();
    if (value.is_number_integer())
        return std::to_string(value.get<long long>());
    fail(where, "expected a number or a text");
}

ForumSpec forumFromJson(const json& j, const std::string& where)
{
    checkKeys(j, where, {"name", "level", "experience", "signed", "liked", "signable", "failFirst", "gain"});
    ForumSpec f;
    read(j, "name", f.name, where);
    if (f.name.empty())
        fail(where, "a forum needs a name");
    read(j, "level", f.level, where);
    read(j, "experience", f.experience, where);
    read(j, "signed", f.signedToday, where);
    read(j, "liked", f.liked, where);
    read(j, "signable", f.signable, where);
    read(j, "failFirst", f.failFirst, where);
    read(j, "gain", f.gain, where);
    return f;
}

CaptchaRule captchaRule(const std::string& text, const std::string& where)
{
    if (text == "none")
        return CaptchaRule::Never;
    if (text == "first")
        return CaptchaRule::FirstLogin;
    if (text == "always")
        return CaptchaRule::Always;
    fail(where, "captcha must be none, first or always");
}

AccountSpec accountFromJson(const json& j, const std::string& where)
{
    checkKeys(j, where, {"name", "password", "captcha", "session", "forums"});
    AccountSpec a;
    read(j, "name", a.name, where);
    if (a.name.empty())
        fail(where, "an account needs a name");
    read(j, "password", a.password, where);
    std::string captcha = "none";
    read(j, "captcha", captcha, where);
    a.captcha = captchaRule(captcha, where + ".captcha");
    read(j, "session", a.presetSession, where);
    if (const auto it = j.find("forums"); it != j.end()) {
        if (!it->is_array())
            fail(where + ".forums", "expected an array");
        for (size_t i = 0; i < it->size(); ++i)
            a.forums.push_back(forumFromJson((*it)[i], where + ".forums[" + std::to_string(i) + "]"));
    }
    return a;
}

ThreadSpec threadFromJson(const json& j, const std::string& where)
{
    checkKeys(j, where, {"id", "title", "forum", "replyForm", "replyFailFirst"});
    ThreadSpec t;
    if (!j.contains("id"))
        fail(where, "a thread needs an id");
    t.id = idText(j["id"], where + ".id");
    read(j, "title", t.title, where);
    read(j, "forum", t.forum, where);
    read(j, "replyForm", t.replyForm, where);
    read(j, "replyFailFirst", t.replyFailFirst, where);
    return t;
}

FaultKind faultKind(const std::string& text, const std::string& where)
{
    static const std::pair<const char*, FaultKind> kinds[] = {
        {"status", FaultKind::Status},
        {"redirectLoop", FaultKind::RedirectLoop},
        {"stall", FaultKind::Stall},
        {"resetMidBody", FaultKind::ResetMidBody},
        {"bigBody", FaultKind::BigBody},
        {"invalidBytes", FaultKind::InvalidBytes},
        {"cookieWithoutSemicolon", FaultKind::CookieWithoutSemicolon},
        {"emptyBody", FaultKind::EmptyBody},
    };
    for (const auto& [name, kind] : kinds) {
        if (text == name)
            return kind;
    }
    fail(where, "unknown fault kind \"" + text + "\"");
}

Fault faultFromJson(const json& j, const std::string& where)
{
    checkKeys(j, where, {"target", "kind", "times", "status", "body", "ms", "megabytes"});
    Fault f;
    read(j, "target", f.targetPrefix, where);
    std::string kind = "status";
    read(j, "kind", kind, where);
    f.kind = faultKind(kind, where + ".kind");
    read(j, "times", f.times, where);
    read(j, "status", f.status, where);
    read(j, "body", f.body, where);
    read(j, "ms", f.milliseconds, where);
    read(j, "megabytes", f.megabytes, where);
    return f;
}

TokenForumSpec tokenForumFromJson(const json& j, const std::string& where)
{
    checkKeys(j, where,
              {"name", "fid", "level", "experience", "signed", "forbidden", "failCode", "failTimes", "failMessage", "gain"});
    TokenForumSpec f;
    read(j, "name", f.name, where);
    if (f.name.empty())
        fail(where, "a forum needs a name");
    read(j, "fid", f.fid, where);
    read(j, "level", f.level, where);
    read(j, "experience", f.experience, where);
    read(j, "signed", f.signedToday, where);
    read(j, "forbidden", f.forbidden, where);
    read(j, "failCode", f.failCode, where);
    read(j, "failTimes", f.failTimes, where);
    read(j, "failMessage", f.failMessage, where);
    read(j, "gain", f.gain, where);
    return f;
}

TokenAccountSpec tokenAccountFromJson(const json& j, const std::string& where)
{
    checkKeys(j, where,
              {"name", "bduss", "stoken", "expired", "qr", "needVcodeAfter", "pageSize", "extraForums", "endlessList",
               "forums"});
    TokenAccountSpec a;
    read(j, "name", a.name, where);
    if (a.name.empty())
        fail(where, "an account needs a name");
    read(j, "bduss", a.bduss, where);
    read(j, "stoken", a.stoken, where);
    read(j, "expired", a.expired, where);
    read(j, "qr", a.qr, where);
    read(j, "needVcodeAfter", a.needVcodeAfter, where);
    read(j, "pageSize", a.pageSize, where);
    if (a.pageSize < 1)
        fail(where + ".pageSize", "must be at least 1");
    read(j, "extraForums", a.extraForums, where);
    read(j, "endlessList", a.endlessList, where);
    if (const auto it = j.find("forums"); it != j.end()) {
        if (!it->is_array())
            fail(where + ".forums", "expected an array");
        for (size_t i = 0; i < it->size(); ++i)
            a.forums.push_back(tokenForumFromJson((*it)[i], where + ".forums[" + std::to_string(i) + "]"));
    }
    return a;
}

template <typename T, typename Parse>
void readArray(const json& root, const char* key, std::vector<T>& out, Parse parse)
{
    const auto it = root.find(key);
    if (it == root.end())
        return;
    if (!it->is_array())
        fail(key, "expected an array");
    for (size_t i = 0; i < it->size(); ++i)
        out.push_back(parse((*it)[i], std::string(key) + "[" + std::to_string(i) + "]"));
}

} // namespace

Scenario scenarioFromJson(const std::string& text)
{
    json root;
    try {
        root = json::parse(text);
    } catch (const json::parse_error& e) {
        fail("JSON", e.what());
    }
    checkKeys(root, "top level",
              {"encoding", "accounts", "threads", "notice", "faults", "turnDayAfterForumPages", "captchaCodes",
               "cookieDomain", "seed", "tokenAccounts"});
    Scenario s;
    std::string encoding = "utf-8";
    read(root, "encoding", encoding, "top level");
    if (encoding == "utf-8")
        s.encoding = PageEncoding::Utf8;
    else if (encoding == "gbk")
        s.encoding = PageEncoding::Gbk;
    else
        fail("encoding", "must be utf-8 or gbk");
    readArray(root, "accounts", s.accounts, accountFromJson);
    readArray(root, "threads", s.threads, threadFromJson);
    readArray(root, "faults", s.faults, faultFromJson);
    readArray(root, "tokenAccounts", s.tokenAccounts, tokenAccountFromJson);
    read(root, "notice", s.notice, "top level");
    read(root, "turnDayAfterForumPages", s.turnDayAfterForumPages, "top level");
    read(root, "captchaCodes", s.captchaCodes, "top level");
    read(root, "cookieDomain", s.cookieDomain, "top level");
    if (root.contains("seed")) {
        unsigned seed = 0;
        read(root, "seed", seed, "top level");
        s.seed = seed;
    }
    return s;
}

Scenario scenarioFromFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("scenario: cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return scenarioFromJson(text.str());
}

} // namespace tieba::forumsim
