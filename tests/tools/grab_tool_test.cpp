// The grab-first sign-in against the simulated service: login, midnight watch, sign, power-off.
#include <algorithm>
#include <condition_variable>

#include "grab_harness.h"
#include "signin/recording_views.h"
#include "signin/run_control.h"

namespace tieba::test {
namespace {

using forumsim::AccountSpec;
using forumsim::CaptchaRule;
using forumsim::Fault;
using forumsim::FaultKind;
using forumsim::ForumSpec;
using forumsim::Scenario;

const std::string kSession(48, 'g');
const std::string kForumTarget = "/m?kw=%E6%B5%8B%E8%AF%95"; // 测试, as the exchange sends it

// u1, logged in already, following 测试 as `wanted` describes it.
Scenario loggedInScenario(ForumSpec wanted)
{
    AccountSpec u1 = account("u1", "pw1", {std::move(wanted)});
    u1.presetSession = kSession;
    Scenario scenario;
    scenario.accounts = {u1};
    return scenario;
}

Fault answerWith(const std::string& prefix, const std::string& body, int times)
{
    Fault fault;
    fault.targetPrefix = prefix;
    fault.kind = FaultKind::Status;
    fault.status = 200;
    fault.body = body;
    fault.times = times;
    return fault;
}

TEST(ForumNameForRequest, DropsHalfAndFullWidthSpacesOnly)
{
    EXPECT_EQ(forumNameForRequest(gb(" 测 试 ")), gb("测试"));
    EXPECT_EQ(forumNameForRequest(gb("　测　试　")), gb("测试"));
    EXPECT_EQ(forumNameForRequest(gb("c ++　吧")), gb("c++吧"));
    // 啊 (B0 A1) followed by “ (A1 B0): the A1 A1 between them is no full-width space.
    EXPECT_EQ(forumNameForRequest(gb("啊“")), gb("啊“"));
    EXPECT_EQ(forumNameForRequest(gb("　 ")), "");
}

struct GrabCase {
    const char* name;
    bool liked = true;
    bool signable = true;
    bool signedToday = false;
    int failFirst = 0;
    int turnDayAfterForumPages = 0;
    std::vector<Fault> faults = {};
    const char* shutdown = "0";
    const char* log = ""; // UTF-8
    int powerOffs = 0;
    std::vector<int> waits = {};
};

void PrintTo(const GrabCase& c, std::ostream* out)
{
    *out << c.name;
}

class GrabOutcome : public GrabFixture, public testing::WithParamInterface<GrabCase> {};

TEST_P(GrabOutcome, LogsAndPowersOffAsTheForumAnswers)
{
    const GrabCase& c = GetParam();
    ForumSpec wanted = forum("测试");
    wanted.liked = c.liked;
    wanted.signable = c.signable;
    wanted.signedToday = c.signedToday;
    wanted.failFirst = c.failFirst;
    Scenario scenario = loggedInScenario(wanted);
    scenario.turnDayAfterForumPages = c.turnDayAfterForumPages;
    scenario.faults = c.faults;
    startService(scenario);
    setAccounts({{"u1", "pw1"}});
    storeSession(1, kSession);
    state_.shutdownAfterGrab.set(c.shutdown);

    grab("测试");
    waitUntilAtRest();

    EXPECT_EQ(view_->log(), c.log);
    EXPECT_EQ(powerOff_.requests(), c.powerOffs);
    EXPECT_EQ(waiter_.waits(), c.waits);
    // The stored session was still good: no login was posted.
    EXPECT_FALSE(requested("/passport/"));
}

INSTANTIATE_TEST_SUITE_P(
    Forums, GrabOutcome,
    testing::Values(
        GrabCase{.name = "AfterMidnightSignsAtOnce",
                 .shutdown = "1",
                 .log = "开始抢第一\r\n签到成功\r\n抢第一完成",
                 .powerOffs = 1},
        GrabCase{.name = "BeforeMidnightWaitsForTheTurnover",
                 .signedToday = true,
                 .turnDayAfterForumPages = 4,
                 .log = "还不能签到\r\n正在刷新,请稍后！签到成功\r\n抢第一完成"},
        GrabCase{.name = "NotFollowedEndsEarlyWithoutPowerOff",
                 .liked = false,
                 .shutdown = "1",
                 .log = "开始抢第一\r\n暂未喜欢本吧\r\n"},
        GrabCase{.name = "PageWithoutSignIsAnUnknownErrorAndStillPowersOff",
                 .signable = false,
                 .shutdown = "1",
                 .log = "开始抢第一\r\n未知错误\r\n抢第一完成",
                 .powerOffs = 1},
        GrabCase{.name = "OptionOffNeverPowersOff",
                 .signable = false,
                 .log = "开始抢第一\r\n未知错误\r\n抢第一完成"},
        GrabCase{.name = "FailedSignsAreRetriedAfterASecond",
                 .failFirst = 3,
                 .log = "开始抢第一\r\n签到成功\r\n抢第一完成",
                 .waits = {1000}},
        GrabCase{.name = "SignAnsweredAsAlreadyDoneEndsWithoutASuccessLine",
                 .faults = {answerWith("/sign", "<div>亲，你今天已签到过了</div>", -1)},
                 .shutdown = "1",
                 .log = "开始抢第一\r\n抢第一完成",
                 .powerOffs = 1,
                 .waits = {1000}}),
    [](const auto& info) { return std::string(info.param.name); });

class Grab : public GrabFixture {};

TEST_F(Grab, BeforeMidnightTheWatchPollsBackToBackWithoutWaiting)
{
    ForumSpec wanted = forum("测试");
    wanted.signedToday = true;
    Scenario scenario = loggedInScenario(wanted);
    scenario.turnDayAfterForumPages = 6;
    startService(scenario);
    setAccounts({{"u1", "pw1"}});
    storeSession(1, kSession);

    grab("测试");
    waitUntilAtRest();

    EXPECT_EQ(view_->replacements(), 1);
    EXPECT_TRUE(waiter_.waits().empty());
    // Six pages up to the turnover, the seventh offers the sign link, which is followed once.
    const auto targets = requestTargets();
    ASSERT_EQ(targets.size(), 9u);
    EXPECT_EQ(targets[0], "GET /");
    for (size_t i = 1; i <= 7; ++i)
        EXPECT_EQ(targets[i], "GET " + kForumTarget) << i;
    EXPECT_TRUE(targets[8].starts_with("GET /sign?kw=%E6%B5%8B%E8%AF%95&tbs=")) << targets[8];
    EXPECT_TRUE(sim_->forum("u1", "测试")->signedToday);
}

TEST_F(Grab, TheForumNameGoesOutWithoutItsSpacesAndIsReadAgainBeforeEveryFetch)
{
    ForumSpec waiting = forum("测试");
    waiting.signedToday = true;
    AccountSpec u1 = account("u1", "pw1", {waiting, forum("其他")});
    u1.presetSession = kSession;
    Scenario scenario;
    scenario.accounts = {u1};
    startService(scenario);
    setAccounts({{"u1", "pw1"}});
    storeSession(1, kSession);

    grab(" 测　试 ");
    ASSERT_TRUE(sim_->waitUntil(
        [&] { return countRequests([](const auto& r) { return r.target == kForumTarget; }) >= 3; },
        std::chrono::seconds(20)));
    // Typed meanwhile: the next fetch asks for the other forum, which is not signed yet.
    view_->setForumName(gb("其 他"));
    waitUntilAtRest();

    EXPECT_EQ(view_->log(), "还不能签到\r\n正在刷新,请稍后！签到成功\r\n抢第一完成");
    EXPECT_TRUE(sim_->forum("u1", "其他")->signedToday);
    for (const auto& request : sim_->requests()) {
        if (request.target.starts_with("/m?kw=")) {
            EXPECT_TRUE(request.target == kForumTarget || request.target == "/m?kw=%E5%85%B6%E4%BB%96")
                << request.target;
        }
    }
}

TEST_F(Grab, TheLastOfSeveralSignLinksIsFollowedWithItsAmpersandsDecoded)
{
    Scenario scenario = loggedInScenario(forum("测试"));
    // The first page has two links whose text begins with 签到; the later one is stale.
    scenario.faults = {answerWith("/m?kw=",
                                  "<div><a href=\"/first?kw=x&amp;tbs=1\">签到</a> | "
                                  "<a href=\"/sign?kw=%E6%B5%8B%E8%AF%95&amp;tbs=stale\">签到有礼</a></div>",
                                  1)};
    startService(scenario);
    setAccounts({{"u1", "pw1"}});
    storeSession(1, kSession);

    grab("测试");
    waitUntilAtRest();

    EXPECT_EQ(view_->log(), "开始抢第一\r\n签到成功\r\n抢第一完成");
    const auto targets = requestTargets();
    EXPECT_EQ(std::count(targets.begin(), targets.end(), "GET /sign?kw=%E6%B5%8B%E8%AF%95&tbs=stale"), 2);
    EXPECT_FALSE(requested("/first"));
    // Two refused attempts at the stale link, a second's pause, the fresh page and its link.
    EXPECT_EQ(waiter_.waits(), std::vector<int>{1000});
}

TEST_F(Grab, AnEmptyHomePageIsLoggedAndTheLoginPostedAllTheSame)
{
    Scenario scenario = loggedInScenario(forum("测试"));
    scenario.accounts[0].presetSession.clear();
    Fault empty;
    empty.targetPrefix = "/";
    empty.kind = FaultKind::EmptyBody;
    empty.times = 1;
    scenario.faults = {empty};
    startService(scenario);
    setAccounts({{"u1", "pw1"}});

    grab("测试");
    waitUntilAtRest();

    EXPECT_EQ(view_->log(), "登录失败！请检查网络连接。开始抢第一\r\n签到成功\r\n抢第一完成");
    EXPECT_EQ(waiter_.waits(), (std::vector<int>{1000, 1000}));
    EXPECT_TRUE(requested("/passport/"));
}

TEST_F(Grab, AWrongCodeAsksAgainInsideTheWindowAndTheRightOneStartsTheWatch)
{
    Scenario scenario = loggedInScenario(forum("测试"));
    scenario.accounts[0].presetSession.clear();
    scenario.accounts[0].captcha = CaptchaRule::FirstLogin;
    scenario.captchaCodes = {"ABCD", "EFGH"};
    startService(scenario);
    setAccounts({{"u1", "pw1"}});

    grab("测试");
    waitUntilAtRest();
    ASSERT_EQ(view_->captchas().size(), 1u);
    EXPECT_GT(view_->captchas()[0].pictureBytes, 0u);
    EXPECT_FALSE(view_->captchas()[0].emptyBox);
    EXPECT_EQ(view_->log(), "");

    tool_->codeTyped("ZZZZ");
    waitUntilAtRest();
    EXPECT_EQ(takeMessage(), "验证码错误！请重新输入");
    ASSERT_EQ(view_->captchas().size(), 2u);
    EXPECT_GT(view_->captchas()[1].pictureBytes, 0u);
    EXPECT_TRUE(view_->captchas()[1].emptyBox);
    EXPECT_FALSE(requested("/m?kw="));

    tool_->codeTyped("EFGH");
    waitUntilAtRest();
    EXPECT_EQ(view_->log(), "开始抢第一\r\n签到成功\r\n抢第一完成");
    EXPECT_EQ(takeMessage(), "");
    EXPECT_EQ(state_.captchaCode.get(), "EFGH");
    // The verified login carried the typed code and the hidden fields of the second challenge.
    const auto requests = sim_->requests();
    std::vector<std::string> logins;
    for (const auto& request : requests)
        if (request.method == "POST")
            logins.push_back(request.body);
    ASSERT_EQ(logins.size(), 3u);
    EXPECT_EQ(logins[0], "&login_username=u1&login_loginpass=pw1");
    EXPECT_TRUE(logins[2].starts_with("&login_verifycode=EFGH&aaa=%E6%8F%90%E4%BA%A4&login_bdverify=")) << logins[2];
}

TEST_F(Grab, AWrongPasswordAfterTheCaptchaIsReportedAndNothingIsWatched)
{
    Scenario scenario = loggedInScenario(forum("测试"));
    scenario.accounts[0].presetSession.clear();
    scenario.accounts[0].captcha = CaptchaRule::FirstLogin;
    scenario.captchaCodes = {"ABCD"};
    startService(scenario);
    setAccounts({{"u1", "wrong"}});
    state_.shutdownAfterGrab.set("1");

    grab("测试");
    waitUntilAtRest();
    tool_->codeTyped("ABCD");
    waitUntilAtRest();

    EXPECT_EQ(takeMessage(), "u1密码错误登录失败");
    EXPECT_EQ(view_->log(), "");
    EXPECT_FALSE(requested("/m?kw="));
    EXPECT_EQ(powerOff_.requests(), 0);
}

TEST_F(Grab, ClosingDuringTheWatchStopsItWithoutPowerOff)
{
    ForumSpec wanted = forum("测试");
    wanted.signedToday = true; // and the day never turns
    startService(loggedInScenario(wanted));
    setAccounts({{"u1", "pw1"}});
    storeSession(1, kSession);
    state_.shutdownAfterGrab.set("1");

    grab("测试");
    ASSERT_TRUE(sim_->waitUntil([&] { return sim_->requestCount() >= 5; }, std::chrono::seconds(20)));
    tool_->close();
    waitUntilAtRest();

    EXPECT_EQ(view_->log(), "还不能签到\r\n正在刷新,请稍后！");
    EXPECT_EQ(powerOff_.requests(), 0);
    EXPECT_FALSE(requested("/sign"));
    // A code typed after the close starts nothing: its thread belongs to the ended run.
    tool_->codeTyped("ABCD");
    EXPECT_FALSE(state_.workerThreads.busy());
}

TEST_F(Grab, ACaptchaLoginStillUnderWayWhenTheWindowClosesStartsNoWatch)
{
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;
    bool released = false;
    forumsim::ForumSim::Options options;
    // Holds the verified login on the server until the test lets it go.
    options.onRequest = [&](const forumsim::Request& request) {
        if (request.method != "POST" || !request.body.starts_with("&login_verifycode="))
            return;
        std::unique_lock lock(mutex);
        held = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
    };
    Scenario scenario = loggedInScenario(forum("测试"));
    scenario.accounts[0].presetSession.clear();
    scenario.accounts[0].captcha = CaptchaRule::FirstLogin;
    scenario.captchaCodes = {"ABCD"};
    startService(scenario, options);
    setAccounts({{"u1", "pw1"}});
    state_.shutdownAfterGrab.set("1");

    grab("测试");
    waitUntilAtRest();
    tool_->codeTyped("ABCD");
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(20), [&] { return held; }));
    }
    tool_->close();
    waitUntilAtRest();
    {
        std::lock_guard lock(mutex);
        released = true;
    }
    changed.notify_all();

    EXPECT_EQ(view_->log(), "");
    EXPECT_FALSE(requested("/m?kw="));
    EXPECT_EQ(powerOff_.requests(), 0);
}

