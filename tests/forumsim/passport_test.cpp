// The passport: plain and verified logins, refusals, captcha challenges and their pictures.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>

#include "sim_client.h"
#include "text_codec.h"

namespace tieba::forumsim::test {
namespace {

const char* const kLoginMarkers[] = {"验证码", "看不清楚", "密码有误", "用户名格式", "不存在"};

std::string plainLogin(const std::string& name, const std::string& password)
{
    return "&login_username=" + percentEncode(name) + "&login_loginpass=" + password;
}

struct Hidden {
    std::string verify, token, time;
};

Hidden hiddenFields(const std::string& page)
{
    auto field = [&](const std::string& name) {
        return cutForward(cutForward(page, "name=\"" + name, "/>"), "value=\"", "\"");
    };
    return Hidden{field("login_bdverify"), field("login_bdstoken"), field("login_bdtime")};
}

std::string verifiedLogin(const std::string& code, const Hidden& h, const std::string& name,
                          const std::string& password)
{
    return "&login_verifycode=" + code + "&aaa=%E6%8F%90%E4%BA%A4&login_bdverify=" + h.verify +
           "&login_username=" + percentEncode(name) + "&login_loginpass=" + password +
           "&login_bdstoken=" + h.token + "&login_bdtime=" + h.time +
           "&login_is_wid=0&login_wid=&login=vc&u=http%3A%2F%2F127.0.0.1&bd_page_type=&isphone="
           "&login_username_input=&type=";
}

std::string pictureAddress(const std::string& page)
{
    return cutForward(cutForward(page, "请输入", "alt="), "src=\"", "\"");
}

bool setsSession(const httplib::Result& r)
{
    for (size_t i = 0; i < r->get_header_value_count("Set-Cookie"); ++i) {
        if (r->get_header_value("Set-Cookie", i).starts_with("BDUSS="))
            return true;
    }
    return false;
}

TEST(Passport, PlainLoginGivesASessionThatEveryPageRecognises)
{
    Scenario s = smallScenario();
    s.accounts[0].name = "张三";
    s.accounts[0].password = "a+b%41=x"; // sent raw, as the program sends passwords
    ForumSim sim(s);
    SimClient client(sim);

    auto home = client.get("/");
    EXPECT_FALSE(contains(home->body, "我的i贴吧"));
    EXPECT_FALSE(contains(client.get("/m?tn=bdFBW&tab=favorite")->body, "发言记录"));

    auto answer = client.post("/passport/", plainLogin("张三", "a+b%41=x"));
    ASSERT_TRUE(answer);
    for (const char* marker : kLoginMarkers)
        EXPECT_FALSE(contains(answer->body, marker)) << marker;

    bool session = false;
    bool userRs = false;
    for (size_t i = 0; i < answer->get_header_value_count("Set-Cookie"); ++i) {
        const std::string line = answer->get_header_value("Set-Cookie", i);
        const std::string name = line.substr(0, line.find('='));
        EXPECT_NE(line.find(';'), std::string::npos) << line;
        session = session || (name == "BDUSS" && line.find(';') > 6);
        userRs = userRs || contains(name, "USER_RS");
    }
    EXPECT_TRUE(session);
    EXPECT_TRUE(userRs);

    home = client.get("/");
    const std::string shown = cutBackward(home->body, "un=", "\">&gt;&gt;我的i贴吧");
    EXPECT_EQ(shown, "%E5%BC%A0%E4%B8%89"); // always UTF-8, whatever the page encoding
    EXPECT_EQ(percentDecode(shown), "张三");
    EXPECT_TRUE(contains(client.get("/m?tn=bdFBW&tab=favorite")->body, "发言记录"));

    sim.dropSessions();
    EXPECT_FALSE(contains(client.get("/")->body, "我的i贴吧"));
}

struct Refusal {
    const char* what;
    std::string body;
    const char* marker;
};

class PassportRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(PassportRefusal, AnswersWithItsMarkerAndNoSession)
{
    Scenario s = smallScenario();
    AccountSpec amp;
    amp.name = "amp";
    amp.password = "p&w";
    s.accounts.push_back(amp);
    ForumSim sim(s);
    SimClient client(sim);

