#include "client/client_answers.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "client/answer_text.h"
#include "client/json_reading.h"

namespace tieba::client {

namespace {

QJsonObject child(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toObject();
}

Parsed<ServiceStatus> serviceStatus(const QJsonObject& object)
{
    const Parsed<long long> code = errorCodeField(object);
    if (!code)
        return code.error();
    return ServiceStatus{code.value(), textField(object, "error_msg").value_or(std::string())};
}

std::optional<FollowedForum> followedForum(const QJsonValue& entry)
{
    if (!entry.isObject())
        return std::nullopt;
    const QJsonObject object = entry.toObject();
    const std::optional<long long> id = wholeNumber(object.value(QLatin1String("forum_id")));
    const std::optional<std::string> name = textField(object, "forum_name");
    if (!id || *id <= 0 || !name || name->empty())
        return std::nullopt;
    return FollowedForum{std::to_string(*id),
                         *name,
                         flagField(object, "is_sign"),
                         flagField(object, "is_forbidden"),
                         countField(object, "level_id"),
                         countField(object, "cur_score")};
}

Parsed<ForumListPage> forumListPage(std::string_view answer, const char* listKey, const char* moreKey)
{
    const Parsed<QJsonObject> object = jsonObject(answer);
    if (!object)
        return object.error();
    const Parsed<ServiceStatus> status = serviceStatus(object.value());
    if (!status)
        return status.error();
    ForumListPage page;
    page.status = status.value();
    const QJsonValue list = object->value(QLatin1String(listKey));
    if (page.status.errorCode != 0)
        return page;
    if (list.isUndefined() || list.isNull())
        return AnswerError{AnswerFault::MissingField, listKey};
    if (!list.isArray())
        return AnswerError{AnswerFault::WrongType, listKey};
    const QJsonArray entries = list.toArray();
    page.forums.reserve(static_cast<size_t>(entries.size()));
    for (const QJsonValue& entry : entries) {
        if (std::optional<FollowedForum> forum = followedForum(entry))
            page.forums.push_back(std::move(*forum));
        else
            ++page.unusableEntries;
    }
    page.hasMore = flagField(object.value(), moreKey);
    return page;
}

} // namespace

Parsed<TbsAnswer> parseTbsAnswer(std::string_view answer)
{
    const Parsed<QJsonObject> object = jsonObject(answer);
    if (!object)
        return object.error();
    const QJsonValue isLogin = object->value(QLatin1String("is_login"));
    if (isLogin.isUndefined())
        return AnswerError{AnswerFault::MissingField, "is_login"};
    TbsAnswer tbs{textField(object.value(), "tbs").value_or(std::string()), flagField(object.value(), "is_login")};
    if (tbs.loggedIn && tbs.tbs.empty())
        return AnswerError{AnswerFault::MissingField, "tbs"};
    return tbs;
}

Parsed<ForumListPage> parseForumGuidePage(std::string_view answer)
{
    return forumListPage(answer, "like_forum", "like_forum_has_more");
}

Parsed<ForumListPage> parseForumLikePage(std::string_view answer)
{
    return forumListPage(answer, "forum_list", "has_more");
}

Parsed<SignAnswer> parseSignAnswer(std::string_view answer)
{
    const Parsed<QJsonObject> object = jsonObject(answer);
    if (!object)
        return object.error();
    if (!object->contains(QLatin1String("error_code")))
        return AnswerError{AnswerFault::MissingField, "error_code"};
    const Parsed<ServiceStatus> status = serviceStatus(object.value());
    if (!status)
        return status.error();
    const QJsonObject user = child(object.value(), "user_info");
    return SignAnswer{status.value(), countField(user, "sign_bonus_point"), countField(user, "user_sign_rank"),
                      countField(user, "cont_sign_num")};
}

Parsed<LoginAnswer> parseLoginAnswer(std::string_view answer)
{
    const Parsed<QJsonObject> object = jsonObject(answer);
    if (!object)
        return object.error();
    const Parsed<ServiceStatus> status = serviceStatus(object.value());
    if (!status)
        return status.error();
    LoginAnswer login{status.value(), textField(child(object.value(), "user"), "name").value_or(std::string()),
                      textField(child(object.value(), "anti"), "tbs").value_or(std::string())};
    if (login.status.errorCode == 0 && login.userName.empty())
        return AnswerError{AnswerFault::MissingField, "user.name"};
    return login;
}

Parsed<QrCode> parseQrCode(std::string_view answer)
{
    const Parsed<QJsonObject> object = jsonObject(answer);
    if (!object)
        return object.error();
    QrCode code{textField(object.value(), "imgurl").value_or(std::string()),
                textField(object.value(), "sign").value_or(std::string())};
    if (code.imageUrl.empty())
        return AnswerError{AnswerFault::MissingField, "imgurl"};
    if (code.channel.empty())
        return AnswerError{AnswerFault::MissingField, "sign"};
    if (code.imageUrl.find("://") == std::string::npos) {
        while (!code.imageUrl.empty() && code.imageUrl.front() == '/')
            code.imageUrl.erase(0, 1);
        code.imageUrl = "https://" + code.imageUrl;
    }
    return code;
}

Parsed<QrPoll> parseQrPoll(std::string_view answer, std::string_view callback)
{
    const Parsed<std::string> json = unwrapJsonp(answer, callback);
    if (!json)
        return json.error();
    const Parsed<QJsonObject> object = jsonObject(json.value());
    if (!object)
        return object.error();
    const Parsed<long long> errorNumber = errorCodeField(object.value(), "errno");
    if (!errorNumber)
        return errorNumber.error();
    QrPoll poll;
    if (errorNumber.value() != 0)
        return poll;
    // channel_v is itself JSON, written as a text.
    const std::optional<std::string> channelText = textField(object.value(), "channel_v");
    if (!channelText)
        return poll;
    const Parsed<QJsonObject> channel = jsonObject(*channelText);
    if (!channel)
        return AnswerError{channel.error().fault, "channel_v"};
    poll.status = countField(channel.value(), "status");
    poll.temporaryToken = textField(channel.value(), "v").value_or(std::string());
    poll.state = poll.temporaryToken.empty() ? QrPoll::State::Scanned : QrPoll::State::Confirmed;
    return poll;
}

Parsed<QrLogin> parseQrLogin(std::string_view answer)
{
    const Parsed<QJsonObject> object = jsonObject(passportJsonText(answer));
    if (!object)
        return object.error();
    const QJsonObject data = child(object.value(), "data");
    const QJsonObject session = child(data, "session");
    QrLogin login;
    login.bduss = textField(session, "bduss").value_or(std::string());
    if (login.bduss.empty())
        return AnswerError{AnswerFault::MissingField, "data.session.bduss"};

    // stoken_list is a list of "host#token" entries, sent as a list or as a text holding one.
    QJsonValue list = session.value(QLatin1String("stoken_list"));
    if (list.isString())
        list = QJsonDocument::fromJson(list.toString().toUtf8()).array();
    for (const QJsonValue& entry : list.toArray()) {
        const QString text = entry.toString();
        if (text.startsWith(QLatin1String("tb#"))) {
            login.stoken = text.mid(3).toStdString();
            break;
        }
    }
    if (login.stoken.empty())
        return AnswerError{AnswerFault::MissingField, "data.session.stoken_list tb#"};

    // The user's name: data.user as a text, or one of the name fields of data.user.
    const QJsonValue user = data.value(QLatin1String("user"));
    if (user.isString()) {
        login.userName = user.toString().toStdString();
    } else {
        for (const char* key : {"username", "displayname", "name"}) {
            login.userName = textField(user.toObject(), key).value_or(std::string());
            if (!login.userName.empty())
                break;
        }
    }
    if (login.userName.empty())
        return AnswerError{AnswerFault::MissingField, "data.user"};
    return login;
}

} // namespace tieba::client
