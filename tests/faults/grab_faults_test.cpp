// The grab-first watch in the real GrabWindow, with the service misbehaving on the watched
// forum's page. Each case watches until the fault ends the waiting (or the day turns under it),
// then grabs once more and presses "关闭" while a page hit by the fault is still open.
#include <chrono>

#include "fault_support.h"
#include "tools/window_harness.h"

namespace tieba::test {
namespace {

using namespace Qt::StringLiterals;
using forumsim::FaultKind;
using forumsim::Scenario;
using Clock = std::chrono::steady_clock;

const std::string kSession(48, '1');
const std::string kForumPage = "/m?kw=";
const QString kWaiting = u"还不能签到\n正在刷新,请稍后！"_s;

class GrabWatchFault : public ToolWindowFixture, public testing::WithParamInterface<FaultCase> {
protected:
    const FaultCase& fault() const { return GetParam(); }
    bool refused() const { return !fault().kind.has_value(); }
    bool stall() const { return fault().kind == FaultKind::Stall; }

    void SetUp() override
    {
        setAccounts({{"u1", "pw"}});
        storeSession(1, kSession);
        state_.shutdownAfterGrab.set("1");
    }

    void TearDown() override
    {
        state_.workerThreads.endAllAndBegin(true);
        state_.workerThreads.joinAll();
    }

    // u1 is logged in and follows 测试, which it has signed today already: the watch waits.
    Scenario scenario(bool faultFromTheStart) const
    {
        forumsim::ForumSpec watched = forum("测试");
        watched.signedToday = true;
        forumsim::AccountSpec u1 = account("u1", "pw", {watched});
        u1.presetSession = kSession;
        Scenario s;
        s.accounts = {u1};
        // From the start: the case that closes the window, with a stall that outlasts the bound.
        if (faultFromTheStart && !refused())
            s.faults = {faultOn(fault(), kForumPage, kStopCaseStallMs)};
        return s;
    }

    void grab(QDialog& w, FaultyService& service)
    {
        sites_ = sitesFor(service.baseUrl());
        control<QLineEdit>(w, u"贴吧框"_s)->setText(u"测试"_s);
        click(control(w, u"抢"_s));
    }

    // The watch until the fault has ended it: "抢第一完成" and every thread returned.
    void watchToTheEnd(QDialog& w)
    {
        FaultyService service(scenario(false));
        probe_.start();
        grab(w, service);
        ASSERT_TRUE(pumpUntil([&] { return logOf(w) == kWaiting; })) << logOf(w).toStdString();
        const size_t beforeFault = service.requestCount();
        if (refused()) {
            service.close();
        } else {
            service.sim().addFault(faultOn(fault(), kForumPage));
            // A page that keeps its markers still says "已签到" until the day turns.
            if (fault().pageIntact)
                service.sim().turnDay();
        }
        ASSERT_TRUE(pumpUntil([&] { return logOf(w).endsWith(u"抢第一完成"_s) && !state_.workerThreads.busy(); }))
            << logOf(w).toStdString();
        QApplication::processEvents();
        probe_.stop();

        EXPECT_EQ(logOf(w), kWaiting + (fault().pageIntact ? u"签到成功\n"_s : u"未知错误\n"_s) + u"抢第一完成"_s);
        EXPECT_EQ(powerOff_.requests(), 1);
        const auto requests = service.requests();
        for (const forumsim::Request& request : requests)
            EXPECT_FALSE(breaksHeader(request.cookie)) << request.target;
        if (fault().kind == FaultKind::CookieWithoutSemicolon) {
            // Nothing follows the bare cookie with a ";" (forumsim writes Set-Cookie last), so
            // nothing is stored and the requests after it carry the session alone.
            EXPECT_EQ(readProfileString(dataFilePath(), "cookies1", "SIMFAULT", "-"), "-");
            EXPECT_EQ(readProfileString(dataFilePath(), "cookies1", "BDUSS", "-"), encodeStoredValue(kSession + ";"));
            ASSERT_GT(requests.size(), beforeFault + 1);
            for (size_t i = beforeFault; i < requests.size(); ++i)
                EXPECT_EQ(requests[i].cookie, "BDUSS=" + kSession + ";") << requests[i].target;
        }
        service.release();
    }

    // A new grab whose first page is hit by the fault; "关闭" while that page is open. Returns
    // the time from the click until every thread of the grab had returned.
    qint64 closeWhileTheFaultIsOpen(QDialog& w)
    {
        const ScopedTimeOuts longTimeOuts(kStopCaseTimeOutMs);
        FaultyService service(scenario(true));
        if (!stall())
            service.holdNext(kForumPage);
        probe_.start();
        grab(w, service);
        if (stall()) {
            EXPECT_TRUE(pumpUntil([&] { return service.firstRequest(kForumPage).has_value(); }));
        } else {
            EXPECT_TRUE(service.waitUntilHeld());
        }
        QApplication::processEvents();
        const QString before = logOf(w);
        EXPECT_EQ(before, u"开始抢第一\n"_s);

        const auto clicked = Clock::now();
        click(control(w, u"关闭"_s));
        EXPECT_TRUE(pumpFinelyUntil([&] { return !state_.workerThreads.busy(); }));
        const qint64 stopMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - clicked).count();
        EXPECT_FALSE(w.isVisible());

        const size_t requests = service.requestCount();
        if (stall()) {
            // Past the moment the stalled page would have failed by itself, and past the
            // service's late answer to it.
            const auto arrival = service.firstArrival(kForumPage).value_or(clicked);
            pumpUntilTime(arrival + std::chrono::milliseconds(kStopCaseStallMs + 300));
        } else {
            service.release();
        }
        QApplication::processEvents();
        probe_.stop();
        EXPECT_EQ(logOf(w), before) << "written after the close";
        EXPECT_EQ(service.requestCount(), requests) << "requests after the close";
        EXPECT_EQ(powerOff_.requests(), 1) << "no power-off after the close";
        return stopMs;
    }

    GuiGapProbe probe_;
    ShortTimeOuts timeOuts_;
};

TEST_P(GrabWatchFault, WatchCopesAndClosesCleanly)
{
    qint64 stopMs = -1;
    runner_.script = [&](QDialog& w) {
        watchToTheEnd(w);
        if (!HasFatalFailure())
            stopMs = closeWhileTheFaultIsOpen(w);
    };
    tools().openGrabWindow();
    ASSERT_EQ(runner_.opened.size(), 1u);
    ASSERT_GE(stopMs, 0) << "the case did not get to the close";
    const char* outcome =
        fault().pageIntact ? "signed once the day turned" : "waiting ended, unknown error, finished";
    reportRow(fault().name, "grab watch", outcome, probe_.maxGapMs(), stopMs);
    EXPECT_LT(stopMs, kStopBoundMs) << "the close waited for the transfer";
    EXPECT_LT(probe_.maxGapMs(), kGuiGapBoundMs) << "the GUI thread was held";
}

INSTANTIATE_TEST_SUITE_P(Faults, GrabWatchFault, testing::ValuesIn(faultCases()),
                         [](const testing::TestParamInfo<FaultCase>& info) { return caseName(info.param); });

} // namespace
} // namespace tieba::test
