#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tool_harness.h"
#include "tools/bump/bump_tool.h"
#include "web/http_exchange.h"

namespace tieba::test {

// BumpWindow as the bumper sees it: "刷帖", the reply count box and the captcha corner.
class RecordingBumpView final : public BumpView {
public:
    struct Captcha {
        size_t pictureBytes = 0;
        bool emptyBox = false;
    };

    void setBumpEnabled(bool enabled) override
    {
        std::lock_guard lock(mutex_);
        enabled_.push_back(enabled);
    }
    std::string replyCountText() const override
    {
        std::lock_guard lock(mutex_);
        return countText_;
    }
    void showCaptcha(const std::string& pictureBytes, bool emptyBox) override
    {
        std::lock_guard lock(mutex_);
        captchas_.push_back({pictureBytes.size(), emptyBox});
    }

    void setCountText(const std::string& text)
    {
        std::lock_guard lock(mutex_);
        countText_ = text;
    }
    std::vector<bool> enabled() const
    {
        std::lock_guard lock(mutex_);
        return enabled_;
    }
    std::vector<Captcha> captchas() const
    {
        std::lock_guard lock(mutex_);
        return captchas_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<bool> enabled_;
    std::string countText_;
    std::vector<Captcha> captchas_;
};

inline const std::string kThreadId = "4000000001";

// u1 (password pw1) and a thread 每日打卡 in 测试 that takes replies.
inline forumsim::Scenario threadScenario()
{
    forumsim::ThreadSpec thread;
    thread.id = kThreadId;
    thread.title = "每日打卡";
    thread.forum = "测试";
    forumsim::Scenario scenario;
    scenario.accounts = {account("u1", "pw1")};
    scenario.threads = {thread};
    return scenario;
}

// A bump against the simulated service: the test thread plays BumpWindow's handlers.
class BumpFixture : public ToolFixture {
protected:
    std::shared_ptr<BumpTool> tool()
    {
        if (!tool_) {
            auto fetch = [](const std::string& address, std::stop_token stop) { return fetchBytes(address, stop); };
            tool_ = BumpTool::create(BumpServices{state_, sites_, workers_, presenter_, waiter_, fetch}, view_);
        }
        return tool_;
    }

    // "刷帖" with a reply text in UTF-8.
    void bump(const std::string& replyText, const std::string& countText = {}, int account = 1,
              const std::string& threadId = kThreadId)
    {
        view_->setCountText(countText);
        tool()->start(BumpOrder{account, threadId, gb(replyText)});
    }

    void waitUntilAtRest()
    {
        ASSERT_TRUE(eventually([this] { return !workers_.busy(); })) << "the bump did not come to rest";
    }

    std::vector<forumsim::Request> posts(const std::string& target = "/mo/q/submit") const
    {
        std::vector<forumsim::Request> found;
        for (const auto& request : sim_->requests())
            if (request.method == "POST" && request.target == target)
                found.push_back(request);
        return found;
    }

    bool requested(const std::string& prefix) const
    {
        return countRequests([&](const forumsim::Request& r) { return r.target.starts_with(prefix); }) > 0;
    }

    std::shared_ptr<RecordingBumpView> view_ = std::make_shared<RecordingBumpView>();
    std::shared_ptr<BumpTool> tool_;
    WorkerThreads workers_; // last: its threads are joined before what they use goes
};

} // namespace tieba::test
