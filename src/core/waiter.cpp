#include "core/waiter.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tieba {

bool ThreadWaiter::waitMs(int milliseconds, std::stop_token stop)
{
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    wake.wait_for(lock, stop, std::chrono::milliseconds(milliseconds), [] { return false; });
    return !stop.stop_requested();
}

Waiter& threadWaiter()
{
    static ThreadWaiter waiter;
    return waiter;
}

} // namespace tieba