TEST_F(Grab, PressingGrabEndsAOneClickRunThatIsStillWorking)
{
    AccountSpec u1 = account("u1", "pw1", {forum("测试"), forum("其他")});
    u1.presetSession = kSession;
    Fault stall;
    stall.targetPrefix = "/m?tn=bdFBW";
    stall.kind = FaultKind::Stall;
    stall.milliseconds = 60000;
    Scenario scenario;
    scenario.accounts = {u1};
    scenario.faults = {stall};
    startService(scenario);
    setAccounts({{"u1", "pw1"}});
    storeSession(1, kSession);

    RecordingViews views;
    RunController oneClick(RunEnvironment{state_, sites_, views, views, views, views, views, views, waiter_});
    oneClick.startRun();
    ASSERT_TRUE(sim_->waitUntil([&] { return requested("/m?tn=bdFBW"); }, std::chrono::seconds(20)));
    const std::string oneClickLog = views.log();

    grab("测试");
    // The one-click worker was stuck in its request: it must be gone long before the stall ends.
    waitUntilAtRest();

    EXPECT_EQ(view_->log(), "开始抢第一\r\n签到成功\r\n抢第一完成");
    EXPECT_EQ(views.log(), oneClickLog);
    EXPECT_FALSE(sim_->forum("u1", "其他")->signedToday);
}

} // namespace
} // namespace tieba::test
