// A one-click run in the real main window, with the service misbehaving on the forum pages and
// sign links of a logged-in account, or on the login itself. Each case runs the activity to its
// end, then once more to press "停止签到" while a request hit by the fault is still open.
#include <QTest>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

#include "support/local_sites.h"
#include "fault_support.h"
#include "platform/ini_profile.h"
#include "settings/account_slots.h"
#include "signin/run_control.h"
#include "support/fake_waiter.h"
#include "ui/main_window_fixture.h"
#include "web/http_exchange.h"
#include "web/stored_value.h"

namespace tieba::test {

bool MainWindowTest::addAccountTo(const std::string& utf8Name)
{
    return addAccount(state, gb(utf8Name), "pw") == AddAccountResult::Added;
}

namespace {

using namespace Qt::StringLiterals;
using forumsim::AccountSpec;
using forumsim::CaptchaRule;
using forumsim::ForumSpec;
using forumsim::Scenario;
using Clock = std::chrono::steady_clock;

const std::string kSession1(48, '1');
const std::string kSession2(48, '2');

struct RunFaultCase {
    FaultCase fault;
    bool onLogin; // the fault hits the login POST instead of the forum pages and sign links
};

void PrintTo(const RunFaultCase& c, std::ostream* out)
{
    *out << c.fault.name << (c.onLogin ? " on the login" : " on the forum pages");
}

std::vector<RunFaultCase> runCases()
{
    std::vector<RunFaultCase> cases;
    for (bool onLogin : {false, true})
        for (const FaultCase& fault : faultCases())
            cases.push_back({fault, onLogin});
    return cases;
}

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Work logs as the window shows them (line breaks as "\n").
const QString kU1Forums = u"u1正在获取贴吧\nu1开始签到\n"_s;
const QString kU2Follows = u"u2正在登陆...\nu2登录成功\n你暂未关注某个吧\nu2签到结束\n"_s;
const QString kForumsSigned =
    u"A[等级4 经验值40]\n签到成功,经验+6\nB[等级3 经验值120]\n签到成功,经验+6\nu1签到结束\n"_s;
const QString kForumsFailed = u"A[等级4 经验值40]\n等待重签\nB[等级3 经验值120]\n等待重签\n"
                              u"---签到失败贴吧重签---\nA签到失败\nB签到失败\nu1签到结束\n"_s;

// The main window with a real RunController, in a scratch folder, pointed at a FaultyService.
class MainWindowRunFixture : public MainWindowTest {
protected:
    void TearDown() override
    {
        runLink_.reset();
        controller_.reset(); // ends and joins the workers before the window and the service go
    }

    void storeSession(int n, const std::string& token)
    {
        writeProfileString(dataFilePath(), "cookies" + std::to_string(n), "BDUSS", encodeStoredValue(token + ";"));
    }

    // Points the program at `service`; the first call opens the window with its controller and
    // the accounts u1 and u2.
    void use(const FaultyService& service)
    {
        sites = sitesFor(service.baseUrl());
        if (window)
            return;
        open();
        addAccounts({"u1", "u2"});
        controller_ = std::make_unique<RunController>(
            RunEnvironment{state, sites, *window, *window, *window, *window, *window, *window, waiter_});
        runLink_ = driveRun(*controller_);
    }

    QString log() { return control<QPlainTextEdit>(u"工作日志"_s)->toPlainText(); }
    void click(const QString& name) { QTest::mouseClick(control(name), Qt::LeftButton, {}, QPoint(10, 10)); }

    bool runAtRest() const
    {
        return !state.workerThreads.busy() && state.captchaStepDue == 0 && state.messagePending == 0;
    }

    ShortTimeOuts timeOuts_;
    FakeWaiter waiter_;
    GuiGapProbe probe_;
    std::unique_ptr<RunController> controller_;
    std::unique_ptr<QObject> runLink_; // the buttons and the clock to the controller
};

class OneClickRunFault : public MainWindowRunFixture, public testing::WithParamInterface<RunFaultCase> {
protected:
    const FaultCase& fault() const { return GetParam().fault; }
    bool onLogin() const { return GetParam().onLogin; }
    bool refused() const { return !fault().kind.has_value(); }
    bool stall() const { return fault().kind == forumsim::FaultKind::Stall; }
    // The request the fault hits first.
    std::string faultedTarget() const { return onLogin() ? "/passport" : "/m?kw="; }

    // u1 follows A and B; u2 follows nothing, so the hand-over shows. Both are logged in from the
    // start, except u1 when the login itself is under test.
    Scenario scenario() const
    {
        Scenario s;
        AccountSpec u1{"u1", "pw", CaptchaRule::Never, onLogin() ? std::string() : kSession1,
                       {ForumSpec{"A", 4, 40}, ForumSpec{"B", 3, 120}}};
        AccountSpec u2{"u2", "pw", CaptchaRule::Never, kSession2, {}};
        s.accounts = {u1, u2};
        if (!refused()) {
            const std::optional<int> stall = stopping_ ? std::optional<int>(kStopCaseStallMs) : std::nullopt;
            if (onLogin()) {
                s.faults = {faultOn(fault(), "/passport", stall)};
            } else {
                s.faults = {faultOn(fault(), "/m?kw=", stall), faultOn(fault(), "/sign", stall)};
            }
        }
        return s;
    }

