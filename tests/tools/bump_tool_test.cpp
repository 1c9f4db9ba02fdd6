// The reply bumper: reply form, count, login paths and posting against the simulated service.
#include <climits>
#include <condition_variable>

#include "bump_harness.h"
#include "settings/account_slots.h"
#include "tools/bump/reply_form.h"
#include "web/text_helpers.h"

namespace tieba::test {
namespace {

using forumsim::CaptchaRule;
using forumsim::Fault;
using forumsim::FaultKind;
using forumsim::Scenario;

const std::string kSession(48, 'b');

struct CountCase {
    const char* text;
    int count;
};

void PrintTo(const CountCase& c, std::ostream* out)
{
    *out << '"' << c.text << '"';
}

class ReplyCountOf : public testing::TestWithParam<CountCase> {};

TEST_P(ReplyCountOf, TheBoxText)
{
    EXPECT_EQ(replyCount(GetParam().text), GetParam().count) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ReplyCountOf,
                         testing::Values(CountCase{"", 5}, CountCase{"2", 2}, CountCase{"0", 0}, CountCase{"-3", -3},
                                         CountCase{"abc", 0}, CountCase{"3.9", 3}, CountCase{" 7", 7},
                                         CountCase{"-", 0}, CountCase{"12abc", 12},
                                         CountCase{"99999999999", INT_MAX}));

TEST(ReplyFormFields, FieldsAreCutAsTheyStandAndPostedInTheServicesOrder)
{
    const std::string page = "<form action=\"mo/q/submit?a=1&amp;b=2\" method=\"post\">"
                             "<input name=\"ti\" value=\"%E6%AF%8F\"/><input name=\"src\" value=\"1\"/>"
                             "<input name=\"word\" value=\"c&amp;c\"/><input name=\"tbs\" value=\"t0k\"/>"
                             "<input name=\"fid\" value=\"1001\"/><input name=\"tn\" value=\"bdWAP\"/>"
                             "<input name=\"sub1\" value=\"回贴\"/></form>";
    const ReplyForm form = replyFormOf(page);
    EXPECT_EQ(form.action, "mo/q/submit?a=1&amp;b=2");
    EXPECT_EQ(form.word, "c&amp;c");
    EXPECT_EQ(replyBody("77", form, "a&b=c 你"),
              "&z=77&tn=bdWAP&fid=1001&tbs=t0k&co=a&b=c 你&word=c&amp;c&ti=%E6%AF%8F&sub1=回贴&src=1");
    // Missing markers give empty values; the body keeps every field name.
    EXPECT_EQ(replyBody("77", replyFormOf("nothing here"), "x"), "&z=77&tn=&fid=&tbs=&co=x&word=&ti=&sub1=&src=");
}

class Bump : public BumpFixture {
protected:
    // u1 logged in already.
    void startLoggedIn(Scenario scenario = threadScenario(), forumsim::ForumSim::Options options = {})
    {
        scenario.accounts[0].presetSession = kSession;
        startService(std::move(scenario), std::move(options));
        setAccounts({{"u1", "pw1"}});
        storeSession(1, kSession);
    }
};

struct SeriesCase {
    const char* name;
    const char* countText;
    size_t posts;
    const char* message;
};

void PrintTo(const SeriesCase& c, std::ostream* out)
{
    *out << c.name;
}

class BumpSeries : public Bump, public testing::WithParamInterface<SeriesCase> {};

TEST_P(BumpSeries, PostsTheAskedNumberOfRepliesAndReportsTheLast)
{
    startLoggedIn();
    bump("顶", GetParam().countText);
    waitUntilAtRest();

    EXPECT_EQ(posts().size(), GetParam().posts);
    EXPECT_EQ(sim_->replies().size(), GetParam().posts);
    EXPECT_EQ(takeMessage(), GetParam().message);
    EXPECT_EQ(view_->enabled(), std::vector<bool>{true});
    EXPECT_EQ(state_.replyRound, static_cast<int>(GetParam().posts) + 1);
    // The name in the page's foot was enough: no login, and the thread page was read twice.
    EXPECT_FALSE(requested("/passport/"));
    EXPECT_EQ(countRequests([](const auto& r) { return r.target == "/m?kz=" + kThreadId; }), 2u);
}

INSTANTIATE_TEST_SUITE_P(Counts, BumpSeries,
                         testing::Values(SeriesCase{"EmptyMeansFive", "", 5, "刷帖成功"},
                                         SeriesCase{"Two", "2", 2, "刷帖成功"},
                                         SeriesCase{"ZeroPostsNothing", "0", 0, "刷帖失败"},
                                         SeriesCase{"NegativePostsNothing", "-1", 0, "刷帖失败"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Bump, WithNothingPostedTheThreadPageItselfDecides)
{
    startLoggedIn();
    // A reply that reads 回贴成功 now stands on the thread page.
    bump("回贴成功", "1");
    waitUntilAtRest();
    EXPECT_EQ(takeMessage(), "刷帖成功");

    bump("again", "0");
    waitUntilAtRest();
    EXPECT_EQ(posts().size(), 1u);
    EXPECT_EQ(takeMessage(), "刷帖成功");
}

TEST_F(Bump, OnlyTheLastAnswerDecides)
{
    Scenario scenario = threadScenario();
    scenario.threads[0].replyFailFirst = 2;
    startLoggedIn(scenario);
    bump("顶", "3");
    waitUntilAtRest();
    EXPECT_EQ(sim_->replies().size(), 1u);
    EXPECT_EQ(takeMessage(), "刷帖成功");

    bump("顶", "2");
    waitUntilAtRest();
    EXPECT_EQ(sim_->replies().size(), 3u);
    EXPECT_EQ(takeMessage(), "刷帖成功");
}

TEST_F(Bump, TheBodyCarriesTheFormFieldsAndTheReplyUnescaped)
{
    startLoggedIn();
    bump("你好 a&b=c", "2");
    waitUntilAtRest();

    const auto sent = posts();
    ASSERT_EQ(sent.size(), 2u);
    // The tbs is the page's own, the same for every post of the series.
    const std::string tbs = textBetween(sent[0].body, "&tbs=", "&");
    EXPECT_FALSE(tbs.empty());
    const std::string expected = "&z=4000000001&tn=bdWAP&fid=1001&tbs=" + tbs +
                                 "&co=你好 a&b=c&word=%E6%B5%8B%E8%AF%95&ti=%E6%AF%8F%E6%97%A5%E6%89%93%E5%8D%A1"
                                 "&sub1=回贴&src=1";
    EXPECT_EQ(sent[0].body, expected);
    EXPECT_EQ(sent[1].body, expected);
    EXPECT_EQ(sent[0].contentType, "application/x-www-form-urlencoded");
    // The service splits the fields at the reply's own "&": the reply it took is what came before.
    ASSERT_EQ(sim_->replies().size(), 2u);
    EXPECT_EQ(sim_->replies()[0].rawText, "你好 a");
}

TEST_F(Bump, AnActionWithALeadingSlashGetsASecondOne)
{
    Scenario scenario = threadScenario();
    Fault page;
    page.targetPrefix = "/m?kz=";
    page.kind = FaultKind::Status;
    page.status = 200;
    page.body = "<form action=\"/mo/q/submit\"></form><a>插图片</a> u1 | <a href=\"/i?un=u1\">&gt;&gt;我的i贴吧</a>";
    scenario.faults = {page};
    startLoggedIn(scenario);
    bump("顶", "1");
    waitUntilAtRest();
    EXPECT_EQ(posts("//mo/q/submit").size(), 1u);
    // Without the page's hidden fields the service refuses the post.
    EXPECT_EQ(takeMessage(), "刷帖失败");
}

TEST_F(Bump, AnAccountNotLoggedInLogsInFirst)
{
    startService(threadScenario());
    setAccounts({{"u1", "pw1"}});
    bump("顶", "1");
    waitUntilAtRest();

    EXPECT_EQ(requestTargets(), (std::vector<std::string>{"GET /m?kz=4000000001", "POST /passport/",
                                                          "GET /m?kz=4000000001", "POST /mo/q/submit"}));
    EXPECT_EQ(takeMessage(), "刷帖成功");
    EXPECT_EQ(view_->enabled(), std::vector<bool>{true});
}

TEST_F(Bump, ADeleteDuringTheLoginLeavesNameAndPasswordOfOneAccount)
{
    Scenario scenario = threadScenario();
    scenario.accounts.push_back(account("u2", "pw2"));
    forumsim::ForumSim::Options options;
    // Slot 1 is deleted while the thread page is on its way: u2 moves up into slot 1.
    options.onRequest = [this](const forumsim::Request& request) {
        if (request.target.starts_with("/m?kz=") && state_.accountCount() == 2)
            deleteAccount(state_, 1);
    };
    startService(scenario, options);
    setAccounts({{"u1", "pw1"}, {"u2", "pw2"}});
    bump("顶", "1");
    waitUntilAtRest();

    const std::vector<forumsim::Request> logins = posts("/passport/");
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0].body, "&login_username=u1&login_loginpass=pw1");
    EXPECT_EQ(state_.accountIds(), TextList{"u2"});
    EXPECT_EQ(takeMessage(), "刷帖成功");
}

TEST_F(Bump, ANameContainedInTheOneShownCountsAsLoggedIn)
{
    Scenario scenario = threadScenario();
    scenario.accounts[0] = account("u10", "pw");
    scenario.accounts[0].presetSession = kSession;
    startService(scenario);
    setAccounts({{"u1", "pw1"}});
    storeSession(1, kSession);
    bump("顶", "1");
    waitUntilAtRest();

    EXPECT_FALSE(requested("/passport/"));
    ASSERT_EQ(sim_->replies().size(), 1u);
    EXPECT_EQ(sim_->replies()[0].account, "u10");
}

struct RefusalCase {
    const char* name;
    const char* id;
    const char* password;
    const char* message;
};

void PrintTo(const RefusalCase& c, std::ostream* out)
{
    *out << c.name;
}

class BumpRefused : public Bump, public testing::WithParamInterface<RefusalCase> {};

TEST_P(BumpRefused, TellsWhyAndEnablesBumpAgain)
{
    startService(threadScenario());
    setAccounts({{GetParam().id, GetParam().password}});
    bump("顶");
    waitUntilAtRest();

    EXPECT_EQ(takeMessage(), GetParam().message);
    EXPECT_EQ(view_->enabled(), std::vector<bool>{true});
    EXPECT_TRUE(posts().empty());
}

INSTANTIATE_TEST_SUITE_P(Logins, BumpRefused,
                         testing::Values(RefusalCase{"WrongPassword", "u1", "nope", "u1密码错误登录失败"},
                                         RefusalCase{"UnknownUser", "nobody", "pw", "nobody不存在，登录失败"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Bump, TheCaptchaIsAnsweredInsideTheWindow)
{
    Scenario scenario = threadScenario();
    scenario.accounts[0].captcha = CaptchaRule::FirstLogin;
    scenario.captchaCodes = {"ABCD", "EFGH"};
    startService(scenario);
    setAccounts({{"u1", "pw1"}});

    bump("顶", "1");
    waitUntilAtRest();
    ASSERT_EQ(view_->captchas().size(), 1u);
    EXPECT_FALSE(view_->captchas()[0].emptyBox);
    EXPECT_GT(view_->captchas()[0].pictureBytes, 0u);
    EXPECT_TRUE(view_->enabled().empty());

    tool()->codeTyped("WXYZ");
    waitUntilAtRest();
    EXPECT_EQ(takeMessage(), "验证码错误！请重新输入");
    ASSERT_EQ(view_->captchas().size(), 2u);
    EXPECT_TRUE(view_->captchas()[1].emptyBox);

    tool()->codeTyped("EFGH");
    waitUntilAtRest();
    EXPECT_EQ(takeMessage(), "刷帖成功");
    EXPECT_EQ(sim_->replies().size(), 1u);
    EXPECT_EQ(view_->enabled(), std::vector<bool>{true});
}

TEST_F(Bump, AnEmptyThreadPageIsReportedFromTheWorkerAndTheLoginGoesOn)
{
    Scenario scenario = threadScenario();
    Fault empty;
    empty.targetPrefix = "/m?kz=";
    empty.kind = FaultKind::EmptyBody;
    empty.times = 1;
    scenario.faults = {empty};
    startLoggedIn(scenario);
    bump("顶", "1");
    waitUntilAtRest();

    EXPECT_EQ(presenter_.texts(), std::vector<std::string>{gb("登录失败！请检查网络连接。")});
    EXPECT_EQ(waiter_.waits(), (std::vector<int>{1000, 1000}));
    EXPECT_TRUE(requested("/passport/"));
    EXPECT_EQ(takeMessage(), "刷帖成功");
}

TEST_F(Bump, AOneClickStartDoesNotEndASeries)
{
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;
    bool released = false;
    forumsim::ForumSim::Options options;
    options.onRequest = [&](const forumsim::Request& request) {
        if (request.method != "POST" || held)
            return;
        std::unique_lock lock(mutex);
        held = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
    };
    startLoggedIn(threadScenario(), options);
    bump("顶", "2");
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(20), [&] { return held; }));
    }
    state_.workerThreads.endAllAndBegin(false); // what "一键签到" and "抢" do to their workers
    {
        std::lock_guard lock(mutex);
        released = true;
    }
    changed.notify_all();
    waitUntilAtRest();

    EXPECT_EQ(sim_->replies().size(), 2u);
    EXPECT_EQ(takeMessage(), "刷帖成功");
}

} // namespace
} // namespace tieba::test