    auto answer = client.post("/passport/", GetParam().body);
    ASSERT_TRUE(answer);
    EXPECT_TRUE(contains(answer->body, GetParam().marker)) << answer->body;
    EXPECT_FALSE(setsSession(answer));
    EXPECT_FALSE(contains(answer->body, "验证码"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, PassportRefusal,
    testing::Values(Refusal{"unknown user", "&login_username=bob&login_loginpass=pw1", "不存在"},
                    Refusal{"wrong password", "&login_username=alice&login_loginpass=pw2", "密码有误"},
                    Refusal{"empty name", "&login_username=&login_loginpass=pw1", "用户名格式"},
                    // The raw "&" ends the password field, as on the real service.
                    Refusal{"ampersand in password", "&login_username=amp&login_loginpass=p&w", "密码有误"}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& c : name)
            c = c == ' ' ? '_' : c;
        return name;
    });

struct CaptchaCase {
    CaptchaRule rule;
    bool asksAgainAfterSuccess;
};

class PassportCaptcha : public testing::TestWithParam<CaptchaCase> {};

TEST_P(PassportCaptcha, ChallengeWrongCodeRightCode)
{
    Scenario s = smallScenario();
    s.accounts[0].captcha = GetParam().rule;
    ForumSim sim(s);
    SimClient client(sim);

    auto first = client.post("/passport/", plainLogin("alice", "pw1"));
    ASSERT_TRUE(first);
    EXPECT_TRUE(contains(first->body, "验证码"));
    EXPECT_FALSE(contains(first->body, "看不清楚"));
    EXPECT_FALSE(setsSession(first));
    const Hidden challenge = hiddenFields(first->body);
    EXPECT_FALSE(challenge.verify.empty());
    EXPECT_FALSE(challenge.token.empty());
    EXPECT_FALSE(challenge.time.empty());
    const std::string picture = pictureAddress(first->body);
    EXPECT_EQ(picture, sim.baseUrl() + "/captcha/" + challenge.verify + ".png");

    const auto code = sim.captchaCode(challenge.verify);
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, sim.lastCaptchaCode());
    std::string wrong = *code;
    wrong[0] = wrong[0] == 'A' ? 'B' : 'A';

    auto refused = client.post("/passport/", verifiedLogin(wrong, challenge, "alice", "pw1"));
    EXPECT_TRUE(contains(refused->body, "看不清楚"));
    EXPECT_TRUE(contains(refused->body, "验证码"));
    EXPECT_FALSE(setsSession(refused));
    const Hidden second = hiddenFields(refused->body);
    EXPECT_NE(second.verify, challenge.verify);

    // A challenge answers once: its right code is refused after it was used.
    auto replay = client.post("/passport/", verifiedLogin(*code, challenge, "alice", "pw1"));
    EXPECT_TRUE(contains(replay->body, "看不清楚"));

    const Hidden third = hiddenFields(replay->body);
    std::string typed = *sim.captchaCode(third.verify);
    for (char& c : typed)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c))); // codes ignore case
    auto accepted = client.post("/passport/", verifiedLogin(typed, third, "alice", "pw1"));
    EXPECT_TRUE(setsSession(accepted));
    for (const char* marker : kLoginMarkers)
        EXPECT_FALSE(contains(accepted->body, marker)) << marker;
    EXPECT_TRUE(contains(client.get("/m?tn=bdFBW&tab=favorite")->body, "发言记录"));

    auto again = client.post("/passport/", plainLogin("alice", "pw1"));
    EXPECT_EQ(contains(again->body, "验证码"), GetParam().asksAgainAfterSuccess);
    EXPECT_EQ(setsSession(again), !GetParam().asksAgainAfterSuccess);
}

INSTANTIATE_TEST_SUITE_P(Rules, PassportCaptcha,
                         testing::Values(CaptchaCase{CaptchaRule::FirstLogin, false},
                                         CaptchaCase{CaptchaRule::Always, true}));

TEST(Passport, WrongPasswordBehindARightCodeIsReportedAsSuch)
{
    Scenario s = smallScenario();
    s.accounts[0].captcha = CaptchaRule::Always;
    ForumSim sim(s);
    SimClient client(sim);
    const Hidden h = hiddenFields(client.post("/passport/", plainLogin("alice", "pw1"))->body);
    auto answer = client.post("/passport/", verifiedLogin(*sim.captchaCode(h.verify), h, "alice", "nope"));
    EXPECT_TRUE(contains(answer->body, "密码有误"));
    EXPECT_FALSE(contains(answer->body, "看不清楚"));
}

TEST(Passport, CaptchaPictureIsAPngWithFourDrawnCharacters)
{
    Scenario s = smallScenario();
    s.accounts[0].captcha = CaptchaRule::Always;
    s.captchaCodes = {"AB23", "XY78"};
    ForumSim sim(s);
    SimClient client(sim);

    std::vector<QImage> images;
    for (int i = 0; i < 2; ++i) {
        const std::string page = client.post("/passport/", plainLogin("alice", "pw1"))->body;
        const std::string address = pictureAddress(page);
        auto picture = client.get(address.substr(sim.baseUrl().size()));
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->status, 200);
        EXPECT_EQ(picture->get_header_value("Content-Type"), "image/png");
        QImage image = QImage::fromData(QByteArray(picture->body.data(), qsizetype(picture->body.size())));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.width(), 100);
        EXPECT_EQ(image.height(), 32);
        // Each of the four character cells holds ink.
        for (int cell = 0; cell < 4; ++cell) {
            int ink = 0;
            for (int x = 11 + cell * 21; x < 26 + cell * 21; ++x) {
                for (int y = 0; y < 32; ++y)
                    ink += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
            }
            EXPECT_GT(ink, 20) << "cell " << cell;
        }
        images.push_back(image);
    }
    EXPECT_EQ(sim.lastCaptchaCode(), "XY78");
    EXPECT_NE(images[0], images[1]);
    EXPECT_EQ(client.get("/captcha/unknown.png")->status, 404);
}

} // namespace
} // namespace tieba::forumsim::test