    void SetUp() override
    {
        if (!onLogin())
            storeSession(1, kSession1);
        storeSession(2, kSession2);
        dataFileBefore_ = fileBytes(dataFilePath());
    }

    QString expectedLog() const
    {
        const QString u1Login = onLogin() ? u"u1正在登陆...\n"_s : u"u1正在登陆...\nu1登录成功\n"_s;
        if (onLogin()) {
            // The login answer is not judged by itself: the followed-forum page decides, and it
            // shows u1 logged in only when the answer's cookies were stored.
            const bool loggedIn = fault().pageIntact && fault().kind != forumsim::FaultKind::CookieWithoutSemicolon;
            if (!loggedIn)
                return u1Login + u"u1未知错误，登录失败\n"_s;
            return u1Login + u"u1登录成功\n"_s + kU1Forums + kForumsSigned + kU2Follows;
        }
        const QString u1 = u1Login + kU1Forums + (fault().pageIntact ? kForumsSigned : kForumsFailed);
        if (refused())
            return u1 + u"u2正在登陆...\n登录失败！请检查网络连接。u2未知错误，登录失败\n"_s;
        return u1 + kU2Follows;
    }

    std::string outcomeWords() const
    {
        if (onLogin()) {
            if (fault().kind == forumsim::FaultKind::CookieWithoutSemicolon)
                return "no cookie stored, login failed, run ended";
            return fault().pageIntact ? "logged in, forums signed, hand-over"
                                      : "login failed (unknown error), run ended";
        }
        if (fault().pageIntact)
            return "forums signed, hand-over";
        return refused() ? "forums queued then failed; next account's login failed"
                         : "forums queued then failed in retry pass, hand-over";
    }

    // The run to its end: the work log it leaves, the cookies and the Cookie headers.
    void runToTheEnd()
    {
        FaultyService service(scenario());
        use(service);
        if (refused())
            service.holdNext(faultedTarget());
        probe_.start();
        click(u"一键签到"_s);
        if (refused()) {
            // The service goes away while the first faulted request is open: that one is cut,
            // every later connection is refused.
            ASSERT_TRUE(service.waitUntilHeld()) << log().toStdString();
            service.close();
        }
        ASSERT_TRUE(pumpUntil([&] { return runAtRest(); }, 30000)) << log().toStdString();
        QApplication::processEvents();
        probe_.stop();

        EXPECT_EQ(log().toStdString(), expectedLog().toStdString());
        EXPECT_TRUE(control(u"添加账号"_s)->isEnabled());
        for (const forumsim::Request& request : service.requests())
            EXPECT_FALSE(breaksHeader(request.cookie)) << request.target;

        if (fault().kind == forumsim::FaultKind::CookieWithoutSemicolon)
            checkBareCookies(service);
        service.release();
    }

    // forumsim writes its Set-Cookie lines last, so no ";" follows a bare cookie in the header
    // text: the value has nothing to run on to and nothing is stored.
    void checkBareCookies(const FaultyService& service)
    {
        const std::string file = dataFilePath();
        EXPECT_EQ(readProfileString(file, "cookies1", "SIMFAULT", "-"), "-");
        if (onLogin()) {
            EXPECT_EQ(readProfileString(file, "cookies1", "BDUSS", "-"), "-");
            EXPECT_EQ(readProfileString(file, "cookies1", "BAIDUID", "-"), "-");
            // The request after the login POST is the followed-forum page, with nothing to send.
            const auto requests = service.requests();
            auto post = std::find_if(requests.begin(), requests.end(),
                                     [](const auto& r) { return r.target.starts_with("/passport"); });
            ASSERT_NE(post, requests.end());
            ASSERT_NE(post + 1, requests.end());
            EXPECT_EQ((post + 1)->target, "/m?tn=bdFBW&tab=favorite");
            EXPECT_EQ((post + 1)->cookie, "");
        } else {
            EXPECT_EQ(readProfileString(file, "cookies1", "BDUSS", "-"), encodeStoredValue(kSession1 + ";"));
            for (const forumsim::Request& request : service.requests()) {
                if (request.target.starts_with("/m?kw=") || request.target.starts_with("/sign")) {
                    EXPECT_EQ(request.cookie, "BDUSS=" + kSession1 + ";") << request.target;
                }
            }
        }
    }

