// A one-click run's engine over 200 followed forums on loopback, beside a bare libcurl loop that
// sends the same 400 requests (each forum's page and its sign link) in the same run.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "figures.h"
#include "forumsim.h"
#include "platform/ini_profile.h"
#include "signin/sign_engine.h"
#include "web/cookie_jar.h"
#include "web/http_exchange.h"
#include "web/stored_value.h"

namespace tieba {
namespace {

constexpr int kForums = 200;
std::atomic<double> peakRssMib{0};

[[maybe_unused]] const bool engineFigures =
    bench::registerRatioFigure("engine_vs_bare_ratio", "BM_EngineRun200Forums", "BM_BareCurl400Requests") &&
    bench::registerFigure("engine_forums_per_s", "forums/s",
                          [](const bench::MeasuredTimes& times) -> std::optional<double> {
                              if (auto seconds = bench::measured(times, "BM_EngineRun200Forums"))
                                  return kForums / *seconds;
                              return std::nullopt;
                          }) &&
    bench::registerFigure("engine_peak_rss_mib", "MiB", [](const bench::MeasuredTimes& times) -> std::optional<double> {
        if (!bench::measured(times, "BM_EngineRun200Forums"))
            return std::nullopt;
        return peakRssMib.load();
    });

class NullViews final : public WorkLog, public ProgressDisplay {
public:
    void append(const std::string&) override {}
    void clear() override {}
    void setCaption(const std::string&) override {}
    void drawBar(int, int) override {}
};

// The simulated service with one account following 200 forums, a scratch folder holding the
// account's session, and the followed-forum page already read.
class EngineWorld {
public:
    static EngineWorld& instance()
    {
        static EngineWorld world;
        return world;
    }

    forumsim::ForumSim& sim() { return *sim_; }
    const Sites& sites() const { return sites_; }
    const std::string& followedPage() const { return followedPage_; }
    const std::string& folder() const { return folder_; }

private:
    EngineWorld()
    {
        char pattern[] = "/tmp/tieba-bench-XXXXXX";
        folder_ = ::mkdtemp(pattern);
        std::filesystem::current_path(folder_);

        forumsim::AccountSpec account{"bench", "pw", forumsim::CaptchaRule::Never, std::string(48, 'b'), {}};
        for (int i = 0; i < kForums; ++i)
            account.forums.push_back(forumsim::ForumSpec{"forum" + std::to_string(i), 3, 100});
        forumsim::Scenario scenario;
        scenario.accounts = {account};
        sim_ = std::make_unique<forumsim::ForumSim>(scenario);
        const std::string base = sim_->baseUrl();
        sites_ = Sites{base, base, base.substr(7), base + "/p/", base + "/notice", base, base};

        writeProfileString(dataFilePath(), "cookies1", "BDUSS", encodeStoredValue(std::string(48, 'b') + ";"));
        followedPage_ = httpExchange(base + "/m?tn=bdFBW&tab=favorite", "GET", "", dataFilePath(), 1);
    }

    std::string folder_;
    std::unique_ptr<forumsim::ForumSim> sim_;
    Sites sites_;
    std::string followedPage_;
};

void recordPeakRss()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    peakRssMib = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_EngineRun200Forums(benchmark::State& state)
{
    EngineWorld& world = EngineWorld::instance();
    SharedState shared;
    NullViews views;
    ThreadWaiter waiter;
    const EngineContext context{shared, world.sites(), views, views, waiter};
    for (auto _ : state) {
        state.PauseTiming();
        world.sim().turnDay();
        const std::string followedPage = world.followedPage();
        state.ResumeTiming();
        signInFollowedForums(context, RunTicket(), SignAccount{1, "bench"}, followedPage);
    }
    recordPeakRss();
}
BENCHMARK(BM_EngineRun200Forums)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

size_t discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}

void BM_BareCurl400Requests(benchmark::State& state)
{
    EngineWorld& world = EngineWorld::instance();
    // The very requests one engine run sends: each forum's page, then its sign link.
    world.sim().turnDay();
    world.sim().clearRequests();
    {
        SharedState shared;
        NullViews views;
        ThreadWaiter waiter;
        signInFollowedForums(EngineContext{shared, world.sites(), views, views, waiter}, RunTicket(),
                             SignAccount{1, "bench"}, world.followedPage());
    }
    std::vector<std::string> urls;
    for (const auto& request : world.sim().requests())
        urls.push_back(world.sites().forumSite + request.target);

    CURL* curl = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded");
    const std::string cookie = "Cookie: " + buildCookieHeader(dataFilePath(), "1");
    headers = curl_slist_append(headers, cookie.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discard);
    for (auto _ : state) {
        state.PauseTiming();
        world.sim().turnDay();
        state.ResumeTiming();
        for (const std::string& url : urls) {
            curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
            curl_easy_perform(curl);
        }
    }
    state.counters["requests"] = static_cast<double>(urls.size());
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
}
BENCHMARK(BM_BareCurl400Requests)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

} // namespace
} // namespace tieba
