#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "forumsim.h"
#include "web/http_settings.h"

namespace tieba::test {

// How a case makes the service misbehave: one of forumsim's faults on the targets under test, or
// the service going away (its port closed) while the program is using it.
struct FaultCase {
    const char* name;                       // as printed in the table
    std::optional<forumsim::FaultKind> kind; // none: connection refused
    bool pageIntact;                        // the answer still holds the page and its markers
    int megabytes = 0;                      // BigBody
    int stallMs = 0;                        // Stall: how long the service sits on the request
};

// Every fault the cases go through, in table order.
const std::vector<FaultCase>& faultCases();

void PrintTo(const FaultCase& fault, std::ostream* out);

// A gtest-safe name for a case ("ResetMidBody").
std::string caseName(const FaultCase& fault);

// The exchange's time-out while a case runs its activity to the end: a stall ends in a second.
constexpr long kShortTimeOutMs = 1000;
// The exchange's time-out while a case stops its activity: far above the stop bound, so a stop
// that waits for a time-out instead of ending the transfer shows.
constexpr long kStopCaseTimeOutMs = 30000;
// How long the service sits on a stalled request while a case stops: past the stop bound, so a
// stop that waits for the service's late answer shows as well.
constexpr int kStopCaseStallMs = 5000;

// Bounds far from the normal figures (tens of milliseconds on this machine): they catch a stop
// that waits for a time-out and a GUI thread held by a request, never a slow machine. A case
// whose captcha step posts the verified login on the GUI thread, as the program means to, would
// need a gap bound of its own; none of the fault cases asks for a captcha.
constexpr qint64 kStopBoundMs = 2000;
constexpr qint64 kGuiGapBoundMs = 1000;

// Fault `fault` on every request whose target starts with `prefix`; a stall lasts `stallMs`
// when given, else the case's own time.
forumsim::Fault faultOn(const FaultCase& fault, const std::string& prefix, std::optional<int> stallMs = {});

// Sets the exchange's connect time-out and stall limit for the life of the object.
class ScopedTimeOuts {
public:
    explicit ScopedTimeOuts(long timeOutMs);
    ~ScopedTimeOuts();
    ScopedTimeOuts(const ScopedTimeOuts&) = delete;
    ScopedTimeOuts& operator=(const ScopedTimeOuts&) = delete;

private:
    HttpSettings saved_;
};

// The exchange's limits while a case runs its activity to the end.
class ShortTimeOuts : public ScopedTimeOuts {
public:
    ShortTimeOuts() : ScopedTimeOuts(kShortTimeOutMs) {}
};

// The simulated service as the fault cases use it. Requests are recorded here as well, so the
// record outlives the service when a case closes it; one request can be held at the door until
// the case lets it through; and the service can be closed while the program is talking to it:
// the port stops listening at once, the connections it holds are cut, and later connections are
// refused. Member functions are called from the test thread; the door is served on the
// service's threads.
class FaultyService {
public:
    explicit FaultyService(forumsim::Scenario scenario);
    ~FaultyService();
    FaultyService(const FaultyService&) = delete;
    FaultyService& operator=(const FaultyService&) = delete;

    std::string baseUrl() const { return base_; }
    // The running service; not after close().
    forumsim::ForumSim& sim();

    // Holds the next request whose target starts with `prefix` at the door.
    void holdNext(const std::string& prefix);
    // Processes GUI events until the held request has arrived; false after the deadline.
    bool waitUntilHeld(int milliseconds = 20000);
    // Lets the held request (and every later one) through, and waits until it has left the door.
    void release();

    // Starts closing the service on a thread of its own. A request held at the door stays held
    // (its connection is cut) until release().
    void close();
    bool closed() const { return closed_; }

    std::vector<forumsim::Request> requests() const;
    size_t requestCount() const;
    // The first request whose target starts with `prefix`, if any has arrived.
    std::optional<forumsim::Request> firstRequest(const std::string& prefix) const;
    // When the first request whose target starts with `prefix` arrived.
    std::optional<std::chrono::steady_clock::time_point> firstArrival(const std::string& prefix) const;

private:
    void arrived(const forumsim::Request& request);

    mutable std::mutex mutex_;
    std::condition_variable doorChanged_;
    std::vector<forumsim::Request> requests_;
    std::vector<std::chrono::steady_clock::time_point> arrivals_;
    std::string holdPrefix_;
    bool holding_ = false; // a request waits at the door
    bool passed_ = false;  // the held request has left the door

    std::unique_ptr<forumsim::ForumSim> sim_;
    std::string base_;
    bool closed_ = false;
    std::thread closer_;
};

// Ticks every 10 ms on the GUI thread while it runs and keeps the largest gap between two ticks:
// how long the GUI thread was kept from its events. The test's own waits pump events, so its
// ticks also keep those waits short.
class GuiGapProbe {
public:
    GuiGapProbe();
    void start();
    void stop();
    qint64 maxGapMs() const { return maxGapMs_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastTick_ = 0;
    qint64 maxGapMs_ = 0;
};

// Processes GUI events until `condition` holds; false after the deadline. Call it only while a
// GuiGapProbe runs: its ticks are what wakes the wait when nothing else happens.
bool pumpUntil(const std::function<bool()>& condition, int milliseconds = 20000);

// The same, looking at the condition every millisecond: for measuring how long it takes to hold.
bool pumpFinelyUntil(const std::function<bool()>& condition, int milliseconds = 20000);

// Processes GUI events until the time point has passed.
void pumpUntilTime(std::chrono::steady_clock::time_point until);

// One row of the fault table: printed to stdout for the lead to collect, and kept as test
// properties in the XML report.
void reportRow(const std::string& fault, const std::string& activity, const std::string& outcome, qint64 gapMs,
               qint64 stopMs);

// Whether a recorded Cookie header could split a request head.
bool breaksHeader(const std::string& cookie);

} // namespace tieba::test
