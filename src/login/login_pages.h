#pragma once
#include <string>

#include "core/sites.h"

namespace tieba {

// What the login steps send to the passport and read from its answers. Shared by the
// one-click run and the tool windows, which log in the same way.

std::string homePageUrl(const Sites& sites);
std::string followedForumsUrl(const Sites& sites);

// The user name the home page shows as logged in: the text behind the last "un=" before the
// last link to the user's own page, percent-decoded. Empty when the page shows none.
std::string loggedInUserName(const std::string& homePage);

// The plain login form: the name percent-encoded, the password as stored.
std::string loginForm(const std::string& userName, const std::string& password);

// The answer asks for a captcha.
bool asksForCaptcha(const std::string& answer);

// The address of the captcha picture in an answer that asks for one.
std::string captchaPictureAddress(const std::string& answer);

struct HiddenLoginFields {
    std::string bdstoken;
    std::string bdtime;
    std::string bdverify;
};
HiddenLoginFields hiddenLoginFields(const std::string& answer);

// The verified login form with the typed code, field for field.
std::string verifiedLoginForm(const std::string& captchaCode, const HiddenLoginFields& fields,
                              const std::string& userName, const std::string& password,
                              const std::string& loginReturnHost);

enum class LoginAnswer {
    CaptchaStillShown, // "看不清楚": the code was missing or wrong
    WrongPassword,     // "密码有误"
    UnknownUser,       // "用户名格式" or "不存在"
    Other,             // none of these: look at the followed-forum page
};
LoginAnswer classifyLoginAnswer(const std::string& answer);

// The followed-forum page shows a logged-in account.
bool showsLoggedIn(const std::string& followedPage);

} // namespace tieba
