// A reply series of the bumper and a one-click run at the same time: each works on its own pages.
#include <atomic>

#include "bump_harness.h"
#include "signin/run_harness.h"

namespace tieba::test {
namespace {

const std::string kSession(48, 'r');

// u1 (logged in already) follows A and B and may reply to the thread of the bump harness.
forumsim::Scenario sharedScenario()
{
    forumsim::Scenario scenario = threadScenario();
    scenario.accounts[0].presetSession = kSession;
    scenario.accounts[0].forums = {forum("A"), forum("B")};
    return scenario;
}

class BumpDuringRun : public RunFixture {
protected:
    void SetUp() override
    {
        startService(sharedScenario());
        setAccounts({{"u1", "pw1"}});
        storeSession(1, kSession);
        bumper_ = BumpTool::create(BumpServices{state_, sites_, bumpWorkers_, presenter_, waiter_, {}}, bumpView_);
    }

    // A whole series of two replies, started and finished while the caller waits.
    void bumpTwice()
    {
        bumpView_->setCountText("2");
        bumper_->start(BumpOrder{1, kThreadId, gb("顶")});
        ASSERT_TRUE(eventually([this] { return !bumpWorkers_.busy(); })) << "the bump did not come to rest";
    }

    RecordingPresenter presenter_;
    std::shared_ptr<RecordingBumpView> bumpView_ = std::make_shared<RecordingBumpView>();
    std::shared_ptr<BumpTool> bumper_;
    WorkerThreads bumpWorkers_;
};

TEST_F(BumpDuringRun, ASeriesBetweenTheLoginAndTheEngineLeavesTheRunItsForumList)
{
    // The engine's first step draws the empty bar: the followed-forum page has been read by then.
    std::atomic<bool> bumped{false};
    views_.onDrawBar([&](int done, int total) {
        if (done == 0 && total == 0 && views_.bars().size() == 2 && !bumped.exchange(true))
            bumpTwice();
    });

    runToEnd();

    ASSERT_TRUE(bumped);
    EXPECT_EQ(sim_->replies().size(), 2u);
    EXPECT_EQ(log(), "u1正在登陆...\r\nu1登录成功\r\nu1正在获取贴吧\r\nu1开始签到\r\n"
                     "A[等级1 经验值0]\r\n签到成功,经验+6\r\nB[等级1 经验值0]\r\n签到成功,经验+6\r\n"
                     "u1签到结束\r\n");
    // The main window's timer, served by the run, showed the series' outcome.
    EXPECT_EQ(views_.messages(), std::vector<std::string>{gb("刷帖成功")});
}

} // namespace
} // namespace tieba::test
