#pragma once
#include <array>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/message_presenter.h"
#include "core/run_views.h"
#include "login/captcha_prompt.h"

namespace tieba::test {

// Everything a one-click run shows, recorded for assertions. Workers write from their threads,
// the test reads from its own, so every member is behind one lock.
class RecordingViews final : public WorkLog,
                             public ProgressDisplay,
                             public RunControls,
                             public AccountTicks,
                             public CaptchaPrompt,
                             public MessagePresenter {
public:
    using CaptchaScript = std::function<CaptchaAnswer(const std::string& pictureAddress)>;

    RecordingViews()
    {
        for (auto& ticked : ticked_)
            ticked = true;
    }

    void append(const std::string& text) override
    {
        std::lock_guard lock(mutex_);
        log_ += text;
    }
    void clear() override
    {
        std::lock_guard lock(mutex_);
        log_.clear();
    }
    void setCaption(const std::string& text) override
    {
        std::lock_guard lock(mutex_);
        captions_.push_back(text);
    }
    void drawBar(int done, int total) override
    {
        std::function<void(int, int)> hook;
        {
            std::lock_guard lock(mutex_);
            bars_.emplace_back(done, total);
            hook = onDrawBar_;
        }
        if (hook)
            hook(done, total);
    }
    void setRunControlsEnabled(bool enabled) override
    {
        std::lock_guard lock(mutex_);
        controlsEnabled_.push_back(enabled);
    }
    bool isTicked(int account) const override { return account >= 1 && account <= 3 && ticked_[account - 1]; }

    CaptchaAnswer askCaptcha(const std::string& pictureAddress) override
    {
        CaptchaScript script;
        {
            std::lock_guard lock(mutex_);
            captchaAddresses_.push_back(pictureAddress);
            if (!captchaAnswers_.empty()) {
                script = std::move(captchaAnswers_.front());
                captchaAnswers_.pop_front();
            }
        }
        return script ? script(pictureAddress) : CaptchaAnswer{};
    }
    void showMessage(const std::string& text) override
    {
        std::lock_guard lock(mutex_);
        messages_.push_back(text);
    }

    void setTicked(int account, bool ticked) { ticked_[account - 1] = ticked; }
    // Runs on the worker that draws the bar, after the drawing was recorded, so a test can make
    // something else happen at that point of a run.
    void onDrawBar(std::function<void(int done, int total)> hook)
    {
        std::lock_guard lock(mutex_);
        onDrawBar_ = std::move(hook);
    }
    void answerCaptcha(CaptchaScript script)
    {
        std::lock_guard lock(mutex_);
        captchaAnswers_.push_back(std::move(script));
    }
    static CaptchaScript typed(std::string code)
    {
        return [code](const std::string&) { return CaptchaAnswer{CaptchaAnswer::Kind::Typed, code}; };
    }
    static CaptchaScript stopInput()
    {
        return [](const std::string&) { return CaptchaAnswer{CaptchaAnswer::Kind::StopInput, {}}; };
    }

    std::string log() const
    {
        std::lock_guard lock(mutex_);
        return log_;
    }
    std::vector<std::string> captions() const
    {
        std::lock_guard lock(mutex_);
        return captions_;
    }
    std::vector<std::pair<int, int>> bars() const
    {
        std::lock_guard lock(mutex_);
        return bars_;
    }
    std::vector<bool> controlsEnabled() const
    {
        std::lock_guard lock(mutex_);
        return controlsEnabled_;
    }
    std::vector<std::string> messages() const
    {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::vector<std::string> captchaAddresses() const
    {
        std::lock_guard lock(mutex_);
        return captchaAddresses_;
    }

private:
    mutable std::mutex mutex_;
    std::array<std::atomic<bool>, 3> ticked_;
    std::string log_;
    std::vector<std::string> captions_;
    std::vector<std::pair<int, int>> bars_;
    std::vector<bool> controlsEnabled_;
    std::vector<std::string> messages_;
    std::vector<std::string> captchaAddresses_;
    std::deque<CaptchaScript> captchaAnswers_;
    std::function<void(int, int)> onDrawBar_;
};

} // namespace tieba::test
