#pragma once
#include <stop_token>

namespace tieba {

// The program's pauses are of one second: between the looks for a page, before a third sign
// attempt, between the grab's looks at the forum.
inline constexpr int kOneSecondMs = 1000;

// Every deliberate pause of the program goes through a Waiter, so tests need not sleep and a
// stop ends a pause at once. On the GUI thread the implementation keeps events flowing.
class Waiter {
public:
    virtual ~Waiter() = default;
    // Waits `milliseconds`; returns false when `stop` was requested before the time was up.
    virtual bool waitMs(int milliseconds, std::stop_token stop = {}) = 0;
};

// Sleeps the calling thread; a stop request wakes it at once.
class ThreadWaiter final : public Waiter {
public:
    bool waitMs(int milliseconds, std::stop_token stop = {}) override;
};

// The waiter for worker threads of the real program.
Waiter& threadWaiter();

} // namespace tieba
