#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/accounts.h"
#include "support/local_sites.h"
#include "core/encoding.h"
#include "forumsim.h"
#include "platform/ini_profile.h"
#include "recording_views.h"
#include "signin/run_control.h"
#include "support/fake_waiter.h"
#include "support/temp_dir.h"
#include "web/cookie_jar.h"
#include "web/stored_value.h"

namespace tieba::test {

// A one-click run against the simulated service in a scratch folder, with recording views.
// The test thread plays the GUI thread: it calls the timer until the run has come to rest.
class RunFixture : public testing::Test {
protected:
    void startService(forumsim::Scenario scenario)
    {
        sim_ = std::make_unique<forumsim::ForumSim>(std::move(scenario));
        useSites(sitesFor(sim_->baseUrl()));
    }

    void useSites(Sites sites)
    {
        sites_ = std::move(sites);
        controller_ = std::make_unique<RunController>(
            RunEnvironment{state_, sites_, views_, views_, views_, views_, views_, views_, waiter_});
    }

    void setAccounts(const std::vector<std::pair<std::string, std::string>>& accounts)
    {
        test::setAccounts(state_, accounts);
    }


    bool runIsAtRest() const
    {
        return !state_.workerThreads.busy() && state_.captchaStepDue == 0 && state_.messagePending == 0;
    }

    // Serves the timer until nothing is left to do; fails the test after the deadline.
    void driveUntilAtRest(std::chrono::seconds deadline = std::chrono::seconds(30))
    {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (!runIsAtRest()) {
            ASSERT_LT(std::chrono::steady_clock::now(), end) << "the run did not come to rest; log so far:\n"
                                                             << utf8FromGb(views_.log());
            controller_->timerTick();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // Polls a condition that no request of the service signals; false after the deadline.
    static bool eventually(const std::function<bool()>& condition,
                           std::chrono::milliseconds deadline = std::chrono::seconds(20))
    {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    void runToEnd()
    {
        controller_->startRun();
        driveUntilAtRest();
    }

    // The work log in UTF-8, so failures read well.
    std::string log() const { return utf8FromGb(views_.log()); }

    std::vector<std::string> requestTargets() const
    {
        std::vector<std::string> targets;
        for (const auto& request : sim_->requests())
            targets.push_back(request.method + " " + request.target);
        return targets;
    }

    ScopedTempDir dir_;
    std::unique_ptr<forumsim::ForumSim> sim_;
    SharedState state_;
    Sites sites_;
    RecordingViews views_;
    FakeWaiter waiter_;
    std::unique_ptr<RunController> controller_;
};

} // namespace tieba::test
