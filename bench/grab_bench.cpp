// How soon the grab-first sign-in notices a new day on loopback: the simulated service turns the
// day while the midnight watch polls a signed forum, and the time from that turnover to the
// arrival of the first sign request is one sample. Beside it, in the same run, a bare libcurl GET
// of the same forum page over a kept-alive connection, and the watch's request rate.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/encoding.h"
#include "figures.h"
#include "forumsim.h"
#include "platform/ini_profile.h"
#include "tools/grab/grab_tool.h"
#include "web/cookie_jar.h"
#include "web/stored_value.h"

namespace tieba {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTurnovers = 25; // per repetition
const std::string kForum = "测试";
const std::string kSession(48, 'g');

// Every sample of the run; the figures are their medians, so a turnover disturbed by other work
// on the machine moves them little.
struct GrabSamples {
    std::mutex mutex;
    std::vector<double> latencySeconds;
    std::vector<double> bareGetSeconds;
    std::vector<double> watchRequestsPerSecond;
};

GrabSamples& samples()
{
    static GrabSamples all;
    return all;
}

std::optional<double> median(std::vector<double> values)
{
    if (values.empty())
        return std::nullopt;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::optional<double> medianOf(std::vector<double> GrabSamples::*which, double scale = 1.0)
{
    std::lock_guard lock(samples().mutex);
    auto value = median(samples().*which);
    return value ? std::optional<double>(*value * scale) : std::nullopt;
}

[[maybe_unused]] const bool grabFigures =
    bench::registerFigure("grab_latency_ms", "ms",
                          [](const bench::MeasuredTimes&) { return medianOf(&GrabSamples::latencySeconds, 1e3); }) &&
    bench::registerFigure("grab_bare_get_us", "us",
                          [](const bench::MeasuredTimes&) { return medianOf(&GrabSamples::bareGetSeconds, 1e6); }) &&
    bench::registerFigure("grab_latency_vs_rtt_ratio", "x",
                          [](const bench::MeasuredTimes&) -> std::optional<double> {
                              auto latency = medianOf(&GrabSamples::latencySeconds);
                              auto bare = medianOf(&GrabSamples::bareGetSeconds);
                              if (!latency || !bare || *bare <= 0)
                                  return std::nullopt;
                              return *latency / *bare;
                          }) &&
    bench::registerFigure("watch_requests_per_s", "requests/s", [](const bench::MeasuredTimes&) {
        return medianOf(&GrabSamples::watchRequestsPerSecond);
    });

// GrabWindow as the grab sees it: the forum name box and the log, which tells when a grab ended.
class BenchGrabView final : public GrabView {
public:
    void appendLog(const std::string& text) override
    {
        std::lock_guard lock(mutex_);
        log_ += text;
    }
    void replaceLog(const std::string& text) override
    {
        std::lock_guard lock(mutex_);
        log_ = text;
    }
    std::string forumName() const override { return gb(kForum); }
    void showCaptcha(const std::string&, bool) override {}

    bool finished() const
    {
        std::lock_guard lock(mutex_);
        return log_.find(gb("抢第一完成")) != std::string::npos;
    }
    void clear()
    {
        std::lock_guard lock(mutex_);
        log_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::string log_;
};

class NoPowerOff final : public PowerOff {
public:
    void powerOff() override {}
};

// A scratch folder as the current directory while a benchmark runs (the data file lives there);
// the previous one comes back afterwards, for the benchmarks that rely on theirs.
class ScratchFolder {
public:
    ScratchFolder() : previous_(std::filesystem::current_path())
    {
        char pattern[] = "/tmp/tieba-grab-bench-XXXXXX";
        path_ = ::mkdtemp(pattern);
        std::filesystem::current_path(path_);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline = std::chrono::seconds(10))
{
    const auto end = Clock::now() + deadline;
    while (!condition()) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

size_t discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}

// Seconds per bare GET of `url` with the account's cookies, one kept-alive connection, median of
// a few hundred.
double bareGetSeconds(const std::string& url)
{
    CURL* curl = curl_easy_init();
    const std::string cookie = "Cookie: " + buildCookieHeader(dataFilePath(), "1");
    curl_slist* headers = curl_slist_append(nullptr, cookie.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_perform(curl); // opens the connection
    std::vector<double> times;
    for (int i = 0; i < 300; ++i) {
        const auto start = Clock::now();
        curl_easy_perform(curl);
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return *median(times);
}

bool isForumPage(const forumsim::Request& request)
{
    return request.target.starts_with("/m?kw=");
}

void BM_GrabTurnover(benchmark::State& state)
{
    ScratchFolder folder;
    forumsim::ForumSpec forum;
    forum.name = kForum;
    forum.signedToday = true;
    forumsim::Scenario scenario;
    scenario.accounts = {forumsim::AccountSpec{"bench", "pw", forumsim::CaptchaRule::Never, kSession, {forum}}};
    forumsim::ForumSim sim(scenario);
    const std::string base = sim.baseUrl();
    const Sites sites{base, base, base.substr(7), base + "/p/", base + "/notice", base, base};
    writeProfileString(dataFilePath(), "cookies1", "BDUSS", encodeStoredValue(kSession + ";"));

    std::vector<double> latencies;
    std::vector<double> rates;
    std::string watchTarget; // the forum page exactly as the watch asks for it
    {
        SharedState shared; // last to go of what the grab's threads use: its end joins them
        shared.accounts.set({Account{"bench", "pw"}});
        shared.selectedAccount = 1;
        NoPowerOff powerOff;
        ThreadWaiter waiter;
        auto view = std::make_shared<BenchGrabView>();
        auto tool = GrabTool::create(GrabServices{shared, sites, powerOff, waiter, {}}, view);
        std::mt19937 random(std::random_device{}());
        std::uniform_int_distribution<int> watchMs(10, 40);

        for (auto _ : state) {
            sim.clearRequests();
            view->clear();
            tool->start(1);
            // Let the watch poll the signed forum a while, then turn the day under it.
            if (!sim.waitUntil(
                    [&] {
                        const auto requests = sim.requests();
                        return std::count_if(requests.begin(), requests.end(), isForumPage) >= 2;
                    },
                    std::chrono::seconds(10))) {
                state.SkipWithError("the watch did not start");
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(watchMs(random)));
            sim.turnDay();
            const Clock::time_point turnover = sim.turnovers().back();
            if (!waitFor([&] { return view->finished() && !shared.workerThreads.busy(); })) {
                state.SkipWithError("the grab did not finish");
                break;
            }

            std::optional<Clock::time_point> firstSign;
            std::vector<Clock::time_point> watchPages;
            for (const auto& request : sim.requests()) {
                if (request.arrived < turnover && isForumPage(request)) {
                    watchPages.push_back(request.arrived);
                    watchTarget = request.target;
                }
                if (!firstSign && request.arrived >= turnover && request.target.starts_with("/sign"))
                    firstSign = request.arrived;
            }
            if (!firstSign) {
                state.SkipWithError("no sign request after the turnover");
                break;
            }
            const double latency = std::chrono::duration<double>(*firstSign - turnover).count();
            state.SetIterationTime(latency);
            latencies.push_back(latency);
            if (watchPages.size() >= 2) {
                const double span = std::chrono::duration<double>(watchPages.back() - watchPages.front()).count();
                if (span > 0)
                    rates.push_back(static_cast<double>(watchPages.size() - 1) / span);
            }
        }
    }

    if (watchTarget.empty())
        return;
    const double bare = bareGetSeconds(base + watchTarget);
    std::lock_guard lock(samples().mutex);
    samples().bareGetSeconds.push_back(bare);
    samples().latencySeconds.insert(samples().latencySeconds.end(), latencies.begin(), latencies.end());
    samples().watchRequestsPerSecond.insert(samples().watchRequestsPerSecond.end(), rates.begin(), rates.end());
}
BENCHMARK(BM_GrabTurnover)->Iterations(kTurnovers)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tieba