    // The run once more, stopped while the first request hit by the fault is open. Returns the
    // time from the click of "停止签到" until every worker had returned.
    qint64 stopWhileTheFaultIsOpen()
    {
        writeFileBytes(dataFilePath(), dataFileBefore_); // a login of the first run must not count
        stopping_ = true;
        const ScopedTimeOuts longTimeOuts(kStopCaseTimeOutMs);
        FaultyService service(scenario());
        use(service);
        if (!stall())
            service.holdNext(faultedTarget());

        probe_.start();
        click(u"一键签到"_s);
        if (stall()) {
            EXPECT_TRUE(pumpUntil([&] { return service.firstRequest(faultedTarget()).has_value(); }));
        } else {
            EXPECT_TRUE(service.waitUntilHeld());
        }
        const QString before = log();
        const auto clicked = Clock::now();
        click(u"停止签到"_s);
        EXPECT_TRUE(pumpFinelyUntil([&] { return !state.workerThreads.busy(); }));
        const qint64 stopMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - clicked).count();

        EXPECT_EQ(log(), before + u"签到已经停止\n"_s);
        const size_t requests = service.requestCount();
        if (stall()) {
            // Past the moment the stalled request would have failed by itself, and past the
            // service's late answer to it.
            const auto arrival = service.firstArrival(faultedTarget()).value_or(clicked);
            pumpUntilTime(arrival + std::chrono::milliseconds(kStopCaseStallMs + 300));
        } else {
            service.release();
        }
        QApplication::processEvents();
        probe_.stop();
        EXPECT_EQ(log(), before + u"签到已经停止\n"_s) << "written after the stop";
        EXPECT_EQ(service.requestCount(), requests) << "requests after the stop";
        EXPECT_TRUE(control(u"添加账号"_s)->isEnabled());
        EXPECT_EQ(state.captchaStepDue, 0);
        return stopMs;
    }

    std::string dataFileBefore_;
    bool stopping_ = false; // the second pass: long time-outs, a long stall
};

TEST_P(OneClickRunFault, RunCopesAndStopsCleanly)
{
    runToTheEnd();
    if (HasFatalFailure())
        return;
    const qint64 stopMs = stopWhileTheFaultIsOpen();
    reportRow(fault().name, onLogin() ? "one-click run, login" : "one-click run, forum pages", outcomeWords(),
              probe_.maxGapMs(), stopMs);
    EXPECT_LT(stopMs, kStopBoundMs) << "the stop waited for the transfer";
    EXPECT_LT(probe_.maxGapMs(), kGuiGapBoundMs) << "the GUI thread was held";
}

INSTANTIATE_TEST_SUITE_P(Faults, OneClickRunFault, testing::ValuesIn(runCases()),
                         [](const testing::TestParamInfo<RunFaultCase>& info) {
                             return caseName(info.param.fault) + (info.param.onLogin ? "OnLogin" : "OnForumPages");
                         });

// A data file edited by hand: a stored cookie whose value holds line breaks and what would read
// as a further header and a second request, and a cookie name with a NUL in it. The run still
// works with the stored session, and what reaches the service is one Cookie header on one line.
using HostileDataFile = MainWindowRunFixture;

TEST_F(HostileDataFile, LineBreaksAndNulInStoredCookiesNeverReachTheService)
{
    const std::string smuggled = "x\r\nX-Injected: 1\r\n\r\nGET /m?kw=B HTTP/1.1\r\n;";
    writeFileBytes(dataFilePath(), "[cookies1]\r\nBDUSS=" + encodeStoredValue(kSession1 + ";") + "\r\nevil=" +
                                       encodeStoredValue(smuggled) + "\r\n" + std::string("n\0ul=", 5) +
                                       encodeStoredValue("2;") + "\r\n");
    Scenario scenario;
    scenario.accounts = {AccountSpec{"u1", "pw", CaptchaRule::Never, kSession1, {ForumSpec{"A", 4, 40}}},
                         AccountSpec{"u2", "pw", CaptchaRule::Never, kSession2, {}}};
    FaultyService service(scenario);
    use(service);
    window->setChecked(2, false);

    probe_.start();
    click(u"一键签到"_s);
    ASSERT_TRUE(pumpUntil([&] { return runAtRest(); }, 30000)) << log().toStdString();
    QApplication::processEvents();
    probe_.stop();
    EXPECT_LT(probe_.maxGapMs(), kGuiGapBoundMs) << "the GUI thread was held";

    EXPECT_EQ(log().toStdString(), (u"u1正在登陆...\nu1登录成功\n"_s + kU1Forums +
                                    u"A[等级4 经验值40]\n签到成功,经验+6\nu1签到结束\n"_s).toStdString());
    const std::string header = "BDUSS=" + kSession1 + ";evil=xX-Injected: 1GET /m?kw=B HTTP/1.1;nul=2;";
    std::vector<std::string> targets;
    for (const forumsim::Request& request : service.requests()) {
        targets.push_back(request.target);
        EXPECT_EQ(request.cookie, header) << request.target;
    }
    ASSERT_EQ(targets.size(), 4u) << "a request was smuggled in";
    EXPECT_EQ(targets[0], "/");
    EXPECT_EQ(targets[1], "/m?tn=bdFBW&tab=favorite");
    EXPECT_TRUE(targets[2].starts_with("/m?kw=A"));
    EXPECT_TRUE(targets[3].starts_with("/sign?kw=A"));
}

} // namespace
} // namespace tieba::test
