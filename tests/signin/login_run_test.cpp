#include "run_harness.h"

namespace tieba::test {
namespace {

using forumsim::AccountSpec;
using forumsim::CaptchaRule;
using forumsim::Fault;
using forumsim::FaultKind;
using forumsim::ForumSpec;
using forumsim::Scenario;

Scenario accountsNeedingLogin(CaptchaRule captcha)
{
    ForumSpec forum;
    forum.name = "A";
    forum.level = 4;
    forum.experience = 40;
    AccountSpec u1{"u1", "pw1", captcha, {}, {forum}};
    AccountSpec u2{"u2", "pw2", CaptchaRule::Never, {}, {forum}};
    Scenario scenario;
    scenario.accounts = {u1, u2};
    return scenario;
}

std::vector<forumsim::Request> postsTo(const forumsim::ForumSim& sim, const std::string& target)
{
    std::vector<forumsim::Request> posts;
    for (const auto& request : sim.requests())
        if (request.method == "POST" && request.target == target)
            posts.push_back(request);
    return posts;
}

class LoginRun : public RunFixture {};

TEST_F(LoginRun, PlainLoginWithoutCaptchaSignsBothAccounts)
{
    startService(accountsNeedingLogin(CaptchaRule::Never));
    setAccounts({{"u1", "pw1"}, {"u2", "pw2"}});

    runToEnd();

    EXPECT_EQ(log(), "u1正在登陆...\r\nu1登录成功\r\nu1正在获取贴吧\r\nu1开始签到\r\nA[等级4 经验值40]\r\n"
                     "签到成功,经验+6\r\nu1签到结束\r\n"
                     "u2正在登陆...\r\nu2登录成功\r\nu2正在获取贴吧\r\nu2开始签到\r\nA[等级4 经验值40]\r\n"
                     "签到成功,经验+6\r\nu2签到结束\r\n");
    const auto posts = postsTo(*sim_, "/passport/");
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(posts[0].body, "&login_username=u1&login_loginpass=pw1"); // the password goes unencoded
    EXPECT_TRUE(views_.captchaAddresses().empty());
    // The session cookie came back and was stored; the USER_RS one was not.
    EXPECT_NE(buildCookieHeader(dataFilePath(), "1").find("BDUSS="), std::string::npos);
    EXPECT_EQ(buildCookieHeader(dataFilePath(), "1").find("USER_RS"), std::string::npos);
}

TEST_F(LoginRun, WrongCaptchaAsksAgainThenTheRightCodeLogsIn)
{
    startService(accountsNeedingLogin(CaptchaRule::FirstLogin));
    setAccounts({{"u1", "pw1"}});
    views_.answerCaptcha(RecordingViews::typed("zzzz"));
    views_.answerCaptcha([this](const std::string&) {
        return CaptchaAnswer{CaptchaAnswer::Kind::Typed, sim_->lastCaptchaCode()};
    });

    runToEnd();

    EXPECT_EQ(log(), "u1正在登陆...\r\nu1登录成功\r\nu1正在获取贴吧\r\nu1开始签到\r\nA[等级4 经验值40]\r\n"
                     "签到成功,经验+6\r\nu1签到结束\r\n");
    EXPECT_EQ(views_.messages(), (std::vector<std::string>{gb("验证码错误！请重新输入")}));
    const auto addresses = views_.captchaAddresses();
    ASSERT_EQ(addresses.size(), 2u);
    EXPECT_NE(addresses[0], addresses[1]); // a new picture for the second try
    EXPECT_TRUE(addresses[0].starts_with(sim_->baseUrl()));

    const auto posts = postsTo(*sim_, "/passport/");
    ASSERT_EQ(posts.size(), 3u); // plain, wrong code, right code
    EXPECT_TRUE(posts[1].body.starts_with("&login_verifycode=zzzz&aaa=%E6%8F%90%E4%BA%A4&login_bdverify="));
    EXPECT_NE(posts[1].body.find("&login_username=u1&login_loginpass=pw1&login_bdstoken="), std::string::npos);
    EXPECT_TRUE(posts[2].body.ends_with("&login_is_wid=0&login_wid=&login=vc&u=http%3A%2F%2F" + sites_.loginReturnHost +
                                        "&bd_page_type=&isphone=&login_username_input=&type="));
}

TEST_F(LoginRun, ATickInsideTheCaptchaWindowShowsMessagesButStartsNoSecondCaptchaStep)
{
    startService(accountsNeedingLogin(CaptchaRule::FirstLogin));
    setAccounts({{"u1", "pw1"}});
    size_t captchasDuringTick = 0;
    int stepStillDue = 0;
    views_.answerCaptcha([this, &captchasDuringTick, &stepStillDue](const std::string&) {
        // The window's own loop handles a tick while a worker asks for a message and a step.
        state_.messageText.set(gb("inside"));
        state_.messagePending = 1;
        state_.captchaStepDue = 1;
        controller_->timerTick();
        captchasDuringTick = views_.captchaAddresses().size();
        stepStillDue = state_.captchaStepDue.exchange(0);
        return CaptchaAnswer{CaptchaAnswer::Kind::Typed, sim_->lastCaptchaCode()};
    });

    runToEnd();

    EXPECT_EQ(views_.messages(), (std::vector<std::string>{gb("inside")}));
    EXPECT_EQ(captchasDuringTick, 1u) << "no captcha window on top of the captcha window";
    EXPECT_EQ(stepStillDue, 1) << "the step asked for is left for a later tick";
    EXPECT_NE(log().find("u1登录成功"), std::string::npos) << log();
}

TEST_F(LoginRun, GivingUpTheCaptchaEndsTheRun)
{
    startService(accountsNeedingLogin(CaptchaRule::Always));
    setAccounts({{"u1", "pw1"}, {"u2", "pw2"}});
    views_.answerCaptcha(RecordingViews::stopInput());

    runToEnd();

    EXPECT_EQ(log(), "u1正在登陆...\r\nu1登录失败\r\n");
    EXPECT_EQ(views_.controlsEnabled(), (std::vector<bool>{false, true}));
    EXPECT_EQ(state_.captchaAbandoned, 1);
    // The verified login still went out, with the empty code.
    const auto posts = postsTo(*sim_, "/passport/");
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_TRUE(posts[1].body.starts_with("&login_verifycode=&aaa="));
}

TEST_F(LoginRun, ClosingTheCaptchaWindowPostsThePreviousCode)
{
    startService(accountsNeedingLogin(CaptchaRule::Always));
    setAccounts({{"u1", "pw1"}});
    state_.captchaCode.set("old1");
    views_.answerCaptcha([](const std::string&) { return CaptchaAnswer{CaptchaAnswer::Kind::Closed, {}}; });
    views_.answerCaptcha(RecordingViews::stopInput());

    runToEnd();

    const auto posts = postsTo(*sim_, "/passport/");
    ASSERT_EQ(posts.size(), 3u);
    EXPECT_TRUE(posts[1].body.starts_with("&login_verifycode=old1&")) << posts[1].body;
    EXPECT_EQ(views_.messages(), (std::vector<std::string>{gb("验证码错误！请重新输入")}));
    EXPECT_EQ(log(), "u1正在登陆...\r\nu1登录失败\r\n");
}

TEST_F(LoginRun, RefusedLoginsEndTheRunWithTheirLine)
{
    struct Case {
        const char* password;
        const char* name;
        const char* expected;
    };
    for (const Case& c : {Case{"wr&ng=%+", "u1", "u1正在登陆...\r\nu1密码错误登录失败\r\n"},
                          Case{"pw", "nobody", "nobody正在登陆...\r\nnobody不存在，登录失败\r\n"}}) {
        SCOPED_TRACE(c.name);
        startService(accountsNeedingLogin(CaptchaRule::Never));
        setAccounts({{c.name, c.password}, {"u2", "pw2"}});

        runToEnd();

        EXPECT_EQ(log(), c.expected);
        EXPECT_EQ(views_.controlsEnabled().back(), true);
        const auto posts = postsTo(*sim_, "/passport/");
        ASSERT_EQ(posts.size(), 1u); // account 2 is never logged in
        // The password goes out as typed, unencoded.
        EXPECT_TRUE(posts[0].body.ends_with(std::string("&login_loginpass=") + c.password)) << posts[0].body;
    }
}

TEST_F(LoginRun, ServiceOutOfReachGivesTheNetworkAndUnknownErrorLines)
{
    startService(accountsNeedingLogin(CaptchaRule::Never));
    const Sites reachable = sites_;
    sim_.reset(); // nothing listens there any more
    useSites(reachable);
    setAccounts({{"u1", "pw"}, {"u2", "pw2"}});

    runToEnd();

    EXPECT_EQ(log(), "u1正在登陆...\r\n登录失败！请检查网络连接。u1未知错误，登录失败\r\n");
    EXPECT_EQ(waiter_.waits(), (std::vector<int>{1000, 1000}));
    EXPECT_EQ(views_.controlsEnabled(), (std::vector<bool>{false, true}));
}

TEST_F(LoginRun, ForumsOutOfReachAreQueuedThenFailAndTheNextAccountFollows)
{
    Scenario scenario = accountsNeedingLogin(CaptchaRule::Never);
    scenario.accounts[0].forums.push_back(ForumSpec{"B", 2, 2});
    Fault pages;
    pages.targetPrefix = "/m?kw=";
    pages.kind = FaultKind::EmptyBody;
    pages.times = 6; // account 1's two forums: main pass, retry pass and the retry's third attempt
    scenario.faults = {pages};
    startService(scenario);
    setAccounts({{"u1", "pw1"}, {"u2", "pw2"}});

    runToEnd();

    EXPECT_NE(log().find("u1开始签到\r\nA[等级4 经验值40]\r\n等待重签\r\nB[等级2 经验值2]\r\n等待重签\r\n"
                         "---签到失败贴吧重签---\r\n"),
              std::string::npos)
        << log();
    // An empty page has no sign link either: the retry pass tries and fails each forum.
    EXPECT_NE(log().find("A签到失败\r\nB签到失败\r\nu1签到结束\r\nu2正在登陆...\r\n"), std::string::npos) << log();
    EXPECT_TRUE(log().ends_with("u2签到结束\r\n")) << log();
}

} // namespace
} // namespace tieba::test
