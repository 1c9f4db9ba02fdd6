#include <gtest/gtest.h>

#include "core/encoding.h"
#include "login/login_pages.h"

namespace tieba {
namespace {

TEST(LoginPages, LoggedInNameIsTheLastBeforeTheOwnPageLink)
{
    const std::string page = gb("<a href=\"/f?un=other\">x</a><a href=\"/i?un=%E5%BC%A0%E4%B8%89\">&gt;&gt;我的i贴吧</a>"
                                "<a href=\"/x?un=tail\">y</a>");
    EXPECT_EQ(loggedInUserName(page), gb("张三"));
    EXPECT_EQ(loggedInUserName(gb("<p>请登录</p>")), "");
    EXPECT_EQ(loggedInUserName(""), "");
}

TEST(LoginPages, PlainFormEncodesTheNameButNotThePassword)
{
    EXPECT_EQ(loginForm(gb("张 三"), "a&b=c%+"), "&login_username=%E5%BC%A0+%E4%B8%89&login_loginpass=a&b=c%+");
}

TEST(LoginPages, CaptchaAnswerYieldsPictureAndHiddenFields)
{
    const std::string answer =
        gb("<p>请输入验证码<img src=\"http://127.0.0.1/captcha/7.png\" alt=\"验证码\"/></p>"
           "<input type=\"hidden\" name=\"login_bdverify\" value=\"V1\"/>"
           "<input type=\"hidden\" name=\"login_bdstoken\" value=\"T2\"/>"
           "<input type=\"hidden\" name=\"login_bdtime\" value=\"123\"/>");
    EXPECT_TRUE(asksForCaptcha(answer));
    EXPECT_EQ(captchaPictureAddress(answer), "http://127.0.0.1/captcha/7.png");
    const HiddenLoginFields fields = hiddenLoginFields(answer);
    EXPECT_EQ(fields.bdverify, "V1");
    EXPECT_EQ(fields.bdstoken, "T2");
    EXPECT_EQ(fields.bdtime, "123");
}

TEST(LoginPages, VerifiedFormHasItsFifteenFieldsInOrder)
{
    const std::string form =
        verifiedLoginForm("ab12", HiddenLoginFields{"T", "99", "V"}, gb("张三"), "p&w", "wapp.example.com");
    EXPECT_EQ(form, "&login_verifycode=ab12&aaa=%E6%8F%90%E4%BA%A4&login_bdverify=V"
                    "&login_username=%E5%BC%A0%E4%B8%89&login_loginpass=p&w&login_bdstoken=T&login_bdtime=99"
                    "&login_is_wid=0&login_wid=&login=vc&u=http%3A%2F%2Fwapp.example.com&bd_page_type="
                    "&isphone=&login_username_input=&type=");
}

TEST(LoginPages, AnswersAreClassifiedByTheirFirstMarker)
{
    struct Case {
        const char* page;
        LoginAnswer expected;
    };
    const Case cases[] = {
        {"验证码 看不清楚 密码有误", LoginAnswer::CaptchaStillShown},
        {"密码有误 不存在", LoginAnswer::WrongPassword},
        {"用户名格式不对", LoginAnswer::UnknownUser},
        {"用户不存在", LoginAnswer::UnknownUser},
        {"欢迎", LoginAnswer::Other},
        {"", LoginAnswer::Other},
    };
    for (const Case& c : cases)
        EXPECT_EQ(classifyLoginAnswer(gb(c.page)), c.expected) << c.page;
    EXPECT_TRUE(showsLoggedIn(gb("..发言记录..")));
    EXPECT_FALSE(showsLoggedIn(""));
}

} // namespace
} // namespace tieba
