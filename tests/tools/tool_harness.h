#pragma once
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/accounts.h"
#include "support/local_sites.h"
#include "core/encoding.h"
#include "core/message_presenter.h"
#include "core/shared_state.h"
#include "core/sites.h"
#include "forumsim.h"
#include "platform/ini_profile.h"
#include "platform/power_off.h"
#include "support/fake_waiter.h"
#include "support/temp_dir.h"
#include "web/cookie_jar.h"
#include "web/stored_value.h"

namespace tieba::test {

// Counts power-off requests instead of powering anything off.
class RecordingPowerOff final : public PowerOff {
public:
    void powerOff() override { ++requests_; }
    int requests() const { return requests_.load(); }

private:
    std::atomic<int> requests_{0};
};

// Messages shown through the presenter, from any thread.
class RecordingPresenter final : public MessagePresenter {
public:
    void showMessage(const std::string& text) override
    {
        std::lock_guard lock(mutex_);
        texts_.push_back(text);
    }
    std::vector<std::string> texts() const
    {
        std::lock_guard lock(mutex_);
        return texts_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
};

// Polls a condition that no request of the service signals; false after the deadline.
inline bool eventually(const std::function<bool()>& condition,
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

inline forumsim::ForumSpec forum(std::string name)
{
    forumsim::ForumSpec wanted;
    wanted.name = std::move(name);
    return wanted;
}

inline forumsim::AccountSpec account(std::string name, std::string password,
                                     std::vector<forumsim::ForumSpec> forums = {})
{
    forumsim::AccountSpec wanted;
    wanted.name = std::move(name);
    wanted.password = std::move(password);
    wanted.forums = std::move(forums);
    return wanted;
}

// A scratch folder for the data file and the simulated service, with the accounts the program
// knows of. Everything the tools' threads use is declared before the shared state, whose
// destruction ends and joins the workers first.
class ToolFixture : public testing::Test {
protected:
    void startService(forumsim::Scenario scenario, forumsim::ForumSim::Options options = {})
    {
        sim_ = std::make_unique<forumsim::ForumSim>(std::move(scenario), std::move(options));
        sites_ = sitesFor(sim_->baseUrl());
    }

    void setAccounts(const std::vector<std::pair<std::string, std::string>>& accounts)
    {
        test::setAccounts(state_, accounts);
    }


    std::vector<std::string> requestTargets() const
    {
        std::vector<std::string> targets;
        for (const auto& request : sim_->requests())
            targets.push_back(request.method + " " + request.target);
        return targets;
    }

    size_t countRequests(const std::function<bool(const forumsim::Request&)>& which) const
    {
        size_t count = 0;
        for (const auto& request : sim_->requests())
            count += which(request) ? 1 : 0;
        return count;
    }

    // Takes the message a worker asked the main window's timer for, as the timer would.
    std::string takeMessage()
    {
        if (state_.messagePending.exchange(0) != 1)
            return {};
        return utf8FromGb(state_.messageText.get());
    }

    ScopedTempDir dir_;
    std::unique_ptr<forumsim::ForumSim> sim_;
    Sites sites_;
    FakeWaiter waiter_;
    RecordingPowerOff powerOff_;
    RecordingPresenter presenter_;
    SharedState state_;
};

} // namespace tieba::test
