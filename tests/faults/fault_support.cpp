#include "fault_support.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <iostream>
#include <stdexcept>

namespace tieba::test {

using forumsim::FaultKind;

const std::vector<FaultCase>& faultCases()
{
    // The exchange's time-outs are lowered to a second (ShortTimeOuts); a stall of 2 s outlasts
    // them. The page of 10 MiB stays under the exchange's body limit, so it is read whole.
    static const std::vector<FaultCase> cases = {
        {"connection refused", std::nullopt, false},
        {"reset mid-body", FaultKind::ResetMidBody, false},
        {"stall past the time-outs", FaultKind::Stall, false, 0, 2000},
        {"10 MB page", FaultKind::BigBody, true, 10},
        {"invalid bytes", FaultKind::InvalidBytes, true},
        {"HTTP 500", FaultKind::Status, false},
        {"redirect loop", FaultKind::RedirectLoop, false},
        {"Set-Cookie without ;", FaultKind::CookieWithoutSemicolon, true},
        {"empty body", FaultKind::EmptyBody, false},
    };
    return cases;
}

void PrintTo(const FaultCase& fault, std::ostream* out)
{
    *out << fault.name;
}

std::string caseName(const FaultCase& fault)
{
    if (!fault.kind)
        return "ConnectionRefused";
    switch (*fault.kind) {
    case FaultKind::Status: return "Http500";
    case FaultKind::RedirectLoop: return "RedirectLoop";
    case FaultKind::Stall: return "Stall";
    case FaultKind::ResetMidBody: return "ResetMidBody";
    case FaultKind::BigBody: return "BigBody";
    case FaultKind::InvalidBytes: return "InvalidBytes";
    case FaultKind::CookieWithoutSemicolon: return "CookieWithoutSemicolon";
    case FaultKind::EmptyBody: return "EmptyBody";
    }
    return "Unknown";
}

forumsim::Fault faultOn(const FaultCase& fault, const std::string& prefix, std::optional<int> stallMs)
{
    if (!fault.kind)
        throw std::logic_error("a refused connection is no fault of the service");
    forumsim::Fault f;
    f.targetPrefix = prefix;
    f.kind = *fault.kind;
    f.status = 500;
    f.megabytes = fault.megabytes;
    f.milliseconds = stallMs.value_or(fault.stallMs);
    return f;
}

ScopedTimeOuts::ScopedTimeOuts(long timeOutMs) : saved_(httpSettings())
{
    HttpSettings changed = saved_;
    changed.connectTimeoutMs = timeOutMs;
    changed.stallSeconds = timeOutMs / 1000;
    setHttpSettings(changed);
}

ScopedTimeOuts::~ScopedTimeOuts()
{
    setHttpSettings(saved_);
}

FaultyService::FaultyService(forumsim::Scenario scenario)
{
    forumsim::ForumSim::Options options;
    options.onRequest = [this](const forumsim::Request& request) { arrived(request); };
    sim_ = std::make_unique<forumsim::ForumSim>(std::move(scenario), std::move(options));
    base_ = sim_->baseUrl();
}

FaultyService::~FaultyService()
{
    release();
    if (closer_.joinable())
        closer_.join();
    sim_.reset();
}

forumsim::ForumSim& FaultyService::sim()
{
    if (closed_ || !sim_)
        throw std::logic_error("the service is closed");
    return *sim_;
}

void FaultyService::arrived(const forumsim::Request& request)
{
    std::unique_lock lock(mutex_);
    requests_.push_back(request);
    arrivals_.push_back(std::chrono::steady_clock::now());
    if (holdPrefix_.empty() || !request.target.starts_with(holdPrefix_))
        return;
    holdPrefix_.clear();
    holding_ = true;
    doorChanged_.notify_all();
    doorChanged_.wait(lock, [this] { return !holding_; });
    passed_ = true;
    doorChanged_.notify_all();
}

void FaultyService::holdNext(const std::string& prefix)
{
    std::lock_guard lock(mutex_);
    holdPrefix_ = prefix;
    passed_ = false;
}

bool FaultyService::waitUntilHeld(int milliseconds)
{
    return pumpUntil(
        [this] {
            std::lock_guard lock(mutex_);
            return holding_;
        },
        milliseconds);
}

void FaultyService::release()
{
    std::unique_lock lock(mutex_);
    holdPrefix_.clear();
    if (!holding_)
        return;
    holding_ = false;
    doorChanged_.notify_all();
    doorChanged_.wait(lock, [this] { return passed_; });
}

void FaultyService::close()
{
    if (closed_)
        return;
    closed_ = true;
    // The service's destructor stops listening, cuts its connections and then waits for its
    // threads, one of which may sit at the door: so it runs on a thread of its own.
    closer_ = std::thread([this] { sim_.reset(); });
}

std::vector<forumsim::Request> FaultyService::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

size_t FaultyService::requestCount() const
{
    std::lock_guard lock(mutex_);
    return requests_.size();
}

std::optional<forumsim::Request> FaultyService::firstRequest(const std::string& prefix) const
{
    std::lock_guard lock(mutex_);
    for (const forumsim::Request& request : requests_)
        if (request.target.starts_with(prefix))
            return request;
    return std::nullopt;
}

std::optional<std::chrono::steady_clock::time_point> FaultyService::firstArrival(const std::string& prefix) const
{
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < requests_.size(); ++i)
        if (requests_[i].target.starts_with(prefix))
            return arrivals_[i];
    return std::nullopt;
}

GuiGapProbe::GuiGapProbe()
{
    timer_.setInterval(10);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        const qint64 now = clock_.elapsed();
        if (now - lastTick_ > maxGapMs_)
            maxGapMs_ = now - lastTick_;
        lastTick_ = now;
    });
}

void GuiGapProbe::start()
{
    // The start counts as a tick: a GUI thread blocked from the start shows as well.
    clock_.start();
    lastTick_ = 0;
    timer_.start();
}

void GuiGapProbe::stop()
{
    // The stop counts as a tick too: a GUI thread blocked until the end shows as well.
    const qint64 now = clock_.elapsed();
    if (now - lastTick_ > maxGapMs_)
        maxGapMs_ = now - lastTick_;
    timer_.stop();
}

bool pumpUntil(const std::function<bool()>& condition, int milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

bool pumpFinelyUntil(const std::function<bool()>& condition, int milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void pumpUntilTime(std::chrono::steady_clock::time_point until)
{
    while (std::chrono::steady_clock::now() < until)
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void reportRow(const std::string& fault, const std::string& activity, const std::string& outcome, qint64 gapMs,
               qint64 stopMs)
{
    const std::string row = "fault-table | " + fault + " | " + activity + " | " + outcome +
                            " | gap_ms=" + std::to_string(gapMs) + " | stop_ms=" + std::to_string(stopMs);
    std::cout << row << std::endl;
    ::testing::Test::RecordProperty("fault_table", row);
    ::testing::Test::RecordProperty("gap_ms", static_cast<int>(gapMs));
    ::testing::Test::RecordProperty("stop_ms", static_cast<int>(stopMs));
}

bool breaksHeader(const std::string& cookie)
{
    return cookie.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

} // namespace tieba::test
