#include "client_api.h"

#include <nlohmann/json.hpp>

#include <QByteArray>
#include <QCryptographicHash>

#include <algorithm>
#include <random>

#include "qr_image.h"
#include "router.h"

namespace tieba::forumsim {

namespace {

using nlohmann::json;

constexpr std::string_view kSignSecret = "tiebaclient!!!";
constexpr std::string_view kMalformedCode = "-1";

Answer jsonAnswer(const json& body)
{
    Answer a;
    a.body = body.dump();
    a.contentType = "application/json; charset=utf-8";
    return a;
}

Answer textAnswer(std::string body, const char* type = "text/html; charset=utf-8")
{
    Answer a;
    a.body = std::move(body);
    a.contentType = type;
    return a;
}

Answer clientError(std::string_view code, const std::string& message)
{
    return jsonAnswer(json{{"error_code", std::string(code)}, {"error_msg", message}});
}

// The decoded fields of a form or query, in the order they came.
FormFields decodedFields(std::string_view form)
{
    FormFields fields = parseForm(form);
    for (auto& [name, value] : fields) {
        name = percentDecode(name);
        value = percentDecode(value);
    }
    return fields;
}

std::string expectedSign(FormFields fields)
{
    std::erase_if(fields, [](const auto& f) { return f.first == "sign"; });
    std::stable_sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QByteArray text;
    for (const auto& [name, value] : fields)
        text += QByteArray::fromStdString(name + "=" + value);
    text += QByteArray::fromStdString(std::string(kSignSecret));
    return QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex().toUpper().toStdString();
}

long long wholeNumber(const std::string& text, long long fallback)
{
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return fallback;
    return std::stoll(text);
}

json forumEntry(const ClientState::Forum& f)
{
    return json{{"forum_id", f.setup.fid},
                {"forum_name", f.setup.name},
                {"is_sign", f.setup.signedToday ? 1 : 0},
                {"is_forbidden", f.setup.forbidden ? 1 : 0},
                {"level_id", std::to_string(f.setup.level)},
                {"cur_score", std::to_string(f.setup.experience)}};
}

} // namespace

ClientApi::ClientApi(const Scenario& scenario)
    : state_(scenario.tokenAccounts, scenario.seed ? *scenario.seed + 1 : std::random_device{}())
{
}

std::optional<Answer> ClientApi::route(const Incoming& request, const std::string& base)
{
    const std::string_view path = targetPath(request.target);
    const std::string_view query = targetQuery(request.target);
    if (request.method == "POST") {
        if (path == "/c/f/forum/forumGuide")
            return forumList(request, true);
        if (path == "/c/f/forum/like")
            return forumList(request, false);
        if (path == "/c/c/forum/sign")
            return sign(request);
        if (path == "/c/s/login")
            return login(request);
        return std::nullopt;
    }
    if (path == "/dc/common/tbs")
        return tbs(request);
    if (path == "/v2/api/getqrcode")
        return qrCode(base);
    if (path.starts_with("/qr/"))
        return qrPicture(path);
    if (path == "/channel/unicast")
        return qrPoll(query);
    if (path == "/v3/login/main/qrbdusslogin")
        return qrLogin(query, base);
    if (path.starts_with("/admin/"))
        return admin(path, query);
    return std::nullopt;
}

Answer ClientApi::tbs(const Incoming& request)
{
    ClientState::Account* account = state_.liveAccount(cookieValue(request.cookie, "BDUSS"));
    if (!account)
        return jsonAnswer(json{{"tbs", "0000000000000000000000"}, {"is_login", 0}});
    return jsonAnswer(json{{"tbs", account->tbs}, {"is_login", 1}});
}

ClientState::Account* ClientApi::checkedCall(const Incoming& request, const FormFields& fields,
                                             std::initializer_list<std::string_view> needed, long long notLoggedInCode,
                                             std::optional<Answer>& refusal)
{
    for (std::string_view name : {std::string_view("_client_type"), std::string_view("_client_version"),
                                  std::string_view("sign")}) {
        bool found = false;
        if (formValue(fields, name, &found).empty()) {
            refusal = clientError(kMalformedCode, "missing field " + std::string(name));
            return nullptr;
        }
    }
    for (std::string_view name : needed) {
        bool found = false;
        formValue(fields, name, &found);
        if (!found) {
            refusal = clientError(kMalformedCode, "missing field " + std::string(name));
            return nullptr;
        }
    }
    if (formValue(fields, "_client_type") != "2") {
        refusal = clientError(kMalformedCode, "unknown _client_type");
        return nullptr;
    }
    if (formValue(fields, "sign") != expectedSign(fields)) {
        refusal = clientError(kMalformedCode, "sign mismatch");
        return nullptr;
    }
    // The tokens come as fields, or as the cookies a browser would send.
    bool hasField = false;
    std::string bduss = formValue(fields, "BDUSS", &hasField);
    if (!hasField)
        bduss = cookieValue(request.cookie, "BDUSS");
    std::string stoken = formValue(fields, "stoken", &hasField);
    if (!hasField)
        stoken = cookieValue(request.cookie, "STOKEN");
    ClientState::Account* account = state_.liveAccount(bduss);
    if (!account || account->stoken != stoken) {
        refusal = clientError(std::to_string(notLoggedInCode), "用户未登录或登录已失效");
        return nullptr;
    }
    return account;
}

Answer ClientApi::forumList(const Incoming& request, bool guide)
{
    const FormFields fields = decodedFields(request.body);
    std::optional<Answer> refusal;
    ClientState::Account* account =
        guide ? checkedCall(request, fields, {"BDUSS", "stoken", "sort_type", "call_from", "page_no", "res_num", "tbs"},
                            110000, refusal)
              : checkedCall(request, fields, {"page_no", "page_size"}, 110000, refusal);
    if (!account)
        return std::move(*refusal);
    if (guide && request.subappType != "hybrid")
        return clientError(kMalformedCode, "missing header Subapp-Type: hybrid");
    if (guide && formValue(fields, "tbs") != account->tbs)
        return clientError("320022", "tbs check failed");

    const long long page = wholeNumber(formValue(fields, "page_no"), 0);
    const long long asked = wholeNumber(formValue(fields, guide ? "res_num" : "page_size"), 0);
    if (page < 1 || asked < 1)
        return clientError(kMalformedCode, "page_no and the page size must be positive numbers");
    const size_t size = static_cast<size_t>(std::min<long long>(asked, account->setup.pageSize));
    const size_t start = std::min(account->forums.size(), static_cast<size_t>(page - 1) * size);
    const size_t end = std::min(account->forums.size(), start + size);
    json list = json::array();
    for (size_t i = start; i < end; ++i)
        list.push_back(forumEntry(account->forums[i]));
    const bool more = account->setup.endlessList || end < account->forums.size();
    if (guide)
        return jsonAnswer(json{{"error_code", "0"}, {"like_forum", list}, {"like_forum_has_more", more}});
    return jsonAnswer(json{{"error_code", "0"}, {"forum_list", list}, {"has_more", more ? "1" : "0"}});
}

Answer ClientApi::sign(const Incoming& request)
{
    const FormFields fields = decodedFields(request.body);
    std::optional<Answer> refusal;
    ClientState::Account* account = checkedCall(request, fields, {"fid", "kw", "tbs"}, 1, refusal);
    if (!account)
        return std::move(*refusal);
    if (formValue(fields, "tbs") != account->tbs)
        return clientError("320022", "tbs check failed");
    ClientState::Forum* forum = state_.forum(*account, formValue(fields, "fid"));
    if (!forum || forum->setup.name != formValue(fields, "kw"))
        return clientError("340006", "贴吧目录出问题啦，请到贴吧签到吧反馈");
    if (account->setup.needVcodeAfter > 0 && account->signs >= account->setup.needVcodeAfter)
        return clientError("2150040", "need vcode");
    if (forum->setup.forbidden)
        return clientError("340006", "贴吧目录出问题啦，请到贴吧签到吧反馈");
    if (forum->setup.failCode != 0 && forum->failuresLeft != 0) {
        if (forum->failuresLeft > 0)
            --forum->failuresLeft;
        return clientError(std::to_string(forum->setup.failCode),
                           forum->setup.failMessage.empty() ? "sign failed" : forum->setup.failMessage);
    }
    if (forum->setup.signedToday)
        return clientError("160002", "亲，你之前已经签过了");
    forum->setup.signedToday = true;
    forum->setup.experience += forum->setup.gain;
    ++forum->signedCount;
    ++account->signs;
    return jsonAnswer(json{{"error_code", "0"},
                           {"error_msg", ""},
                           {"user_info",
                            {{"sign_bonus_point", std::to_string(forum->setup.gain)},
                             {"user_sign_rank", std::to_string(forum->signedCount)},
                             {"cont_sign_num", "1"}}}});
}

Answer ClientApi::login(const Incoming& request)
{
    const FormFields fields = decodedFields(request.body);
    std::optional<Answer> refusal;
    // The session is named by bdusstoken = BDUSS + "|null"; the token fields are checked as well.
    ClientState::Account* account = checkedCall(request, fields, {"bdusstoken"}, 1, refusal);
    if (!account)
        return std::move(*refusal);
    if (formValue(fields, "bdusstoken") != account->bduss + "|null")
        return clientError("1", "用户未登录或登录已失效");
    return jsonAnswer(json{{"error_code", "0"},
                           {"user", {{"name", account->setup.name}}},
                           {"anti", {{"tbs", account->tbs}}}});
}

Answer ClientApi::qrCode(const std::string& base)
{
    const std::string channel = state_.newQrChannel();
    return jsonAnswer(json{{"errno", 0}, {"imgurl", base + "/qr/" + channel + ".png"}, {"sign", channel}});
}

Answer ClientApi::qrPicture(std::string_view path)
{
    std::string_view id = path.substr(std::string_view("/qr/").size());
    if (id.ends_with(".png"))
        id.remove_suffix(4);
    if (!state_.qrChannel(std::string(id))) {
        Answer missing = textAnswer("<html><body>404</body></html>");
        missing.status = 404;
        return missing;
    }
    return textAnswer(qrPicturePng(std::string(id)), "image/png");
}

Answer ClientApi::qrPoll(std::string_view query)
{
    const FormFields fields = decodedFields(query);
    const std::string callback = formValue(fields, "callback");
    for (std::string_view name : {"channel_id", "callback", "tpl", "apiver"}) {
        if (formValue(fields, name).empty())
            return textAnswer("{\"errno\":-1,\"msg\":\"missing " + std::string(name) + "\"}", "text/javascript");
    }
    const std::string channelId = formValue(fields, "channel_id");
    const ClientState::QrChannel* channel = state_.qrChannel(channelId);
    json body{{"errno", 1}, {"channel_id", channelId}};
    if (channel && channel->state == ClientState::QrState::Scanned) {
        body["errno"] = 0;
        body["channel_v"] = json{{"status", 1}}.dump();
    } else if (channel && channel->state == ClientState::QrState::Confirmed) {
        body["errno"] = 0;
        body["channel_v"] = json{{"status", 0}, {"v", channel->temporaryToken}}.dump();
    }
    return textAnswer(callback + "(" + body.dump() + ")", "text/javascript; charset=utf-8");
}

Answer ClientApi::qrLogin(std::string_view query, const std::string& base)
{
    const ClientState::Account* account = state_.redeem(formValue(decodedFields(query), "bduss"));
    if (!account)
        return textAnswer("{'errInfo':{'no':'1','msg':'expired'},'data':{}}");
    // Written the passport's way: single quotes, and "&" escaped as "\&".
    std::string text = "{'errInfo':{'no':'0'},'data':{'session':{'bduss':'" + account->bduss +
                       "','stoken_list':['pp#" + account->stoken.substr(0, 16) + "','tb#" + account->stoken +
                       "']},'user':{'username':'" + account->setup.name + "'},'u':'" + base +
                       "/?from=qr\\&tpl=mn'}}";
    return textAnswer(std::move(text));
}

Answer ClientApi::admin(std::string_view path, std::string_view query)
{
    const FormFields fields = decodedFields(query);
    bool done = false;
    if (path == "/admin/qr/scan")
        done = state_.scan(formValue(fields, "channel"));
    else if (path == "/admin/qr/confirm")
        done = state_.confirm(formValue(fields, "channel"), formValue(fields, "account"));
    else if (path == "/admin/client/expire")
        done = state_.expire(formValue(fields, "account"));
    Answer answer = textAnswer(done ? "ok" : "refused", "text/plain; charset=utf-8");
    answer.status = done ? 200 : 409;
    return answer;
}

} // namespace tieba::forumsim
