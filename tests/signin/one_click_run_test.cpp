#include <algorithm>

#include "run_harness.h"

namespace tieba::test {
namespace {

using forumsim::AccountSpec;
using forumsim::CaptchaRule;
using forumsim::Fault;
using forumsim::FaultKind;
using forumsim::ForumSpec;
using forumsim::Scenario;

ForumSpec forum(std::string name, int level, int experience)
{
    ForumSpec made;
    made.name = std::move(name);
    made.level = level;
    made.experience = experience;
    return made;
}

AccountSpec account(std::string name, std::string password, std::vector<ForumSpec> forums = {})
{
    AccountSpec made;
    made.name = std::move(name);
    made.password = std::move(password);
    made.forums = std::move(forums);
    return made;
}

// u1 follows A (signs at once), B (signed already) and C (fails the main pass, signs on retry).
Scenario threeForumScenario()
{
    ForumSpec a = forum("A", 7, 1234);
    ForumSpec b = forum("B", 3, 120);
    b.signedToday = true;
    ForumSpec c = forum("C", 1, 5);
    c.failFirst = 3;
    c.gain = 4;
    AccountSpec u1 = account("u1", "pw1", {a, b, c});
    u1.presetSession = std::string(48, 'a');
    Scenario scenario;
    scenario.accounts = {u1};
    return scenario;
}

class OneClickRun : public RunFixture {};

TEST_F(OneClickRun, SignsEveryForumWithOneRetryPass)
{
    startService(threeForumScenario());
    setAccounts({{"u1", "pw1"}});
    storeSession(1, std::string(48, 'a'));

    runToEnd();

    EXPECT_EQ(log(), "u1正在登陆...\r\n"
                     "u1登录成功\r\n"
                     "u1正在获取贴吧\r\n"
                     "u1开始签到\r\n"
                     "A[等级7 经验值1234]\r\n"
                     "签到成功,经验+6\r\n"
                     "B[等级3 经验值120]\r\n"
                     "已签到\r\n"
                     "C[等级1 经验值5]\r\n"
                     "等待重签\r\n"
                     "---签到失败贴吧重签---\r\n"
                     "C重签成功,经验+4\r\n"
                     "u1签到结束\r\n");
    const std::vector<std::string> expectedRequests = {
        "GET /",          "GET /m?tn=bdFBW&tab=favorite",
        "GET /m?kw=A&lp=1", "GET /sign?kw=A&tbs=",
        "GET /m?kw=B&lp=1", "GET /m?kw=C&lp=1",
        "GET /sign?kw=C&tbs=", "GET /sign?kw=C&tbs=",
        "GET /m?kw=C&lp=1", "GET /sign?kw=C&tbs=",
        "GET /m?kw=C&lp=1", "GET /sign?kw=C&tbs="};
    const auto targets = requestTargets();
    ASSERT_EQ(targets.size(), expectedRequests.size());
    for (size_t i = 0; i < targets.size(); ++i)
        EXPECT_EQ(targets[i].substr(0, expectedRequests[i].size()), expectedRequests[i]) << "request " << i;
    for (const auto& request : sim_->requests()) {
        EXPECT_EQ(request.contentType, "application/x-www-form-urlencoded");
        EXPECT_NE(request.cookie.find("BDUSS="), std::string::npos);
    }

    const std::vector<std::string> captions = views_.captions();
    const std::vector<std::string> expectedCaptions = {"", gb("u1 已签 1/3"), gb("u1 已签 2/3"), gb("u1 已签 3/3"),
                                                       gb("u1 重签 1/1")};
    EXPECT_EQ(captions, expectedCaptions);
    const std::vector<std::pair<int, int>> expectedBars = {{0, 0}, {0, 0}, {1, 3}, {2, 3}, {3, 3}, {0, 0}, {1, 1}};
    EXPECT_EQ(views_.bars(), expectedBars);
    EXPECT_EQ(views_.controlsEnabled(), (std::vector<bool>{false, true}));
    EXPECT_EQ(waiter_.waits(), (std::vector<int>{1000})); // before C's third attempt
}

TEST_F(OneClickRun, SecondAttemptSuccessCarriesTheExtraThree)
{
    ForumSpec once = forum("D", 2, 20);
    once.failFirst = 1;
    once.gain = 6;
    AccountSpec u = account("u1", "pw", {once});
    u.presetSession = std::string(48, 'b');
    Scenario scenario;
    scenario.accounts = {u};
    startService(scenario);
    setAccounts({{"u1", "pw"}});
    storeSession(1, std::string(48, 'b'));

    runToEnd();

    EXPECT_NE(log().find("D[等级2 经验值20]\r\n签到成功,经验+36\r\nu1签到结束\r\n"), std::string::npos) << log();
}

TEST_F(OneClickRun, UnfollowedForumWritesNothingAndShiftsTheLevels)
{
    ForumSpec gone = forum("X", 9, 900);
    gone.liked = false;
    ForumSpec next = forum("Y", 2, 30);
    next.signedToday = true;
    AccountSpec u = account("u1", "pw", {gone, next});
    u.presetSession = std::string(48, 'c');
    Scenario scenario;
    scenario.accounts = {u};
    startService(scenario);
    setAccounts({{"u1", "pw"}});
    storeSession(1, std::string(48, 'c'));

    runToEnd();

    // X's page offers "喜欢本吧": no line, and Y is shown with the level and experience of X.
    EXPECT_NE(log().find("u1开始签到\r\nY[等级9 经验值900]\r\n已签到\r\nu1签到结束\r\n"), std::string::npos) << log();
}

TEST_F(OneClickRun, UntickedAccountsArePassedOverSilently)
{
    AccountSpec u1 = account("u1", "p1", {forum("A", 1, 1)});
    AccountSpec u2 = account("u2", "p2", {forum("B", 1, 1)});
    AccountSpec u3 = account("u3", "p3", {forum("C", 1, 1)});
    u1.presetSession = std::string(48, '1');
    u2.presetSession = std::string(48, '2');
    u3.presetSession = std::string(48, '3');
    Scenario scenario;
    scenario.accounts = {u1, u2, u3};
    startService(scenario);
    setAccounts({{"u1", "p1"}, {"u2", "p2"}, {"u3", "p3"}});
    for (int n = 1; n <= 3; ++n)
        storeSession(n, std::string(48, static_cast<char>('0' + n)));
    views_.setTicked(2, false);

    runToEnd();

    const std::string text = log();
    EXPECT_EQ(text.find("u2"), std::string::npos) << text;
    EXPECT_NE(text.find("u1签到结束\r\nu3正在登陆...\r\nu3登录成功\r\n"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("u3签到结束\r\n")) << text;
    EXPECT_EQ(state_.currentAccount, 3);
}

TEST_F(OneClickRun, NoTickedAccountStillGivesTheButtonsBack)
{
    Scenario scenario;
    scenario.accounts = {account("u1", "p1")};
    startService(scenario);
    setAccounts({{"u1", "p1"}});
    views_.setTicked(1, false);

    runToEnd();

    EXPECT_EQ(log(), "");
    EXPECT_EQ(views_.controlsEnabled(), (std::vector<bool>{false, true}));
    EXPECT_TRUE(sim_->requests().empty());
}

TEST_F(OneClickRun, WithoutAccountsOnlyTheMessageIsShown)
{
    startService(Scenario{});
    setAccounts({});
    controller_->startRun();
    EXPECT_EQ(views_.messages(), (std::vector<std::string>{gb("亲！你还木有添加账号啊")}));
    EXPECT_EQ(state_.messageText.get(), gb("亲！你还木有添加账号啊"));
    EXPECT_TRUE(views_.controlsEnabled().empty());
    EXPECT_TRUE(views_.bars().empty());
    EXPECT_FALSE(state_.workerThreads.anyHandle());
}

TEST_F(OneClickRun, AccountWithoutForumsEndsAtOnce)
{
    AccountSpec u = account("u1", "pw");
    u.presetSession = std::string(48, 'n');
    Scenario scenario;
    scenario.accounts = {u};
    startService(scenario);
    setAccounts({{"u1", "pw"}});
    storeSession(1, std::string(48, 'n'));

    runToEnd();

    EXPECT_EQ(log(), "u1正在登陆...\r\nu1登录成功\r\n你暂未关注某个吧\r\nu1签到结束\r\n");
    EXPECT_EQ(views_.captions(), (std::vector<std::string>{""}));
}

TEST_F(OneClickRun, ExcludedForumsAreNotSigned)
{
    AccountSpec u = account("u1", "pw", {forum("甲", 1, 1), forum("乙", 2, 2)});
    u.presetSession = std::string(48, 'x');
    Scenario scenario;
    scenario.accounts = {u};
    startService(scenario);
    setAccounts({{"u1", "pw"}});
    storeSession(1, std::string(48, 'x'));
    state_.excludedForums.set({gb("甲")});

    runToEnd();

    EXPECT_EQ(log().find("甲"), std::string::npos) << log();
    EXPECT_NE(log().find("乙[等级2 经验值2]\r\n签到成功,经验+6\r\n"), std::string::npos) << log();
}

} // namespace
} // namespace tieba::test
