#include "run_harness.h"

namespace tieba::test {
namespace {

using forumsim::AccountSpec;
using forumsim::CaptchaRule;
using forumsim::Fault;
using forumsim::FaultKind;
using forumsim::ForumSpec;
using forumsim::Scenario;

// Account u1 with a valid session and forums A..D; the page of C stalls far longer than any test.
Scenario stallingScenario()
{
    AccountSpec u1{"u1", "pw", CaptchaRule::Never, std::string(48, 's'), {}};
    for (const char* name : {"A", "B", "C", "D"})
        u1.forums.push_back(ForumSpec{name, 1, 1});
    Fault stall;
    stall.targetPrefix = "/m?kw=C";
    stall.kind = FaultKind::Stall;
    stall.milliseconds = 60000;
    stall.times = 1;
    Scenario scenario;
    scenario.accounts = {u1};
    scenario.faults = {stall};
    return scenario;
}

class StopAndRestart : public RunFixture {
protected:
    void SetUp() override
    {
        startService(stallingScenario());
        setAccounts({{"u1", "pw"}});
        storeSession(1, std::string(48, 's'));
    }

    // Starts a run and returns once the request for C's page has reached the service.
    void startAndWaitForTheStall()
    {
        controller_->startRun();
        ASSERT_TRUE(sim_->waitUntil(
            [this] {
                for (const auto& request : sim_->requests())
                    if (request.target.starts_with("/m?kw=C"))
                        return true;
                return false;
            },
            std::chrono::seconds(20)));
    }
};

TEST_F(StopAndRestart, StopDuringARequestEndsTheRunAndNothingIsWrittenAfterwards)
{
    startAndWaitForTheStall();
    const size_t requestsAtStop = sim_->requestCount();

    controller_->stopRun();
    const std::string logAtStop = log();
    const std::string pageAtStop = state_.pageText.get();
    state_.workerThreads.joinAll(); // returns only because the stalled transfer was aborted

    EXPECT_TRUE(logAtStop.ends_with("B[等级1 经验值1]\r\n签到成功,经验+6\r\n签到已经停止\r\n")) << logAtStop;
    EXPECT_EQ(log(), logAtStop);
    EXPECT_EQ(sim_->requestCount(), requestsAtStop);
    EXPECT_FALSE(state_.workerThreads.anyHandle());
    EXPECT_EQ(views_.controlsEnabled().back(), true);
    EXPECT_EQ(state_.pageText.get(), pageAtStop);
}

TEST_F(StopAndRestart, RestartDuringARunBeginsAfreshFromTheFirstAccount)
{
    startAndWaitForTheStall();

    runToEnd(); // a second click of "一键签到"

    // The first run signed A and B, then stalled on C's page; its worker writes nothing more.
    EXPECT_EQ(log(), "u1正在登陆...\r\nu1登录成功\r\nu1正在获取贴吧\r\nu1开始签到\r\n"
                     "A[等级1 经验值7]\r\n已签到\r\nB[等级1 经验值7]\r\n已签到\r\n"
                     "C[等级1 经验值1]\r\n签到成功,经验+6\r\nD[等级1 经验值1]\r\n签到成功,经验+6\r\nu1签到结束\r\n");
}

TEST_F(StopAndRestart, StopLogsOnlyOnceARunHasStarted)
{
    controller_->stopRun();
    EXPECT_EQ(log(), "");
    EXPECT_EQ(views_.controlsEnabled(), (std::vector<bool>{true}));

    sim_->clearFaults();
    runToEnd();
    ASSERT_TRUE(log().ends_with("u1签到结束\r\n"));
    controller_->stopRun(); // the finished run's handles are still set
    EXPECT_TRUE(log().ends_with("u1签到结束\r\n签到已经停止\r\n")) << log();
}

TEST_F(StopAndRestart, StopBeforeThePendingCaptchaStepDropsIt)
{
    sim_->clearFaults();
    sim_->dropSessions();
    controller_->startRun();
    ASSERT_TRUE(eventually([this] { return state_.captchaStepDue == 1; }));

    controller_->stopRun();
    controller_->timerTick();
    driveUntilAtRest();

    EXPECT_EQ(log(), "u1正在登陆...\r\n签到已经停止\r\n");
    EXPECT_TRUE(views_.captchaAddresses().empty());
}

} // namespace
} // namespace tieba::test
