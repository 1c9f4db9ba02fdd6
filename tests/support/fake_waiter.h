#pragma once
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "core/waiter.h"

namespace tieba::test {

// A Waiter that never sleeps: it records every requested wait and returns at once. An optional
// hook runs during each wait, so a test can change the world "while" the code waits.
class FakeWaiter final : public Waiter {
public:
    FakeWaiter() = default;
    explicit FakeWaiter(std::function<void()> onWait) : onWait_(std::move(onWait)) {}

    bool waitMs(int milliseconds, std::stop_token stop = {}) override
    {
        {
            std::lock_guard lock(mutex_);
            waits_.push_back(milliseconds);
        }
        if (onWait_)
            onWait_();
        return !stop.stop_requested();
    }

    std::vector<int> waits() const
    {
        std::lock_guard lock(mutex_);
        return waits_;
    }

private:
    std::function<void()> onWait_;
    mutable std::mutex mutex_;
    std::vector<int> waits_;
};

} // namespace tieba::test
