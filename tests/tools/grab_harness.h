#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tool_harness.h"
#include "tools/grab/grab_tool.h"
#include "web/http_exchange.h"

namespace tieba::test {

// GrabWindow as the grab sees it: the log, the forum name box and the captcha corner.
class RecordingGrabView final : public GrabView {
public:
    struct Captcha {
        size_t pictureBytes = 0;
        bool emptyBox = false;
    };

    void appendLog(const std::string& text) override
    {
        std::lock_guard lock(mutex_);
        log_ += text;
    }
    void replaceLog(const std::string& text) override
    {
        std::lock_guard lock(mutex_);
        log_ = text;
        ++replacements_;
    }
    std::string forumName() const override
    {
        std::lock_guard lock(mutex_);
        return forumName_;
    }
    void showCaptcha(const std::string& pictureBytes, bool emptyBox) override
    {
        std::lock_guard lock(mutex_);
        captchas_.push_back({pictureBytes.size(), emptyBox});
    }

    void setForumName(const std::string& name)
    {
        std::lock_guard lock(mutex_);
        forumName_ = name;
    }
    // In UTF-8, so failures read well.
    std::string log() const
    {
        std::lock_guard lock(mutex_);
        return utf8FromGb(log_);
    }
    int replacements() const
    {
        std::lock_guard lock(mutex_);
        return replacements_;
    }
    std::vector<Captcha> captchas() const
    {
        std::lock_guard lock(mutex_);
        return captchas_;
    }

private:
    mutable std::mutex mutex_;
    std::string log_;
    std::string forumName_;
    int replacements_ = 0;
    std::vector<Captcha> captchas_;
};

// A grab against the simulated service: the test thread plays GrabWindow's handlers.
class GrabFixture : public ToolFixture {
protected:
    std::shared_ptr<GrabTool> makeTool()
    {
        return GrabTool::create(
            GrabServices{state_, sites_, powerOff_, waiter_,
                         [](const std::string& address, std::stop_token stop) { return fetchBytes(address, stop); }},
            view_);
    }

    // "抢" with a forum name typed in UTF-8.
    void grab(const std::string& forumName, int account = 1)
    {
        if (!tool_)
            tool_ = makeTool();
        view_->setForumName(gb(forumName));
        state_.selectedAccount = account;
        tool_->start(account);
    }

    // Waits until every thread of the run has returned.
    void waitUntilAtRest()
    {
        ASSERT_TRUE(eventually([this] { return !state_.workerThreads.busy(); }))
            << "the grab did not come to rest; log so far:\n" << view_->log();
    }

    bool requested(const std::string& prefix) const
    {
        return countRequests([&](const forumsim::Request& r) { return r.target.starts_with(prefix); }) > 0;
    }

    std::shared_ptr<RecordingGrabView> view_ = std::make_shared<RecordingGrabView>();
    std::shared_ptr<GrabTool> tool_;
};

} // namespace tieba::test
