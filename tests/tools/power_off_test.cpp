// Which builds may really power the computer off, and how a blocking power-off meets a stop.
#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>

#include "grab_harness.h"
#include "platform/power_off.h"

namespace tieba::test {
namespace {

using namespace std::chrono_literals;

TEST(AddressIsOnThisMachine, OnlyForLoopbackHosts)
{
    EXPECT_TRUE(addressIsOnThisMachine("http://127.0.0.1:18080"));
    EXPECT_TRUE(addressIsOnThisMachine("http://127.1.2.3/"));
    EXPECT_TRUE(addressIsOnThisMachine("http://localhost:8080/m"));
    EXPECT_TRUE(addressIsOnThisMachine("http://[::1]:18080"));
    EXPECT_FALSE(addressIsOnThisMachine("http://wapp.baidu.com"));
    EXPECT_FALSE(addressIsOnThisMachine("http://127example.com/"));
    EXPECT_FALSE(addressIsOnThisMachine("http://localhost.example.com"));
    EXPECT_FALSE(addressIsOnThisMachine(""));
}

// A power-off that hangs, as a system bus call may, until the test lets it return.
class BlockingPowerOff final : public PowerOff {
public:
    void powerOff() override
    {
        std::unique_lock lock(mutex_);
        entered_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
    }
    bool waitUntilEntered(std::chrono::milliseconds deadline)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, deadline, [this] { return entered_; });
    }
    void release()
    {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool released_ = false;
};

struct StopCase {
    const char* name;
    void (*stop)(GrabTool& tool, SharedState& state);
};

void PrintTo(const StopCase& c, std::ostream* out)
{
    *out << c.name;
}

class BlockedPowerOff : public GrabFixture, public testing::WithParamInterface<StopCase> {
protected:
    void SetUp() override
    {
        const std::string session(48, 'g');
        forumsim::AccountSpec u1 = account("u1", "pw1", {forum("测试")});
        u1.presetSession = session;
        forumsim::Scenario scenario;
        scenario.accounts = {u1};
        startService(scenario);
        setAccounts({{"u1", "pw1"}});
        storeSession(1, session);
        state_.shutdownAfterGrab.set("1");
        tool_ = GrabTool::create(GrabServices{state_, sites_, blocking_, waiter_,
                                              [](const std::string& address, std::stop_token stop) {
                                                  return fetchBytes(address, stop);
                                              }},
                                 view_);
    }
    // Whatever a case left behind, the worker is let go and joined before the power-off goes away.
    void TearDown() override
    {
        blocking_.release();
        state_.workerThreads.joinAll();
    }

    BlockingPowerOff blocking_;
};

// A stop or a close on the GUI thread must not wait for a power-off that is under way.
TEST_P(BlockedPowerOff, StopReturnsWhilePowerOffHangs)
{
    grab("测试");
    ASSERT_TRUE(blocking_.waitUntilEntered(20s)) << view_->log();

    auto returned = std::async(std::launch::async, [this] { GetParam().stop(*tool_, state_); });
    const bool prompt = returned.wait_for(5s) == std::future_status::ready;
    blocking_.release();
    returned.wait();

    EXPECT_TRUE(prompt) << "the stop waited for the power-off";
    EXPECT_EQ(view_->log(), "开始抢第一\r\n签到成功\r\n抢第一完成");
}

INSTANTIATE_TEST_SUITE_P(
    Stops, BlockedPowerOff,
    testing::Values(StopCase{"WindowClosed", [](GrabTool& tool, SharedState&) { tool.close(); }},
                    StopCase{"NewRunStarted",
                             [](GrabTool&, SharedState& state) { state.workerThreads.endAllAndBegin(true); }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tieba::test
