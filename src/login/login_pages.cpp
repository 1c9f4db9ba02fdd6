#include "login/login_pages.h"

#include "core/encoding.h"
#include "web/text_helpers.h"

namespace tieba {

std::string homePageUrl(const Sites& sites)
{
    return sites.forumSite + "/";
}

std::string followedForumsUrl(const Sites& sites)
{
    return sites.forumSite + "/m?tn=bdFBW&tab=favorite";
}

std::string loggedInUserName(const std::string& homePage)
{
    return urlDecodeUtf8(textBetween(homePage, "un=", gb("\">&gt;&gt;我的i贴吧"), kBackwardCut));
}

std::string loginForm(const std::string& userName, const std::string& password)
{
    return "&login_username=" + urlEncodeUtf8(userName) + "&login_loginpass=" + password;
}

bool asksForCaptcha(const std::string& answer)
{
    return contains(answer, gb("验证码"));
}

std::string captchaPictureAddress(const std::string& answer)
{
    const std::string stretch = textBetween(answer, gb("请输入"), "alt=");
    return textBetween(stretch, "src=\"", "\"");
}

HiddenLoginFields hiddenLoginFields(const std::string& answer)
{
    auto field = [&](const char* name) {
        const std::string tag = textBetween(answer, std::string("name=\"") + name, "/>");
        return textBetween(tag, "value=\"", "\"");
    };
    return HiddenLoginFields{field("login_bdstoken"), field("login_bdtime"), field("login_bdverify")};
}

std::string verifiedLoginForm(const std::string& captchaCode, const HiddenLoginFields& fields,
                              const std::string& userName, const std::string& password,
                              const std::string& loginReturnHost)
{
    std::string form;
    auto add = [&form](const char* name, const std::string& value) {
        form += '&';
        form += name;
        form += '=';
        form += value;
    };
    add("login_verifycode", captchaCode);
    add("aaa", "%E6%8F%90%E4%BA%A4");
    add("login_bdverify", fields.bdverify);
    add("login_username", urlEncodeUtf8(userName));
    add("login_loginpass", password);
    add("login_bdstoken", fields.bdstoken);
    add("login_bdtime", fields.bdtime);
    add("login_is_wid", "0");
    add("login_wid", "");
    add("login", "vc");
    add("u", "http%3A%2F%2F" + loginReturnHost);
    add("bd_page_type", "");
    add("isphone", "");
    add("login_username_input", "");
    add("type", "");
    return form;
}

LoginAnswer classifyLoginAnswer(const std::string& answer)
{
    if (contains(answer, gb("看不清楚")))
        return LoginAnswer::CaptchaStillShown;
    if (contains(answer, gb("密码有误")))
        return LoginAnswer::WrongPassword;
    if (contains(answer, gb("用户名格式")) || contains(answer, gb("不存在")))
        return LoginAnswer::UnknownUser;
    return LoginAnswer::Other;
}

bool showsLoggedIn(const std::string& followedPage)
{
    return contains(followedPage, gb("发言记录"));
}

} // namespace tieba
